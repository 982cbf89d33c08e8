#!/bin/sh
# Installs a build into a fresh prefix and checks what lands there: the versioned library and its
# soname link, the header, the tool, the manual page and both package files. Then builds two small
# programs from copies outside the source tree against the installed files only (a C one through
# pkg-config, a C++ one through find_package) and runs them.
# usage: install_test.sh BUILD_DIR SOURCE_DIR
set -u
build=$1
source=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix
fail() {
  echo "FAIL: $*"
  exit 1
}

cmake --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1 || { cat "$work/install.log"; fail "cmake --install"; }
for f in lib/libxcomp2.so lib/libxcomp2.so.1 include/xcomp2.h bin/xcomp share/man/man1/xcomp.1 \
  lib/pkgconfig/xcomp2.pc lib/cmake/xcomp2/xcomp2Config.cmake lib/cmake/xcomp2/xcomp2ConfigVersion.cmake; do
  [ -e "$prefix/$f" ] || fail "$f is not installed"
done
[ -L "$prefix/lib/libxcomp2.so" ] || fail "lib/libxcomp2.so is not a link"
[ "$(readlink "$prefix/lib/libxcomp2.so")" = libxcomp2.so.1 ] || fail "libxcomp2.so does not lead to libxcomp2.so.1"
readelf -d "$prefix/lib/libxcomp2.so.1" | grep -q 'SONAME.*\[libxcomp2\.so\.1\]' || fail "the soname is not libxcomp2.so.1"
# The engine sees one symbol of ours.
exported=$(nm -D --defined-only "$prefix/lib/libxcomp2.so.1" | awk '$2 == "T" { print $3 }')
[ "$exported" = xcomp2 ] || fail "exported functions: $exported"

# pkg-config: flags from the installed file only, the program from a copy outside the source tree.
export PKG_CONFIG_PATH="$prefix/lib/pkgconfig"
export PKG_CONFIG_LIBDIR="$prefix/lib/pkgconfig"
flags=$(pkg-config --cflags --libs xcomp2) || fail "pkg-config does not know xcomp2"
case "$flags" in *"$source"*) fail "pkg-config points into the source tree: $flags" ;; esac
cp "$source/tests/install/consumer.c" "$work/consumer.c"
# shellcheck disable=SC2086
cc -std=c11 -Wall -Werror -o "$work/c_consumer" "$work/consumer.c" $flags || fail "the C program does not build"
LD_LIBRARY_PATH="$prefix/lib" "$work/c_consumer" || fail "the C program failed"

# CMake: find_package(xcomp2) from the prefix alone.
cp -r "$source/tests/install/cmake_consumer" "$work/cmake_consumer"
cmake -S "$work/cmake_consumer" -B "$work/cmake_build" -DCMAKE_PREFIX_PATH="$prefix" \
  -DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF >"$work/cmake.log" 2>&1 || { cat "$work/cmake.log"; fail "find_package(xcomp2)"; }
grep -q "$source" "$work/cmake_build/CMakeCache.txt" && fail "the CMake package points into the source tree"
cmake --build "$work/cmake_build" >"$work/build.log" 2>&1 || { cat "$work/build.log"; fail "the C++ program does not build"; }
"$work/cmake_build/cpp_consumer" || fail "the C++ program failed"

# The tool says the version the package files carry.
[ "$("$prefix/bin/xcomp" --version)" = "xcomp $(pkg-config --modversion xcomp2)" ] ||
  fail "xcomp --version is not the package's version"
echo "install: ok"
