#!/usr/bin/env bash
# Runs the built viewer under valgrind memcheck for a few hundred frames with
# key events of every kind, then quits it with 'q'. Fails on any invalid read
# or write, any use of uninitialised memory, and any definite leak that the
# suppressions (Mesa, X and toolkit internals only) do not cover.
#   memcheck_test.sh DRIVE_TOOL VIEWER SUPPRESSIONS
set -euo pipefail
drive=$1 viewer=$2 supp=$3
log=$(mktemp)
trap 'rm -f "$log"' EXIT

# valgrind runs one thread at a time whatever Mesa asks for; given its
# rasteriser threads, Mesa draws about five times the frames in the same time.
export LP_NUM_THREADS=2
set +e
# -f: the keys start with the first frame drawn, which under valgrind comes 10
# to 20 s after the start (Mesa's JIT compiler runs slowly); -n: then 300 more
# frames, however long a loaded machine takes for them.
"$drive" -f -t 600 \
  -k "Right*4 Up*3 Left Down" -k "m Left*3 Up*2 Right Down m" -k "P*3 p*2 X*3 x y*2 Y Z*2 z" \
  -k "o 2 e e 1 o Shift_L Control_L Alt_L Num_Lock Num_Lock" -k "Right*6" -k "Up*6" -k "X*6" -k "Y*6" \
  -n 300 -q q -- valgrind --error-exitcode=99 --leak-check=full --show-leak-kinds=definite \
  --errors-for-leak-kinds=definite --keep-debuginfo=yes --num-callers=50 --suppressions="$supp" --log-file="$log" "$viewer" \
  2> "$log.drive"
status=$?
set -e
grep -E 'ERROR SUMMARY|definitely lost|Invalid|uninitialised' "$log" || true
cat "$log.drive"
rm -f "$log.drive"
[ "$status" -eq 0 ] || { echo "FAIL: exit status $status (99: memcheck found errors)"; cat "$log"; exit 1; }
