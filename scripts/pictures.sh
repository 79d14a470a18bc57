#!/usr/bin/env bash
# Makes the README's pictures: runs the real viewer on a private X server,
# presses each shot's keys and writes its window to docs/.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh test
cmake -S . -B build-test -DVELMORA_TESTS=ON >/dev/null
cmake --build build-test --target velmora velmora-drive -j"$(nproc)"

# name|keys|more velmora-drive options; keys as X keysym names with an optional *N repeat
shots=(
  "start||"
  "orbit|Right*6 Up*4|"
  "pan|m Left*8 Down*5|"
  "ortho|o|"
  "edge-on|X*18|"
  "full-axes|2 x*4 y*3|"
  "hidden-axes|e|"
  "menu||-m 255,265,1,12"
  "matrices|Right*6 Up*4 X*3|-c 150,100,8,12"
  "eye-view|Right*6 Up*4|-c 150,100,9,12"
)
export LIBGL_ALWAYS_SOFTWARE=1
for shot in "${shots[@]}"; do
  IFS='|' read -r name keys options <<< "$shot"
  # shellcheck disable=SC2086 # options are words
  xvfb-run -a -s "-screen 0 1280x1024x24" build-test/tests/velmora-drive -k "$keys" $options -o "docs/$name.png" -- build-test/velmora
  echo "docs/$name.png: ${keys:-(no keys)}"
done
