#!/usr/bin/env bash
# Installs the Debian packages the project needs, only those that are missing.
# Safe to run again and again; needs root (or sudo) only when something is missing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev libgl-dev
  locales
  python3 python3-dbfread shapelib libdbd-xbase-perl
  python3-ezdxf python3-html5lib python3-openpyxl libxlsxwriter-dev libminizip-dev
  # Qt's own buttons and dialogs in the desktop's language.
  qt6-translations-l10n
  occt-draw admesh hp2xx
  # The desktop opener (xdg-open) that shows the manual, web pages, documents, the editor and the
  # spreadsheet program's workbooks.
  xdg-utils
  # Prints are measured as PDF files; window sizes and places are checked under a real window manager.
  poppler-utils xvfb xauth openbox
  # Finds the real program's windows on that X server (the demonstration's introduction).
  xdotool
  # The fuzz targets (tools/fuzz.sh): clang with libFuzzer and the sanitizer runtimes.
  clang libclang-rt-14-dev
  # Benchmarks measure against the SQLite library; a test counts the disk syncs of a run with strace.
  libsqlite3-dev strace
  # The benchmarks take the peak memory of a program run through GNU time.
  time
  # The program maps its drawing fonts (Arial, Times New Roman, Courier New) to these metric-compatible
  # families and shows Chinese and Korean menus with the CJK font.
  fonts-liberation2 fonts-wqy-microhei
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  as_root apt-get update -qq
  DEBIAN_FRONTEND=noninteractive as_root apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# The number tests run under a German locale to prove that formatting ignores it.
if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
  echo "setup: generating de_DE.UTF-8"
  if [ -f /etc/locale.gen ] && grep -q '^# *de_DE.UTF-8 UTF-8' /etc/locale.gen; then
    as_root sed -i 's/^# *de_DE.UTF-8 UTF-8/de_DE.UTF-8 UTF-8/' /etc/locale.gen
    as_root locale-gen >/dev/null
  else
    as_root localedef -i de_DE -f UTF-8 de_DE.UTF-8
  fi
fi
