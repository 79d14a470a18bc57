#!/usr/bin/env bash
# Regenerates the icon's PNG and ICO forms from its one source, data/velmora.xpm.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh test
cmake -S . -B build-test -DVELMORA_TESTS=ON >/dev/null
cmake --build build-test --target velmora-icon -j"$(nproc)"
build-test/tests/velmora-icon data/velmora.xpm data/velmora.png data/velmora.ico
