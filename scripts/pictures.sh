#!/usr/bin/env bash
# Makes the gallery's pictures, one for each row of docs/gallery.txt: runs the
# real viewer on a private X server, gives it the row's input and writes the
# picture to docs/NAME.png. The e2e test holds every picture to these files,
# so after a change to the scene that is meant, this remakes what it holds.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh test
cmake -S . -B build-test -DVELMORA_TESTS=ON >/dev/null
cmake --build build-test --target velmora velmora-drive -j"$(nproc)"

export LIBGL_ALWAYS_SOFTWARE=1 LP_NUM_THREADS=0
while IFS='|' read -r name _; do
  case "$name" in '' | '#'*) continue ;; esac
  xvfb-run -a -s "-screen 0 1280x1024x24" \
    build-test/tools/velmora-drive -g "docs/gallery.txt:$name" -o "docs/$name.png" -- build-test/velmora
  echo "docs/$name.png"
done < docs/gallery.txt
