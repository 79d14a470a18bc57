#!/usr/bin/env bash
# Installs what is missing, builds Velmora with its tests and runs every test
# on a private X server (Xvfb) with Mesa's software renderer: first the plain
# build, then the same suite built with AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh test

werror=OFF
[ "${CI:-}" = true ] && werror=ON
export LIBGL_ALWAYS_SOFTWARE=1
xvfb=(xvfb-run -a -s "-screen 0 1280x1024x24")

cmake -S . -B build-test -DVELMORA_TESTS=ON -DVELMORA_WERROR="$werror" >/dev/null
cmake --build build-test -j"$(nproc)"
"${xvfb[@]}" ctest --test-dir build-test --output-on-failure

# Leaks are left to the valgrind test: Mesa's driver is unloaded before
# LeakSanitizer runs, so its leaks could not be told from ours. The package
# and valgrind tests do not apply to a sanitizer build.
cmake -S . -B build-sanitize -DVELMORA_TESTS=ON -DVELMORA_SANITIZE=ON -DVELMORA_WERROR="$werror" >/dev/null
cmake --build build-sanitize -j"$(nproc)"
ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  "${xvfb[@]}" ctest --test-dir build-sanitize --output-on-failure -E 'package|memcheck'
