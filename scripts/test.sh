#!/usr/bin/env bash
# Installs what is missing, builds Velmora with its tests and runs every test
# on a private X server (Xvfb) with Mesa's software renderer.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh test

werror=OFF
[ "${CI:-}" = true ] && werror=ON
cmake -S . -B build-test -DVELMORA_TESTS=ON -DVELMORA_WERROR="$werror" >/dev/null
cmake --build build-test -j"$(nproc)"

export LIBGL_ALWAYS_SOFTWARE=1
xvfb-run -a -s "-screen 0 1280x1024x24" ctest --test-dir build-test --output-on-failure
