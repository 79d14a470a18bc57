#!/usr/bin/env bash
# Installs what is missing, builds Velmora with its tests and runs every test
# on a private X server (Xvfb) with Mesa's software renderer: first the plain
# build, with the Windows build (scripts/windows.sh) run under Wine beside it
# and the web build (scripts/web.sh) in Chromium, Firefox ESR and WebKitGTK,
# then the same suite built with AddressSanitizer and UndefinedBehaviorSanitizer.
#
#   scripts/test.sh            everything, as CI runs it
#   scripts/test.sh LABEL|NAME the quick loop, after a first whole run: builds
#                              what changed and runs one CTest label (gl, e2e,
#                              web, package, memcheck) or the tests whose names
#                              match NAME, on a private X server
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh test

werror=OFF
[ "${CI:-}" = true ] && werror=ON
# Mesa's software renderer, pinned so that every machine renders the same way:
# rasterised on the calling thread, and with a shader cache that each run
# starts empty in its build folder, never one that another run or machine left
# behind. The pictures depend on neither. scripts/soak.sh and scripts/bench.sh
# keep Mesa's defaults, as a user would have them.
export LIBGL_ALWAYS_SOFTWARE=1 LP_NUM_THREADS=0
fresh_shader_cache() {
  rm -rf "$1/mesa-shader-cache"
  export MESA_SHADER_CACHE_DIR="$PWD/$1/mesa-shader-cache"
}
# The screen holds a window of the web build's largest buffer in the browsers' test (1122 x 1122).
xvfb=(xvfb-run -a -s "-screen 0 2048x2048x24")

if [ $# -gt 0 ]; then
  if [ ! -f build-test/CMakeCache.txt ]; then
    echo "scripts/test.sh: run it once without arguments first: the quick loop reuses its builds" >&2
    exit 2
  fi
  case "$1" in
    gl | e2e | web | package | memcheck) which=(-L "^$1\$") ;;
    *) which=(-R "$1") ;;
  esac
  [ "$1" = web ] && bash scripts/web.sh >/dev/null
  cmake --build build-test -j"$(nproc)"
  fresh_shader_cache build-test
  exec "${xvfb[@]}" ctest --test-dir build-test --output-on-failure "${which[@]}"
fi

bash scripts/windows.sh
bash scripts/web.sh
cmake -S . -B build-test -DVELMORA_TESTS=ON -DVELMORA_WERROR="$werror" -DVELMORA_WINDOWS_DIR="$PWD/build-windows" \
  -DVELMORA_WEB_DIR="$PWD/build-web" >/dev/null
cmake --build build-test -j"$(nproc)"
fresh_shader_cache build-test
"${xvfb[@]}" ctest --test-dir build-test --output-on-failure

# Leaks are left to the valgrind test: Mesa's driver is unloaded before
# LeakSanitizer runs, so its leaks could not be told from ours. The package
# and valgrind tests do not apply to a sanitizer build (nor is the Windows one built there).
cmake -S . -B build-sanitize -DVELMORA_TESTS=ON -DVELMORA_SANITIZE=ON -DVELMORA_WERROR="$werror" >/dev/null
cmake --build build-sanitize -j"$(nproc)"
fresh_shader_cache build-sanitize
ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  "${xvfb[@]}" ctest --test-dir build-sanitize --output-on-failure -E 'package|memcheck'
