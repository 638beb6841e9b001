#!/usr/bin/env bash
# Builds the libraries of the Windows build from their pinned sources, once,
# into a prefix under the given cache folder (default build-win/deps):
# GLFW 3.2.1 and GLEW 2.1.0 from the npm package deps-opengl-raub, libmpg123
# from the npm package lame, googletest from Debian's sources. Run again, it
# does nothing unless this script or the toolchain file changed.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
cache=$(mkdir -p "${1:-build-win/deps}" && cd "${1:-build-win/deps}" && pwd)
prefix=$cache/prefix
toolchain=$here/mingw-w64.cmake

# name@version and the sha256 of the tarball `npm pack` fetches.
opengl_package=deps-opengl-raub@2.3.0
opengl_sha256=bb528d611dba0cd50d04f214f2e4144cb9aac8e68ce24e3cdccec4e315074857
lame_package=lame@1.2.4
lame_sha256=a2cb82bdb944eb852d31c2ab9f8c76ae2673a0ff800d4e46a72da39d2d586a21

stamp=$cache/prefix.stamp
recipe=$(cat "$0" "$toolchain" "$here/mpg123/CMakeLists.txt" | sha256sum | cut -d' ' -f1)
if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$recipe" ]; then
  exit 0
fi
rm -rf "$prefix" "$cache/work" "$stamp"
mkdir -p "$cache/tarballs" "$cache/work"
work=$cache/work

# Fetches NAME@VERSION with npm (nothing is installed or run) unless the
# cache has it already, and unpacks it into $work/DIR once it checks out.
fetch() {
  local package=$1 sha256=$2 dir=$3
  local tarball=$cache/tarballs/${package/@/-}.tgz
  if [ ! -f "$tarball" ]; then
    (cd "$cache/tarballs" && npm pack --silent "$package" >/dev/null)
  fi
  if ! echo "$sha256  $tarball" | sha256sum --check --status; then
    echo "libraries: $package does not match its pinned sha256; refusing it" >&2
    rm -f "$tarball"
    exit 1
  fi
  mkdir -p "$work/$dir"
  tar -xzf "$tarball" -C "$work/$dir" --strip-components=1
}

# Configures, builds and installs a CMake project into the prefix.
build() {
  local source=$1 name=$2
  shift 2
  cmake -S "$source" -B "$work/build-$name" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_INSTALL_PREFIX="$prefix" \
    -Wno-dev "$@" >"$work/$name.log" 2>&1 &&
    cmake --build "$work/build-$name" --target install >>"$work/$name.log" 2>&1 ||
    { tail -n 30 "$work/$name.log" >&2; echo "libraries: building $name failed" >&2; exit 1; }
}

started=$SECONDS
fetch "$opengl_package" "$opengl_sha256" opengl
fetch "$lame_package" "$lame_sha256" lame
unzip -q "$work/opengl/src/glfw-3.2.1.zip" -d "$work"
unzip -q "$work/opengl/src/glew-2.1.0.zip" -d "$work"

build "$work/glfw-3.2.1" glfw -DBUILD_SHARED_LIBS=OFF -DGLFW_BUILD_EXAMPLES=OFF \
  -DGLFW_BUILD_TESTS=OFF -DGLFW_BUILD_DOCS=OFF
build "$work/glew-2.1.0/build/cmake" glew -DBUILD_UTILS=OFF
build "$here/mpg123" mpg123 -DSOURCE_DIR="$work/lame/deps/mpg123"
build /usr/src/googletest googletest -DBUILD_GMOCK=OFF -Dgtest_disable_pthreads=OFF

rm -rf "$work"
echo "$recipe" >"$stamp"
echo "libraries: built GLFW, GLEW, libmpg123 and googletest for Windows in $((SECONDS - started)) s" >&2
