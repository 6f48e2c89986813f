#!/usr/bin/env bash
# The whole job under Wine: setup.exe from the shipped folder, driven through
# its real windows by tq_autoclient, on a prefix of its own whose registry
# is seeded with what Plug and Play records for the printer of each case.
# Wine's print UI adds nothing, so the prefix gets the stand-in printui.dll
# (tests/wine/printui); everything else is Wine's own: SetupAPI, the
# spooler, the profile, the service manager running Spoolmate.exe.
# setup.exe runs as from a downloads folder, beside DLLs named like the
# system's and a rundll32.exe, with another such folder as its current
# directory; none of them may ever be loaded or started.
#
# win64: every walk, in a 64-bit (WoW64) prefix, as users have it. setup.exe
# is a 32-bit program there: the stand-in that installs is the 64-bit one in
# system32, reached through Sysnative; the 32-bit one in syswow64 (what
# "system32\rundll32.exe" gives a 32-bit program) only records its start,
# so a walk succeeds only through the 64-bit print UI.
# win32: one walk (the USB printer) in a 32-bit prefix, where the 32-bit
# stand-in in system32 is the print UI.
#   install_wine.sh win64|win32 <tq_autoclient.exe> <dist folder> <printui.dll, 32-bit> <printui.dll, 64-bit>
#                   <planted.exe> <Spoolmate.exe> <tq_usbprinter.exe> <folder of the planted DLLs and tq_dll_probe.exe>
set -euo pipefail
arch=$1
[[ $arch == win64 || $arch == win32 ]] || { echo "install_wine.sh: win64 or win32, not $arch" >&2; exit 2; }
client=$(realpath "$2") dist=$(realpath "$3") printui32=$(realpath "$4") printui64=$(realpath "$5")
planted=$(realpath "$6") spoolmate_built=$(realpath "$7") usbprinter_exe=$(realpath "$8") planted_dlls=$(realpath "$9")
build=$(cd "$(dirname "$client")/.." && pwd)
here=$(cd "$(dirname "$0")" && pwd)

export WINEARCH=$arch
export WINEPREFIX=$build/wine-install-$arch
source "$here/lib.sh"
[[ -f $dist/setup.exe ]] || fail "no setup.exe in $dist (run make first)"
[[ $arch == win32 || -f $printui64 ]] || fail "no 64-bit stand-in print UI $printui64 (run make first)"
start_display
new_prefix
# Wine takes a DLL from the program's folder (or the current directory) over
# its own only when told to prefer native DLLs; Windows always would.
planted_names=(version.dll uxtheme.dll winspool.drv setupapi.dll dwmapi.dll cryptbase.dll)
export WINEDLLOVERRIDES="mscoree,mshtml=;printui=n;version,uxtheme,winspool.drv,setupapi,dwmapi,cryptbase=n,b"

c=$WINEPREFIX/drive_c
if [[ $arch == win64 ]]; then
  [[ -d $c/windows/syswow64 ]] || fail "the prefix is not a 64-bit one"
  cp "$printui64" "$c/windows/system32/printui.dll"
  cp "$printui32" "$c/windows/syswow64/printui.dll"
  # A 32-bit program's program files folder on 64-bit Windows.
  program_files='Program Files (x86)'
else
  cp "$printui32" "$c/windows/system32/printui.dll"
  program_files='Program Files'
