#!/usr/bin/env bash
# Installs the Debian packages Velmora needs that are missing on this machine.
#   scripts/deps.sh run      what building and running the viewer needs
#   scripts/deps.sh test     that, plus the test suite's X server and libraries
#                            (scripts/test.sh asks for windows and web itself)
#   scripts/deps.sh bench    that of run, plus Google Benchmark
#   scripts/deps.sh icons    what the icon converter needs (libpng), for scripts/icons.sh
#   scripts/deps.sh windows  the Windows cross-build (MinGW-w64) and Wine to run it
#   scripts/deps.sh web      the web build (emscripten, node) and the browsers that test it,
#                            with their WebDriver servers
set -euo pipefail

# Debian's current names: libgl-dev and libglvnd-dev, not the transitional
# libgl1-mesa-dev; libglut-dev, not the transitional freeglut3-dev.
run_packages=(g++ cmake make libgl-dev libglvnd-dev libglu1-mesa-dev libglut-dev libgl1-mesa-dri libx11-dev)
bench_packages=(libbenchmark-dev)
icons_packages=(g++ cmake make libpng-dev)
test_packages=(xvfb xauth libgtest-dev libglm-dev libpng-dev libx11-dev libxtst-dev libxdamage-dev man-db groff-base dpkg-dev file desktop-file-utils appstream lintian valgrind)
windows_packages=(cmake make g++-mingw-w64-x86-64-posix xz-utils wine wine64)
web_packages=(cmake make emscripten chromium chromium-driver firefox-esr webkit2gtk-driver xvfb xauth)

case "${1:-run}" in
  run) packages=("${run_packages[@]}") ;;
  test) packages=("${run_packages[@]}" "${test_packages[@]}") ;;
  bench) packages=("${run_packages[@]}" "${bench_packages[@]}") ;;
  icons) packages=("${icons_packages[@]}") ;;
  windows) packages=("${windows_packages[@]}") ;;
  web)
    packages=("${web_packages[@]}")
    # Debian's node, unless a node is installed already.
    command -v node >/dev/null || packages+=(nodejs)
    ;;
  *) echo "usage: $0 [run|test|bench|icons|windows|web]" >&2; exit 2 ;;
esac

if ! command -v apt-get >/dev/null || ! command -v dpkg-query >/dev/null; then
  cat >&2 <<'MESSAGE'
This system has no apt-get and dpkg: the scripts install what Velmora needs
by themselves only on Debian 12 and Debian 13. Install these with the
system's own package manager, then run the script again:
  to build and run: a C++17 compiler, CMake, and the development files of
    OpenGL, GLU, freeglut and Xlib;
  for the tests, besides: Xvfb, GoogleTest, glm, libpng, and the development
    files of the X extensions XTest and Damage;
  for the Windows build: the MinGW-w64 cross-compilers for x86-64, and Wine;
  for the web build: emscripten and node, and Chromium with chromedriver,
    Firefox and WebKitGTK's WebDriver to test it.
MESSAGE
  exit 1
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
# Debian's automatic updates may hold the package lock for a while: wait for
# it, up to five minutes, rather than fail.
lock_wait=300
update() {
  local waited=0 out
  until out=$("${sudo[@]}" apt-get update -qq 2>&1); do
    if ! grep -q 'Could not get lock' <<<"$out" || [ "$waited" -ge "$lock_wait" ]; then
      echo "$out" >&2
      return 1
    fi
    [ "$waited" -eq 0 ] && echo "Waiting for Debian's package lock (another apt, or an automatic update), up to 5 minutes" >&2
    sleep 5
    waited=$((waited + 5))
  done
  [ -z "$out" ] || echo "$out"
}
echo "Installing: ${missing[*]}"
update
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends \
  -o DPkg::Lock::Timeout="$lock_wait" "${missing[@]}"
