#!/usr/bin/env bash
# Installs what is missing, builds the program and starts it on its shipped data folder.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh >&2
# Build messages go to stderr, so that what the program prints (usage text, results) stands alone.
cmake -S . -B build -G Ninja >&2
cmake --build build --parallel "$(nproc)" --target qorva >&2
cd data
exec ../build/shell/qorva "$@"