fi
cp "$usbprinter_exe" "$c/tq_usbprinter.exe"
mkdir -p "$c/TQPrinterSetup"
cp "$dist"/* "$c/TQPrinterSetup/"
shots=$build/screenshots
run=$build/install-run-$arch
walk_suffix=$([[ $arch == win32 ]] && echo -32bit || true)
mkdir -p "$shots" "$run"
common="C:\\$program_files\\Common Files"
services="$c/$program_files/Common Files/Services"
# Programs an unquoted service path would start first, as the local system account.
cp "$planted" "$c/Program.exe"
cp "$planted" "$c/$program_files/Common.exe"
# The planted DLLs (each appends a line to C:\planted-dlls.txt when it is
# loaded) and a rundll32.exe, beside setup.exe and in the folder every walk
# gives it as its current directory.
plant() {
  mkdir -p "$1"
  local name
  for name in "${planted_names[@]}"; do cp "$planted_dlls/$name" "$1/"; done
  cp "$planted" "$1/rundll32.exe"
}
plant "$c/TQPrinterSetup"
plant "$c/Downloads"

class='HKLM\SYSTEM\CurrentControlSet\Control\Class\{4D36E979-E325-11CE-BFC1-08002BE10318}'
seeds=$here/../seeds

# A registry seed of tests/seeds (UTF-16LE with its mark, as regedit writes).
import_seed() {
  cp "$seeds/$1" "$c/seed.reg"
  w reg import 'C:\seed.reg' >/dev/null 2>&1 || fail "reg import $1"
}

# walk NAME key=value...: one run of setup.exe through the whole wizard.
walk() {
  local name=$1; shift
  echo "== $name"
  set +e
  w "$client" --install 'C:\TQPrinterSetup\setup.exe' "$(winpath "$run")" "shots=$name" \
    'cwd=C:\Downloads' "$@" |
    tr -d '\r' | tee "$run/$name.log"
  local rc=${PIPESTATUS[0]}
  set -e
  for bmp in "$run/$name"-*.bmp; do
    [[ -e $bmp ]] && convert "$bmp" "$shots/$(basename "${bmp%.bmp}").png"
  done
  expect_planted_idle
  [[ $rc -eq 0 ]] || fail "$name: the walk failed (see above)"
}

# The registration of "Printer Helper" while it exists (about two seconds of
# each install): its ImagePath, polled into a file.
watch_service() {
  rm -f "$run/imagepath"
  (
    for _ in $(seq 600); do
      if out=$(wine reg query 'HKLM\SYSTEM\CurrentControlSet\Services\Printer Helper' /v ImagePath 2>/dev/null); then
        tr -d '\r' <<<"$out" | sed -n 's/^    ImagePath    REG_[A-Z_]*    //p' >"$run/imagepath"
        exit 0
      fi
      sleep 0.1
    done
  ) &
  watcher=$!
}
expect_service_gone_and_quoted() {
  wait "$watcher" || true
  [[ -s $run/imagepath ]] || fail "the service registration was never seen"
  local path
  path=$(cat "$run/imagepath")
  [[ $path == "\"$common\\Services\\Spoolmate.exe\"" ]] || fail "service registered with $path"
  wait_deleted "Printer Helper"
}
expect_printer() {  # NAME PORT
  expect_value "HKLM\\SYSTEM\\CurrentControlSet\\Control\\Print\\Printers\\$1" Port REG_SZ "$2"
}
expect_default() {
  expect_text_value 'HKCU\Software\Microsoft\Windows NT\CurrentVersion\Windows' device "$1"
}
expect_spoolmate() {
  cmp -s "$services/Spoolmate.exe" "$spoolmate_built" || fail "Spoolmate.exe differs from the one built"
}
expect_nothing_staged() {
  local out
  out=$(w reg query "$class" 2>/dev/null | tr -d '\r') || fail "class key missing"
  if grep -qE '^    _' <<<"$out"; then fail "staged values left in the class key: $out"; fi
}
# The device key values Spoolmate writes; "Driver" names the driver instance
# this install made (each install adds one: 0000, 0001, ...).
expect_bound() {
  expect_value "$1" ConfigFlags REG_DWORD 0x0
  expect_value "$1" ClassGUID REG_SZ '{4D36E979-E325-11CE-BFC1-08002BE10318}'
  expect_value "$1" Class REG_SZ Printer
  expect_value "$1" Mfg REG_SZ TAVIR
  local out
  out=$(w reg query "$1" /v Driver 2>/dev/null | tr -d '\r')
  grep -qE '^    Driver    REG_SZ    \{4D36E979-E325-11CE-BFC1-08002BE10318\}\\[0-9]{4}$' <<<"$out" ||
    fail "$1: Driver is not an instance of the printer class: $out"
}
# Every print-UI call of the walks was taken by the stand-in of this build
# ("64-bit" or "32-bit"): in the 64-bit prefix never the 32-bit one.
expect_print_ui_builds() {
  local builds
  builds=$(tr -d '\r' <"$c/printui-calls.txt" | sed -n 's/^call(\([^)]*\)):.*/\1/p' | sort -u)
  [[ $builds == "$1" ]] || fail "the print-UI calls were taken by: $(tr '\n' ',' <<<"$builds")"
}
finish() {
  wineserver -k
  rm -rf "$WINEPREFIX"  # kept only when a check failed
  echo "PASS"
  exit 0
}
expect_planted_idle() {
  [[ ! -e $c/planted-ran.txt ]] || fail "a planted program ran: $(iconv -f UTF-16LE -t UTF-8 "$c/planted-ran.txt")"
  [[ ! -e $c/planted-dlls.txt ]] ||
    fail "a planted DLL was loaded: $(iconv -f UTF-16LE -t UTF-8 "$c/planted-dlls.txt")"
}

