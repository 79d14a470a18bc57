#!/usr/bin/env bash
# Hunts for flaky tests: runs the GL and end-to-end tests N times in a row,
# each round on a stock X server of its own (xvfb-run -a, which resets itself
# whenever its last client leaves) and each test in a process of its own, as
# the test command runs them. Not part of the test command.
#   scripts/flake-hunt.sh [-n ROUNDS] [-l]
#     -n  rounds (default 20)
#     -l  load: a second copy of both test binaries runs in a loop meanwhile
# Ends with "N passed, M failed" (rounds) and how often each failing test failed.
set -euo pipefail
cd "$(dirname "$0")/.."
rounds=20 load=0
while getopts "n:l" opt; do
  case $opt in
    n) rounds=$OPTARG ;;
    l) load=1 ;;
    *) echo "usage: $0 [-n ROUNDS] [-l]" >&2; exit 2 ;;
  esac
done

bash scripts/deps.sh test
build=build-test
cmake -S . -B "$build" -DVELMORA_TESTS=ON >/dev/null
cmake --build "$build" --target velmora velmora_tests velmora_e2e_tests -j"$(nproc)" >/dev/null
export LIBGL_ALWAYS_SOFTWARE=1 LP_NUM_THREADS=0
logs=$(mktemp -d)
loader=
stop_load() { [ -z "$loader" ] || kill -- -"$loader" 2>/dev/null || true; }
trap 'stop_load; rm -rf "$logs"' EXIT

if [ "$load" = 1 ]; then
  # Its own process group, so that the whole copy stops with the hunt.
  setsid bash -c 'while true; do
      xvfb-run -a "$1/tests/velmora_tests" >/dev/null 2>&1
      xvfb-run -a "$1/tests/velmora_e2e_tests" >/dev/null 2>&1
    done' load "$build" &
  loader=$!
fi

passed=0 failed=0
for round in $(seq "$rounds"); do
  log="$logs/round-$round.log"
  if xvfb-run -a ctest --test-dir "$build" -L '^(gl|e2e)$' --output-on-failure >"$log" 2>&1; then
    passed=$((passed + 1))
    echo "round $round: passed"
  else
    failed=$((failed + 1))
    echo "round $round: FAILED"
    sed -n '/The following tests FAILED/,$p' "$log" | grep -E '^\s+[0-9]+ - ' | sed -E 's/^\s+[0-9]+ - //' \
      | tee -a "$logs/failures"
    cp "$log" "$build/flake-hunt-round-$round.log"
    echo "  log: $build/flake-hunt-round-$round.log"
  fi
done
stop_load
if [ -s "$logs/failures" ]; then
  echo "failing tests (times):"
  sort "$logs/failures" | uniq -c | sort -rn
fi
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
