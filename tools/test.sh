#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test.
#   tools/test.sh             plain build in build/
#   tools/test.sh --sanitize  AddressSanitizer + UBSan build in build-san/
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh

dir=build
flags=()
if [ "${1:-}" = "--sanitize" ]; then
  dir=build-san
  flags=(-DQORVA_SANITIZE=ON -DQORVA_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug)
fi

jobs=$(nproc)
cmake -S . -B "$dir" -G Ninja "${flags[@]}" >/dev/null
cmake --build "$dir" --parallel "$jobs"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export LSAN_OPTIONS=suppressions=$PWD/tools/lsan.supp
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
ctest --test-dir "$dir" --output-on-failure --parallel "$jobs" --timeout 600
