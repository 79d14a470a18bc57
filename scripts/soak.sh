#!/usr/bin/env bash
# Runs the viewer for a minute on a private X server with keys pressed once a
# second, and reports its resident memory every 5 seconds. Fails if its peak
# over the last 10 seconds is 1 MiB or more above its peak over seconds 5 to 15
# (the first seconds warm the GL driver's caches).
#   scripts/soak.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
bash scripts/deps.sh test
cmake -S . -B build-test -DVELMORA_TESTS=ON >/dev/null
cmake --build build-test --target velmora velmora-drive -j"$(nproc)" >/dev/null
export LIBGL_ALWAYS_SOFTWARE=1 SOAK_SECONDS=$seconds
xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
  build-test/tools/velmora-drive -p "Right X m Up m P p o o e e" -s "$SOAK_SECONDS" -q q -- build-test/velmora &
  drive=$!
  for _ in $(seq 100); do pid=$(pgrep -P "$drive" -x velmora || true); [ -n "$pid" ] && break; sleep 0.05; done
  rss() { awk "/^VmRSS/ {print \$2}" "/proc/$pid/status"; }
  warm=0 late=0
  for ((t = 0; t < SOAK_SECONDS - 1; t++)); do
    now=$(rss)
    [ $((t % 5)) -eq 0 ] && echo "${t} s: ${now} KiB"
    if [ "$t" -ge 5 ] && [ "$t" -lt 15 ] && [ "$now" -gt "$warm" ]; then warm=$now; fi
    if [ "$t" -ge $((SOAK_SECONDS - 11)) ] && [ "$now" -gt "$late" ]; then late=$now; fi
    sleep 1
  done
  wait "$drive"
  growth=$((late - warm))
  echo "peak at 5-15 s: ${warm} KiB; peak over the last 10 s: ${late} KiB; growth: ${growth} KiB"
  [ "$growth" -lt 1024 ] || { echo "FAIL: resident memory grew by ${growth} KiB"; exit 1; }
'
