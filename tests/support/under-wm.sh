#!/usr/bin/env bash
# Runs a test program on a real X server with a window manager: Xvfb with one screen of the given
# size (for example 1920x1080) and openbox on it. Where no X server can be started, the program runs
# offscreen with QORVA_WM_SKIP telling why, and its tests skip with that message.
set -u
size=$1
shift

if ! command -v Xvfb >/dev/null 2>&1 || ! command -v openbox >/dev/null 2>&1; then
  QORVA_WM_SKIP="Xvfb or openbox is not installed (tools/setup.sh installs them)" QT_QPA_PLATFORM=offscreen exec "$@"
fi

dir=$(mktemp -d)
Xvfb -displayfd 9 -screen 0 "${size}x24" -nolisten tcp -noreset 9>"$dir/display" >"$dir/xvfb.log" 2>&1 &
xvfb=$!
# The server writes its display number once it accepts clients.
while [ ! -s "$dir/display" ] && kill -0 "$xvfb" 2>/dev/null; do sleep 0.1; done
if [ ! -s "$dir/display" ]; then
  reason="no X server could be started: $(tail -n 3 "$dir/xvfb.log" | tr '\n' ' ')"
  rm -rf "$dir"
  QORVA_WM_SKIP="$reason" QT_QPA_PLATFORM=offscreen exec "$@"
fi
export DISPLAY=":$(head -n 1 "$dir/display")"
# openbox runs its startup command once it manages the screen.
openbox --sm-disable --startup "touch $dir/wm-ready" >"$dir/openbox.log" 2>&1 &
wm=$!
while [ ! -e "$dir/wm-ready" ] && kill -0 "$wm" 2>/dev/null; do sleep 0.1; done
if [ ! -e "$dir/wm-ready" ]; then
  reason="the window manager did not start: $(tail -n 3 "$dir/openbox.log" | tr '\n' ' ')"
  kill "$xvfb" 2>/dev/null
  rm -rf "$dir"
  QORVA_WM_SKIP="$reason" QT_QPA_PLATFORM=offscreen exec "$@"
fi
# Under AddressSanitizer the X client libraries keep what they allocate until the end: no leak report.
ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0" QT_QPA_PLATFORM=xcb QORVA_WM_SCREEN="$size" "$@"
rc=$?
kill "$wm" 2>/dev/null
kill "$xvfb" 2>/dev/null
wait "$wm" "$xvfb" 2>/dev/null
rm -rf "$dir"
exit $rc
