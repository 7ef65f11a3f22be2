#!/usr/bin/env bash
# Installs what is missing, builds the program and starts it on its shipped data folder.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh
cmake -S . -B build -G Ninja >/dev/null
cmake --build build --parallel "$(nproc)" --target qorva
cd data
exec ../build/shell/qorva "$@"
