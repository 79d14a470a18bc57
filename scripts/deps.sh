#!/usr/bin/env bash
# Installs the Debian packages Velmora needs that are missing on this machine.
#   scripts/deps.sh run    what building and running the viewer needs
#   scripts/deps.sh test   that, plus the test suite's X server and libraries
#   scripts/deps.sh bench  that of run, plus Google Benchmark
set -euo pipefail

run_packages=(g++ cmake make libgl1-mesa-dev libglu1-mesa-dev freeglut3-dev libgl1-mesa-dri)
bench_packages=(libbenchmark-dev)
test_packages=(xvfb xauth libgtest-dev libglm-dev libpng-dev libx11-dev libxtst-dev libxdamage-dev man-db groff-base dpkg-dev file desktop-file-utils appstream lintian valgrind)

packages=("${run_packages[@]}")
case "${1:-run}" in
  run) ;;
  test) packages+=("${test_packages[@]}") ;;
  bench) packages+=("${bench_packages[@]}") ;;
  *) echo "usage: $0 [run|test|bench]" >&2; exit 2 ;;
esac

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
echo "Installing: ${missing[*]}"
"${sudo[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
