#!/usr/bin/env bash
# `qorva DEMO` under a real window manager: the demonstration opens with its introduction box (a
# window titled "QORVA" alone, before the main window's "QORVA - Konstantkraftfeder"). Run through
# under-wm.sh; where it found no X server it says why, and the test is skipped.
set -u
qorva=$1
if [ -n "${QORVA_WM_SKIP:-}" ]; then
  echo "skipped: $QORVA_WM_SKIP"
  exit 77
fi
if ! command -v xdotool >/dev/null 2>&1; then
  echo "xdotool is not installed (tools/setup.sh installs it)"
  exit 1
fi
dir=$(mktemp -d)
mkdir -p "$dir/Übungen" "$dir/home" "$dir/tmp"
cd "$dir/Übungen" || exit 1
HOME="$dir/home" XDG_CONFIG_HOME="$dir/home/.config" XDG_DATA_HOME="$dir/home/.local/share" TMPDIR="$dir/tmp" \
  "$qorva" DEMO >"$dir/qorva.log" 2>&1 &
pid=$!
found=""
for _ in $(seq 1 300); do
  found=$(xdotool search --onlyvisible --name '^QORVA$' 2>/dev/null | head -n 1)
  [ -n "$found" ] && break
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
kill "$pid" 2>/dev/null
wait "$pid" 2>/dev/null
if [ -z "$found" ]; then
  echo "no introduction box appeared; the program said:"
  cat "$dir/qorva.log"
  rm -rf "$dir"
  exit 1
fi
echo "the introduction box is shown (window $found)"
rm -rf "$dir"
