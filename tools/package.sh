#!/usr/bin/env bash
# package.sh [OUT_DIR]
#
# Builds the Debian package vorlin_VERSION_ARCH.deb from a clean Release build in
# build-package/ (CPack; the dependencies come from the binaries through dpkg-shlibdeps),
# checks it with lintian and leaves it in OUT_DIR (default: the source folder). Exit
# status 0 when the package was built and lintian reports no error.
set -euo pipefail
cd "$(dirname "$0")/.."
out=$(readlink -f "${1:-.}")

./tools/install-deps.sh --package
build=build-package
rm -rf "$build"
# Debian's hardening flags (relro, bindnow, fortify, stack protector), as a Debian build
# of the package would have them.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
export CPPFLAGS=$(dpkg-buildflags --get CPPFLAGS)
export CFLAGS="$(dpkg-buildflags --get CFLAGS) $CPPFLAGS"
export CXXFLAGS="$(dpkg-buildflags --get CXXFLAGS) $CPPFLAGS"
export LDFLAGS=$(dpkg-buildflags --get LDFLAGS)
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DVORLIN_TESTS=OFF -DVORLIN_PACKAGE_LEVELS=ON >/dev/null
cmake --build "$build" -j 2
(cd "$build" && cpack -G DEB >/dev/null)

deb=$(ls "$build"/vorlin_*.deb)
cp "$deb" "$out/"
deb="$out/$(basename "$deb")"
echo "$deb"
dpkg-deb --field "$deb" Depends
# Errors fail the package; warnings are listed.
lintian --tag-display-limit 0 "$deb" | tee "$build/lintian.txt"
! grep -q '^E:' "$build/lintian.txt"