if [[ $arch == win64 ]]; then
  # --- The planted DLLs are live: a program beside them that loads them by
  # name gets each of them, and each leaves its mark. ---
  cp "$planted_dlls/tq_dll_probe.exe" "$c/TQPrinterSetup/"
  w 'C:\TQPrinterSetup\tq_dll_probe.exe' "${planted_names[@]}" >/dev/null 2>&1 || fail "tq_dll_probe could not load them"
  for name in "${planted_names[@]}"; do
    iconv -f UTF-16LE -t UTF-8 "$c/planted-dlls.txt" 2>/dev/null | tr -d '\r' |
      grep -qixF "C:\TQPrinterSetup\\$name loaded by C:\TQPrinterSetup\tq_dll_probe.exe" ||
      fail "the planted $name left no mark when tq_dll_probe loaded it"
  done
  rm "$c/planted-dlls.txt" "$c/TQPrinterSetup/tq_dll_probe.exe"

  # --- No printer: detection finds nothing; USB install fails with result 3. ---
  walk no-printer status='没有检测到打印机！' name='TAVIR TQ-5800' usb=checked usb_radio=enabled \
    lpt_radio=enabled result=fail message='没有检测到USB打印机设备。请返回上一步重新连接USB线缆并打开电源。' pages=1
  key_exists 'HKLM\SYSTEM\CurrentControlSet\Control\Print\Printers\TAVIR TQ-5800' && fail "a printer was added"
  service_key "Printer Helper" && fail "a service was registered"

  # --- The 32-bit print UI of the 64-bit prefix is live and inert: started
  # as a 32-bit program's system32\rundll32.exe, it records the call and
  # adds no printer. ---
  w 'C:\windows\syswow64\rundll32.exe' printui.dll,PrintUIEntry /z /if /b Probe \
    /f 'C:\TQPrinterSetup\TQPRINTER.INF' /r 'LPT1:' /m 'TAVIR TQ-5800' >/dev/null 2>&1 || true
  grep -qF 'call(32-bit under WOW64):/z /if /b Probe /f' "$c/printui-calls.txt" 2>/dev/null ||
    fail "the 32-bit print UI left no mark: $(cat "$c/printui-calls.txt" 2>/dev/null)"
  key_exists 'HKLM\SYSTEM\CurrentControlSet\Control\Print\Printers\Probe' && fail "the 32-bit print UI added a printer"
  rm "$c/printui-calls.txt"

fi

# --- The maker's USB printer, answering the model request over its pipe
# through the real SetupAPI and overlapped transfers (the pretend printer). ---
import_seed usb_printer.reg
state=$c/usbprinter-state.txt
rm -f "$state"
wine "$c/tq_usbprinter.exe" --state 'C:\usbprinter-state.txt' --lifetime 600 >/dev/null 2>&1 &
usbprinter=$!
for _ in $(seq 100); do grep -q '^ready' "$state" 2>/dev/null && break; sleep 0.2; done
grep -q '^ready' "$state" 2>/dev/null || fail "the pretend USB printer did not start"
watch_service
walk "usb-printer$walk_suffix" status='检测到打印机设备：' name='TQ-5800' usb=checked usb_radio=enabled result=ok \
  printer='TQ-5800' port=USB001
grep -q '^request 1b7c8181010002' "$state" || fail "the printer got no model request: $(cat "$state")"
kill "$usbprinter" 2>/dev/null || true
expect_printer TQ-5800 USB001
expect_default 'TQ-5800,winspool,USB001'
expect_service_gone_and_quoted
expect_spoolmate
expect_nothing_staged
usbprint_instance='HKLM\SYSTEM\CurrentControlSet\Enum\USBPRINT\TAVIRPrinter_TQ-5800TQMM\7&2A4B6C8D&0&USB001'
expect_bound "$usbprint_instance"
expect_value "$usbprint_instance" DeviceDesc REG_SZ TAVIRPrinter
grep -q 'dwUpdateMode == 0' "$services/Spoolmate.log" || fail "the log does not show the restoration"
if [[ $arch == win32 ]]; then
  # --- Windows XP, in the 32-bit prefix as XP is: with Wine's version set to
  # XP (5.1.2600), an install on LPT1: under a name the user types. A Windows
  # that lacks a function the programs import refuses to start them; Wine has
  # them all, so that is the build's check (cmake/importcheck.py), and this
  # walk shows the rest: the version probe lets 5.1 through and the whole job
  # runs. ---
  w reg add 'HKCU\Software\Wine' /v Version /d winxp /f >/dev/null 2>&1 || fail "cannot set Wine's version"
  w cmd /c ver 2>/dev/null | tr -d '\r' | grep -q 'Windows 5\.1\.2600' || fail "Wine does not report Windows XP"
  watch_service
  walk windows-xp choose=lpt type='TQ XP' result=ok printer='TQ XP' port='LPT1:'
  expect_printer 'TQ XP' 'LPT1:'
  expect_default 'TQ XP,winspool,LPT1:'
  expect_service_gone_and_quoted
  expect_spoolmate
  w reg delete 'HKCU\Software\Wine' /v Version /f >/dev/null 2>&1 || fail "cannot reset Wine's version"
  expect_print_ui_builds 32-bit
  finish
