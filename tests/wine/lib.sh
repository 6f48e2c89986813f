# Shell helpers of the Wine tests that run in a prefix of their own; source
# it after setting WINEPREFIX. Every check that fails ends the test with
# "FAIL: ..." on standard error.

# A 32-bit prefix unless the test asks for a 64-bit (WoW64) one.
export WINEARCH=${WINEARCH:-win32}
export WINEDEBUG=${WINEDEBUG:--all}

fail() { echo "FAIL: $*" >&2; exit 1; }

# at_exit COMMAND: run when the test ends, the latest first.
exit_actions=()
run_exit_actions() {
  local i
  for ((i = ${#exit_actions[@]} - 1; i >= 0; i--)); do eval "${exit_actions[i]}"; done
}
trap run_exit_actions EXIT
at_exit() { exit_actions+=("$1"); }
w() { timeout 120 wine "$@"; }

# A fresh prefix with a CJK font in place of the dialog fonts; then one
# persistent wineserver for the rest of the test: a service manager started
# anew would start every auto-start service by itself, as Windows does at boot.
new_prefix() {
  rm -rf "$WINEPREFIX"
  at_exit 'wineserver -k 2>/dev/null || true'
  WINEDLLOVERRIDES="mscoree,mshtml=" timeout 300 wineboot --init >/dev/null 2>&1 || fail "wineboot --init"
  local font
  for font in Arial Tahoma "MS Shell Dlg" "MS Shell Dlg 2" SimSun NSimSun "宋体" "新宋体" "微软雅黑" "Microsoft YaHei"; do
    w reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$font" /d "WenQuanYi Micro Hei" /f >/dev/null 2>&1
  done
  # A crash ends the program at once instead of waiting on a crash dialog.
  w reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
  timeout 120 wineserver -w || fail "prefix set-up did not end"
  wineserver -p
}

# A virtual X display for the test's lifetime, unless one is set.
start_display() {
  [[ -n ${DISPLAY:-} ]] && return 0
  local n
  for n in $(seq 90 140); do
    if [[ ! -e /tmp/.X11-unix/X$n && ! -e /tmp/.X$n-lock ]]; then
      Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
      local xvfb=$!
      at_exit "kill $xvfb 2>/dev/null || true"
      export DISPLAY=:$n
      for _ in $(seq 50); do [[ -e /tmp/.X11-unix/X$n ]] && return 0; sleep 0.1; done
      fail "Xvfb :$n did not start"
    fi
  done
  fail "no free X display"
}

# Imports .reg lines (UTF-8 on standard input, without the header) the way
# regedit writes a file: UTF-16LE with its byte-order mark and CRLF, which is
# the only form whose hex(7) and hex(2) data wine reg import reads as UTF-16.
import_reg() {
  local file="$WINEPREFIX/drive_c/seed.reg"
  { printf '\xff\xfe'; { echo 'Windows Registry Editor Version 5.00'; echo; cat; } | sed 's/$/\r/' |
      iconv -f UTF-8 -t UTF-16LE; } >"$file"
  w reg import 'C:\seed.reg' >/dev/null 2>&1 || fail "reg import"
}

# expect_value KEY NAME TYPE DATA: reg query shows exactly that value.
expect_value() {
  local out
  out=$(w reg query "$1" /v "$2" 2>/dev/null | tr -d '\r') || fail "$1: no value $2"
  grep -qxF "    $2    $3    $4" <<<"$out" || fail "$1: $2 is not $3 $4: $out"
}
# As expect_value for a REG_SZ whose data is not ASCII: reg query prints such
# text through the console's code page, so the key is exported (UTF-16) and read.
expect_text_value() {
  local file="$WINEPREFIX/drive_c/export.reg" want line
  rm -f "$file"
  w reg export "$1" 'C:\export.reg' /y >/dev/null 2>&1 || fail "$1: cannot export"
  want="\"$2\"=\"${3//\\/\\\\}\""
  line=$(iconv -f UTF-16LE -t UTF-8 "$file" | tr -d '\r' | grep -F -x -- "$want") ||
    fail "$1: $2 is not \"$3\": $(iconv -f UTF-16LE -t UTF-8 "$file" | tr -d '\r' | grep -F "\"$2\"=")"
}
expect_no_value() {
  if w reg query "$1" /v "$2" >/dev/null 2>&1; then fail "$1 still holds $2"; fi
}
key_exists() { w reg query "$1" >/dev/null 2>&1; }
service_key() { key_exists "HKLM\\SYSTEM\\CurrentControlSet\\Services\\$1"; }
# Waits (at most 10 s) until the service's registration has gone.
wait_deleted() {
  for _ in $(seq 50); do service_key "$1" || return 0; sleep 0.2; done
  fail "service $1 still registered"
}

# A Linux path as Wine sees it.
winpath() { local p=${1//\//\\}; echo "Z:$p"; }
