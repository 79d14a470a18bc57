#!/usr/bin/env bash
# Builds Velmora for web browsers with emscripten: build-web/site/ holds the
# page (index.html) and one script with the wasm inside (velmora.js), which
# run opened from the disk or served, and build-web/velmora-VERSION-web.zip
# holds the same with the licence and a readme.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh web

# Debian's emscripten runs its JS optimiser with Debian's node modules; a node
# from elsewhere first on PATH does not look there by itself.
export NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}
# Debian's emscripten keeps the system libraries it builds on first use in
# its own cache; one who may not write there gets a copy of it to write in.
if [ -d /usr/share/emscripten/cache ] && [ ! -w /usr/share/emscripten/cache ]; then
  export EM_CACHE="$PWD/build-web/emscripten-cache"
  [ -e "$EM_CACHE/sysroot" ] || { mkdir -p "$EM_CACHE" && cp -r /usr/share/emscripten/cache/. "$EM_CACHE/"; }
fi
emcmake cmake -S . -B build-web -DCMAKE_BUILD_TYPE=Release -DVELMORA_TESTS=OFF >/dev/null
cmake --build build-web -j"$(nproc)"
echo "web.sh: build-web/site/index.html, $(ls build-web/velmora-*-web.zip)"