fi

# --- A USB printer of another maker: its description after the first space. ---
import_seed usb_printer_other_maker.reg
walk other-maker status='检测到打印机设备：' name='Office Laser 200' usb=checked result=ok \
  printer='Office Laser 200' port=USB001
expect_printer 'Office Laser 200' USB001
expect_default 'Office Laser 200,winspool,USB001'
w reg delete 'HKLM\SYSTEM\CurrentControlSet\Services\usbprint\Enum' /f >/dev/null 2>&1

# --- A driverless parallel-port printer of the maker: its model, then an
# install on LPT1: that ends with the device keys written by Spoolmate. ---
import_seed lpt_printer.reg
watch_service
walk parallel status='没有检测到打印机！' name='TQPRINTER' choose=lpt result=ok printer='TQPRINTER' port='LPT1:'
expect_printer TQPRINTER 'LPT1:'
expect_default 'TQPRINTER,winspool,LPT1:'
expect_service_gone_and_quoted
expect_spoolmate
expect_nothing_staged
lpt_instance='HKLM\SYSTEM\CurrentControlSet\Enum\LPTENUM\TAVIRTQPRINTER5800\5&3B1C9E2&0&LPT1'
expect_bound "$lpt_instance"
expect_no_value "$lpt_instance" DeviceDesc  # the parallel mode leaves the description alone
grep -q 'dwUpdateMode > 0' "$services/Spoolmate.log" || fail "the log does not show the restoration"

# --- Windows protected print mode on (group policy): the install stops
# before it changes anything. No print UI starts, and the printer class key,
# the services and the files are as they were. ---
policy='HKLM\Software\Policies\Microsoft\Windows NT\Printers\WPP'
w reg add "$policy" /v WindowsProtectedPrintGroupPolicyState /t REG_DWORD /d 1 /f >/dev/null 2>&1 ||
  fail "cannot set the protected print policy"
snapshot() {
  rm -f "$c/class.reg"
  w reg export "$class" 'C:\class.reg' /y >/dev/null 2>&1 || fail "cannot export the class key"
  iconv -f UTF-16LE -t UTF-8 "$c/class.reg"
  w reg query 'HKLM\SYSTEM\CurrentControlSet\Services' 2>/dev/null | tr -d '\r'
  find "$services" "$c/windows/system32/spool" -printf '%p %s %T@\n' | sort
  cat "$c/printui-calls.txt" 2>/dev/null
}
snapshot >"$run/protected-before.txt"
walk protected-print name='TAVIR TQ-5800' choose=lpt result=fail \
  message='Windows 受保护的打印模式已开启，无法安装此打印机驱动程序。请联系管理员关闭该模式后再安装。'
snapshot >"$run/protected-after.txt"
diff "$run/protected-before.txt" "$run/protected-after.txt" >&2 ||
  fail "the install under protected print mode changed the PC (diff above)"
w reg delete "$policy" /f >/dev/null 2>&1 || fail "cannot remove the protected print policy"

# --- The same printer installed again under the same name: a copy, and
# Spoolmate.exe not rewritten. The device now has its driver ("Mfg"), so the
# parallel scan passes it by and the INF's model is proposed; the user types
# the name of the first install. ---
touch -d '2020-01-01' "$services/Spoolmate.exe"
stamp=$(stat -c %Y "$services/Spoolmate.exe")
watch_service
walk second-install name='TAVIR TQ-5800' choose=lpt type=TQPRINTER result=ok printer='TQPRINTER (副本 1)' \
  port='LPT1:'
expect_printer 'TQPRINTER (副本 1)' 'LPT1:'
expect_default 'TQPRINTER (副本 1),winspool,LPT1:'
expect_service_gone_and_quoted
[[ $(stat -c %Y "$services/Spoolmate.exe") == "$stamp" ]] || fail "Spoolmate.exe was rewritten"
expect_spoolmate

expect_print_ui_builds 64-bit
finish
