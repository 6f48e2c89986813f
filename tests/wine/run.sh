#!/usr/bin/env bash
# Runs a Windows program under Wine in the build's private prefix, with a
# virtual X display. The prefix is made once (wineboot --init) and given a
# CJK font in place of the dialog fonts so that Chinese text shows.
# TQ_WINE_DLL_OVERRIDES adds DLL overrides for the program alone, such as
# "shell32=d" to refuse it a DLL; the session's own programs (the desktop,
# the services), which need such DLLs, are started before it without them.
set -euo pipefail
exe=$1; shift
build=$(cd "$(dirname "$exe")/.." && pwd)

export WINEPREFIX=$build/wineprefix
export WINEARCH=win32
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml="

(
  flock 9
  if [[ ! -f $WINEPREFIX/.tq-ready-2 ]]; then
    rm -rf "$WINEPREFIX"
    wineboot --init >/dev/null 2>&1
    for font in Arial Tahoma "MS Shell Dlg" "MS Shell Dlg 2" SimSun NSimSun "宋体" "新宋体" "微软雅黑" "Microsoft YaHei"; do
      wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$font" /d "WenQuanYi Micro Hei" /f >/dev/null 2>&1
    done
    # A crash ends the program at once instead of waiting on a crash dialog.
    wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
    wineserver -w
    touch "$WINEPREFIX/.tq-ready-2"
  fi
) 9>"$build/.wineprefix.lock"

if [[ -z ${DISPLAY:-} ]]; then
  for n in $(seq 90 140); do
    if [[ ! -e /tmp/.X11-unix/X$n && ! -e /tmp/.X$n-lock ]]; then
      Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
      xvfb=$!
      trap 'kill $xvfb 2>/dev/null || true' EXIT
      export DISPLAY=:$n
      for _ in $(seq 50); do [[ -e /tmp/.X11-unix/X$n ]] && break; sleep 0.1; done
      [[ -e /tmp/.X11-unix/X$n ]] || { echo "run.sh: Xvfb :$n did not start within 5 s" >&2; exit 1; }
      break
    fi
  done
fi

if [[ -n ${TQ_WINE_DLL_OVERRIDES:-} ]]; then
  wineserver -p5
  wine cmd /c exit >/dev/null 2>&1
fi
set +e
WINEDLLOVERRIDES="$WINEDLLOVERRIDES${TQ_WINE_DLL_OVERRIDES:+;$TQ_WINE_DLL_OVERRIDES}" wine "$exe" "$@"
rc=$?
wineserver -w
exit $rc
