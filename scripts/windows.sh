#!/usr/bin/env bash
# Cross-builds Velmora for 64-bit Windows on a Debian machine and packs it:
# build-windows/velmora-<version>-win64.zip, holding velmora.exe, the licence
# and a readme. The exe needs only Windows' own DLLs.
#
# Installs what is missing (MinGW-w64, and Wine for the tests), takes
# freeglut's source from the distribution's own source package, builds it as
# a static Windows library once (kept in build-windows/freeglut), then builds
# the viewer from the project's CMakeLists with cmake/mingw-w64.cmake.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh windows

out=$PWD/build-windows
prefix=$out/freeglut
mkdir -p "$out"

# freeglut's source, through an apt configuration of our own: the machine's
# own Debian sources (deb822 *.sources files and one-line sources.list files
# alike) turned into deb-src entries, with lists and downloads kept here. The
# system's sources are only read.
fetch_freeglut_source() {
  local apt=$out/apt codename
  codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
  rm -rf "$apt" && mkdir -p "$apt/sources.list.d" "$apt/lists/partial" "$apt/cache/archives/partial" "$out/source"
  local list
  for list in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [ -f "$list" ] || continue
    # One-line form: "deb [options] URI SUITE COMPONENTS...", for this release's suites only.
    awk -v codename="$codename" '$1 == "deb" {
        i = 2; if ($2 ~ /^\[/) { while ($i !~ /\]$/) i++; i++ }
        if ($(i + 1) ~ "^" codename "([-/]|$)") { $1 = "deb-src"; print } }' "$list"
  done > "$apt/sources.list"
  for list in /etc/apt/sources.list.d/*.sources; do
    [ -f "$list" ] || continue
    # deb822 form: stanzas of binary packages for this release become source stanzas.
    awk -v codename="$codename" 'BEGIN { RS = ""; ORS = "\n\n" }
      {
        n = split($0, lines, "\n"); types = 0; ours = 0; enabled = 1
        for (j = 1; j <= n; j++) {
          if (lines[j] ~ /^Types:/ && lines[j] ~ /[ \t]deb([ \t]|$)/) types = 1
          if (lines[j] ~ /^Suites:/ && lines[j] ~ "[ \t]" codename "([-/ \t]|$)") ours = 1
          if (lines[j] ~ /^Enabled:[ \t]*no/) enabled = 0
        }
        if (!types || !ours || !enabled) next
        for (j = 1; j <= n; j++) if (lines[j] ~ /^Types:/) lines[j] = "Types: deb-src"
        out = lines[1]; for (j = 2; j <= n; j++) out = out "\n" lines[j]
        print out
      }' "$list" > "$apt/sources.list.d/$(basename "$list")"
  done
  grep -qsE '^(deb-src|Types: deb-src)' "$apt/sources.list" "$apt"/sources.list.d/*.sources ||
    { echo "windows.sh: no Debian package source for release '$codename' in /etc/apt" >&2; return 1; }
  local options=(-o "Dir::Etc::SourceList=$apt/sources.list" -o "Dir::Etc::SourceParts=$apt/sources.list.d"
                 -o "Dir::State::Lists=$apt/lists" -o "Dir::Cache=$apt/cache" -o Debug::NoLocking=1
                 -o APT::Sandbox::User="$(id -un)")
  apt-get "${options[@]}" -qq update
  # Only the upstream tarball is needed (Debian's patches are for Linux), and a
  # mirror may lack the rest, so it alone is fetched, checked against the hash
  # the signed source index gives for it.
  local uri file size hash
  read -r uri file size hash < <(apt-get "${options[@]}" --print-uris source freeglut 2>/dev/null |
    grep -E "^'[^']+\.orig\.tar\.[a-z0-9]+' ") || true
  [ -n "${hash:-}" ] || { echo "windows.sh: the source index names no freeglut tarball" >&2; return 1; }
  /usr/lib/apt/apt-helper "${options[@]}" -qq download-file "${uri//\'/}" "$out/source/$file" "$hash" >/dev/null
  echo "windows.sh: freeglut source $file ($size bytes, $hash)"
}

if [ ! -f "$prefix/lib/libfreeglut_static.a" ]; then
  start=$SECONDS
  rm -rf "$out/source" "$prefix"
  fetch_freeglut_source
  tarball=$(ls "$out"/source/freeglut_*.orig.tar.*)
  mkdir -p "$out/source/freeglut" && tar -C "$out/source/freeglut" --strip-components=1 -xf "$tarball"
  cmake -S "$out/source/freeglut" -B "$out/freeglut-build" -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" -DFREEGLUT_BUILD_SHARED_LIBS=OFF \
    -DFREEGLUT_BUILD_STATIC_LIBS=ON -DFREEGLUT_BUILD_DEMOS=OFF >/dev/null
  cmake --build "$out/freeglut-build" -j"$(nproc)" >"$out/freeglut-build.log" 2>&1 ||
    { cat "$out/freeglut-build.log" >&2; exit 1; }
  cmake --install "$out/freeglut-build" >/dev/null
  # freeglut's install leaves out the classic header that programs include.
  cp "$out/source/freeglut/include/GL/glut.h" "$prefix/include/GL/"
  rm -rf "$out/freeglut-build"
  echo "windows.sh: freeglut $(basename "$tarball" | cut -d_ -f2 | sed 's/\.orig.*//') built static in $((SECONDS - start)) s"
fi

werror=OFF
[ "${CI:-}" = true ] && werror=ON
cmake -S . -B "$out/velmora" -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64.cmake" -DCMAKE_BUILD_TYPE=Release \
  -DVELMORA_TESTS=OFF -DVELMORA_WERROR="$werror" -DVELMORA_FREEGLUT_STATIC=ON -DCMAKE_PREFIX_PATH="$prefix" \
  -DGLUT_INCLUDE_DIR="$prefix/include" -DGLUT_glut_LIBRARY_RELEASE="$prefix/lib/libfreeglut_static.a" >/dev/null
cmake --build "$out/velmora" -j"$(nproc)"
(cd "$out/velmora" && cpack -G ZIP -B "$out" >/dev/null)
rm -rf "$out/_CPack_Packages"
ls "$out"/velmora-*-win64.zip
