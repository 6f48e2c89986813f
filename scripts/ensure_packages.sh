#!/usr/bin/env bash
# Installs the Debian packages the builds and tests need, and only those that
# are missing; quick and silent when everything is there already.
set -euo pipefail

# `ensure_packages.sh fuzz` adds clang and its libFuzzer runtime, which only
# make fuzz needs.
packages=(
  cmake ninja-build g++ make pkg-config
  libgtest-dev libgmock-dev googletest libbenchmark-dev nlohmann-json3-dev
  g++-mingw-w64-i686-win32 gcc-mingw-w64-i686-win32 binutils-mingw-w64-i686
  g++-mingw-w64-x86-64-posix  # the 64-bit stand-in print UI of the Wine tests' 64-bit prefix
  wine wine64 wine32:i386 xvfb xauth fonts-wqy-microhei imagemagick python3
  osslsigncode openssl
)

if [[ ${1:-} == fuzz ]]; then
  packages+=(clang)
  # The runtime of the installed clang's version (Debian 12: 14).
  if command -v clang >/dev/null; then
    packages+=("libclang-rt-$(clang -dumpversion | cut -d. -f1)-dev")
  fi
fi

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ $status == "install ok installed" ]] || missing+=("$p")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

if [[ $(id -u) -ne 0 ]]; then
  echo "ensure_packages: missing Debian packages: ${missing[*]}; run as root to install them" >&2
  exit 1
fi
echo "ensure_packages: installing ${missing[*]}"
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
# clang was new: now its runtime's name is known.
if [[ ${1:-} == fuzz && " ${missing[*]} " == *" clang "* ]]; then
  exec "$0" fuzz
fi
