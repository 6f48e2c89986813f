#!/usr/bin/env bash
# Verifies the Authenticode signatures of the shipped programs against the
# certificate they were signed with:
#   verify_signatures.sh CERT SETUP_EXE OTHER_EXE...
# Each program, and the Spoolmate.exe carried inside setup.exe (resource WIN7
# 232), must pass `osslsigncode verify` with a chain that ends in CERT when
# CERT is self-signed (the build's test certificate) or in the system's
# certificate authorities otherwise, and must carry CERT itself. A copy of
# setup.exe with one byte changed must fail, so that a verifier that accepts
# everything cannot pass.
set -euo pipefail
cert=$1; setup=$2; shift 2
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

# The certificate in PEM, and the first one's SHA-256 fingerprint.
if ! openssl x509 -in "$cert" -out "$work/cert.pem" 2>/dev/null; then
  openssl x509 -inform DER -in "$cert" -out "$work/cert.pem"
fi
fingerprint=$(openssl x509 -in "$work/cert.pem" -noout -fingerprint -sha256)
subject=$(openssl x509 -in "$work/cert.pem" -noout -subject -nameopt compat)
issuer=$(openssl x509 -in "$work/cert.pem" -noout -issuer -nameopt compat)
ca_args=()
[[ ${subject#subject=} == "${issuer#issuer=}" ]] && ca_args=(-CAfile "$work/cert.pem")

# The embedded Spoolmate, as setup.exe carries it.
python3 - "$setup" "$work/Spoolmate-embedded.exe" <<PY
import sys
sys.path.insert(0, "$here/../../cmake")
from pe_image import PeImage
image = PeImage(open(sys.argv[1], "rb").read())
open(sys.argv[2], "wb").write(image.resource_bytes("WIN7", 232))
PY

verify() {
  local exe=$1 name=$2
  if ! osslsigncode verify "${ca_args[@]}" -in "$exe" >"$work/verify.txt" 2>&1; then
    fail "$name: the signature does not verify"
    sed 's/^/    /' "$work/verify.txt" >&2
    return
  fi
  rm -f "$work/signature.der"
  osslsigncode extract-signature -in "$exe" -out "$work/signature.der" >/dev/null 2>&1 ||
    { fail "$name: no signature to extract"; return; }
  openssl pkcs7 -inform DER -in "$work/signature.der" -print_certs -out "$work/carried.pem"
  local found=no
  rm -f "$work"/carried-*.pem
  awk -v dir="$work" '/BEGIN CERTIFICATE/{n++} n{print > (dir "/carried-" n ".pem")}' "$work/carried.pem"
  for one in "$work"/carried-*.pem; do
    [[ $(openssl x509 -in "$one" -noout -fingerprint -sha256) == "$fingerprint" ]] && found=yes
  done
  [[ $found == yes ]] || { fail "$name: signed, but not with $cert"; return; }
  echo "ok: $name signed by ${subject#subject=}"
}

verify "$setup" "$(basename "$setup")"
verify "$work/Spoolmate-embedded.exe" "Spoolmate.exe inside $(basename "$setup")"
for exe in "$@"; do verify "$exe" "$(basename "$exe")"; done

# A changed byte in the middle of the code must break the signature.
cp "$setup" "$work/tampered.exe"
size=$(stat -c %s "$work/tampered.exe")
offset=$((size / 4))
byte=$(od -An -tu1 -j "$offset" -N1 "$work/tampered.exe" | tr -d ' ')
printf "$(printf '\\%03o' $(((byte + 1) % 256)))" |
  dd of="$work/tampered.exe" bs=1 seek="$offset" count=1 conv=notrunc status=none
if osslsigncode verify "${ca_args[@]}" -in "$work/tampered.exe" >/dev/null 2>&1; then
  fail "a changed copy of $(basename "$setup") still verifies"
else
  echo "ok: a changed copy of $(basename "$setup") does not verify"
fi

if ((failures)); then
  echo "$failures signature check(s) failed" >&2
  exit 1
fi
