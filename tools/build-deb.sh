#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The quick way to the Debian package (make package): the programs and their data,
# without tests, built with Debian's build flags as dpkg-buildpackage gives them to
# debian/rules (hardening: fortify, stack protector, full RELRO, BIND_NOW; the
# source path mapped out of the debug information), then packed by CPack.
#   bash tools/build-deb.sh SOURCE BUILD OUT     gives OUT/zoka_<version>_<arch>.deb
# SOURCE_DATE_EPOCH, when not set, is the date of the latest debian/changelog entry,
# so that two builds of the same source give the same package.
set -euo pipefail
src=$(cd "$1" && pwd)
mkdir -p "$2" "$3"
build=$(cd "$2" && pwd)
out=$(cd "$3" && pwd)
cd "$src"
# A compiler cache that rewrites absolute paths as relative ones (its base directory)
# would change the debug information, and with it the programs' build IDs.
unset CCACHE_BASEDIR
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(dpkg-parsechangelog -STimestamp)}
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
eval "$(dpkg-buildflags --export=sh)"
# CMake reads no CPPFLAGS (debhelper adds them to the compiler flags the same way).
export CFLAGS="$CFLAGS $CPPFLAGS" CXXFLAGS="$CXXFLAGS $CPPFLAGS"
# A directory configured before with other flags is configured afresh.
if [ -f "$build/CMakeCache.txt" ] && ! grep -qxF "CMAKE_CXX_FLAGS:STRING=$CXXFLAGS" "$build/CMakeCache.txt"; then
    rm -rf "$build"
fi
cmake -S "$src" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=None -DCMAKE_INSTALL_PREFIX=/usr -DBUILD_TESTING=OFF
cmake --build "$build" -j "${JOBS:-$(nproc)}"
cd "$build"
rm -f "$out"/zoka_*.deb
cpack -G DEB -B "$out"
rm -rf "$out/_CPack_Packages"
