#!/usr/bin/env bash
# Installs what is missing, builds Velmora and runs it; arguments go to the viewer.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh run
cmake -S . -B build -DVELMORA_TESTS=OFF >/dev/null
cmake --build build --target velmora -j"$(nproc)"
exec build/velmora "$@"
