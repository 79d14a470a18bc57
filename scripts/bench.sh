#!/usr/bin/env bash
# Builds an optimised viewer and measures its frame cost against an empty
# frame, the key callbacks, and the real binary's start to first frame, on a
# private X server with Mesa's software renderer; then the web build in each
# browser, and Lighthouse's mobile audit of its page (npm's lighthouse,
# installed into build-bench/lighthouse on first use; skipped without npm).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh test
bash scripts/deps.sh bench
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DVELMORA_TESTS=OFF -DVELMORA_TOOLS=ON -DVELMORA_BENCHMARKS=ON >/dev/null
cmake --build build-bench --target velmora velmora_bench velmora-drive -j"$(nproc)" >/dev/null
export LIBGL_ALWAYS_SOFTWARE=1
xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
  build-bench/bench/velmora_bench --benchmark_repetitions="${REPETITIONS:-5}" --benchmark_report_aggregates_only=true "$@"
  echo "Start to first frame of build-bench/velmora, 10 runs (ms):"
  for _ in $(seq 10); do build-bench/tools/velmora-drive -f -q q -- build-bench/velmora; done |
    awk "{print \$4}" | sort -n | awk "{a[NR] = \$1} END {printf \"min %s  median %s  max %s\n\", a[1], a[int((NR + 1) / 2)], a[NR]}"
' bench "$@"

# The web build: its weight, and in each browser the first frame and a frame's cost.
bash scripts/web.sh >/dev/null
echo "Web build, gzipped: index.html $(gzip -9c build-web/site/index.html | wc -c) B," \
  "velmora.js $(gzip -9c build-web/site/velmora.js | wc -c) B; the zip $(wc -c < build-web/velmora-*-web.zip) B" \
  "(target: at most 111,100 B, a tenth over 101 KB)"
xvfb-run -a -s "-screen 0 2048x2048x24" node bench/web_bench.mjs build-web/site

# Lighthouse's mobile audit, with Debian's Chromium.
if command -v npm >/dev/null; then
  lighthouse=build-bench/lighthouse/node_modules/.bin/lighthouse
  [ -x "$lighthouse" ] || npm install --prefix build-bench/lighthouse --no-audit --no-fund --silent lighthouse@12
  node bench/lighthouse.mjs build-web/site "$lighthouse"
else
  echo "Lighthouse's audit skipped: no npm"
fi
