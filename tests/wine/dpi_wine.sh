#!/usr/bin/env bash
# setup.exe at 150% and 200% under Wine: the pages' text is drawn at the
# screen's DPI (Wine stretches no window as a bitmap) and every side picture
# fills its frame. Each walk runs in a Wine virtual desktop, whose own
# explorer draws the window's title bar, so the screenshots show the window
# as users see it. The DPI is the "LogPixels" of HKCU\Control Panel\Desktop,
# which Wine 8 reads when a program starts (as it reads the one under
# HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts).
#   dpi_wine.sh <tq_autoclient.exe> <dist folder>
#       at 144 and 192 DPI, a walk with no printer: welcome, connection,
#       detection, the install that fails (no USB printer) and its page;
#       screenshots in <build>/screenshots/dpi-<DPI>-<page>.png
#   dpi_wine.sh <tq_autoclient.exe> <dist folder> --readme <folder> <printui.dll, 32-bit> <printui.dll, 64-bit>
#               <tq_usbprinter.exe>
#       the README's screenshots, into <folder>, in a 64-bit (WoW64) prefix as
#       users have it: at 96 DPI a walk with the maker's USB printer (the
#       pretend one) that installs it through the 64-bit stand-in print UI
#       (setup.exe starts it through Sysnative; the 32-bit one in syswow64
#       adds nothing), and one with no printer; the connection page at 144
#       DPI (connection-150.png)
set -euo pipefail
client=$(realpath "$1") dist=$(realpath "$2")
readme='' printui32='' printui64='' usbprinter_exe=''
if [[ ${3:-} == --readme ]]; then
  readme=$(realpath "$4") printui32=$(realpath "$5") printui64=$(realpath "$6") usbprinter_exe=$(realpath "$7")
  export WINEARCH=win64
fi
build=$(cd "$(dirname "$client")/.." && pwd)
here=$(cd "$(dirname "$0")" && pwd)

export WINEPREFIX=$build/wine-dpi
source "$here/lib.sh"
[[ -f $dist/setup.exe ]] || fail "no setup.exe in $dist (run make first)"
start_display
new_prefix
c=$WINEPREFIX/drive_c
mkdir -p "$c/TQPrinterSetup"
cp "$dist"/* "$c/TQPrinterSetup/"
run=$build/dpi-run
shots=$build/screenshots
rm -rf "$run"
mkdir -p "$run" "$shots"

# walk DPI NAME key=value...: setup.exe through the wizard (the install
# scenario of tq_autoclient, checking each page's picture) at DPI in a
# virtual desktop of its own; its screenshots become $run/NAME-<page>.png.
walk() {
  local dpi=$1 name=$2
  shift 2
  w reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1 ||
    fail "cannot set LogPixels to $dpi"
  echo "== $name at $dpi DPI"
  # The virtual desktop's explorer ends with the program it started; its exit
  # code is its own, so the walk's verdict is read from its report.
  timeout 180 wine explorer "/desktop=tq-$name,1280x1000" "$client" --install 'C:\TQPrinterSetup\setup.exe' \
    "$(winpath "$run")" "shots=$name" pages=1 pictures=1 "$@" 2>/dev/null | tr -d '\r' | tee "$run/$name.log" || true
  grep -q '^note: 0 failed check(s)$' "$run/$name.log" || fail "$name at $dpi DPI: the walk failed (see above)"
  local bmp png mean
  for bmp in "$run/$name"-*.bmp; do
    [[ -e $bmp ]] || fail "$name: no screenshots"
    png=${bmp%.bmp}.png
    convert "$bmp" "$png"
    # The title bar: the window's top rows are drawn (a window without its
    # non-client area shows black there).
    mean=$(convert "$png" -crop "$(identify -format %w "$png")x8+0+4" -format '%[fx:mean]' info:)
    awk -v m="$mean" 'BEGIN { exit !(m > 0.1) }' || fail "$png: no title bar (mean $mean of its top rows)"
  done
}

if [[ -z $readme ]]; then
  for dpi in 144 192; do
    walk "$dpi" "dpi-$dpi" status='没有检测到打印机！' result=fail \
      message='没有检测到USB打印机设备。请返回上一步重新连接USB线缆并打开电源。'
    for png in "$run/dpi-$dpi"-*.png; do cp "$png" "$shots/"; done
  done
  wineserver -k
  rm -rf "$WINEPREFIX"  # kept only when a check failed
  echo "PASS"
  exit 0
fi

# --- The README's screenshots. ---
walk 96 none status='没有检测到打印机！' result=fail
walk 144 dpi-144 status='没有检测到打印机！' result=fail
# The maker's USB printer, answering over its pipe; the stand-in print UI
# adds the printer (Wine's adds nothing).
cp "$printui64" "$c/windows/system32/printui.dll"
cp "$printui32" "$c/windows/syswow64/printui.dll"
export WINEDLLOVERRIDES="mscoree,mshtml=;printui=n"
cp "$usbprinter_exe" "$c/tq_usbprinter.exe"
cp "$here/../seeds/usb_printer.reg" "$c/seed.reg"
w reg import 'C:\seed.reg' >/dev/null 2>&1 || fail "reg import usb_printer.reg"
wine "$c/tq_usbprinter.exe" --state 'C:\usbprinter-state.txt' --lifetime 600 >/dev/null 2>&1 &
usbprinter=$!
at_exit "kill $usbprinter 2>/dev/null || true"
for _ in $(seq 100); do grep -q '^ready' "$c/usbprinter-state.txt" 2>/dev/null && break; sleep 0.2; done
grep -q '^ready' "$c/usbprinter-state.txt" 2>/dev/null || fail "the pretend USB printer did not start"
walk 96 usb status='检测到打印机设备：' name='TQ-5800' result=ok printer='TQ-5800' port=USB001
kill "$usbprinter" 2>/dev/null || true

mkdir -p "$readme"
cp "$run/usb-welcome.png" "$readme/welcome.png"
cp "$run/usb-connection.png" "$readme/connection.png"
cp "$run/usb-detect.png" "$readme/detection.png"
cp "$run/usb-installing.png" "$readme/installing.png"
cp "$run/usb-done.png" "$readme/installed.png"
cp "$run/none-done.png" "$readme/install-failed.png"
cp "$run/dpi-144-connection.png" "$readme/connection-150.png"
wineserver -k
rm -rf "$WINEPREFIX"
echo "README screenshots in $readme"
