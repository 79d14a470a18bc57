#!/usr/bin/env bash
# Regenerates the icon's PNG and ICO forms from its one source, data/velmora.xpm.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh run
bash scripts/deps.sh icons
cmake -S . -B build-icons -DVELMORA_TESTS=OFF -DVELMORA_TOOLS=ON -DVELMORA_ICON_ONLY=ON >/dev/null
cmake --build build-icons --target velmora-icon -j"$(nproc)"
build-icons/tools/velmora-icon data/velmora.xpm data/velmora.png data/velmora.ico
