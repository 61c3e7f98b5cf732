#!/usr/bin/env bash
# Builds the Debian package build/vantory_<version>_amd64.deb (or into $VANTORY_BUILD_DIR):
# a build with Debian's hardening flags in build-deb/ (or $VANTORY_PACKAGE_BUILD_DIR),
# installed to /usr by CPack with its dependencies from dpkg-shlibdeps, then checked
# with lintian (errors fail the script; warnings are shown).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=${VANTORY_BUILD_DIR:-$root/build}
tree=${VANTORY_PACKAGE_BUILD_DIR:-$root/build-deb}
"$root/scripts/setup.sh"

cd "$root"
# Same sources, same package: dates inside it come from the last commit.
SOURCE_DATE_EPOCH=$(git log -1 --format=%ct 2>/dev/null || date +%s)
export SOURCE_DATE_EPOCH
eval "$(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --export=sh)"
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S "$root" -B "$tree" -G Ninja "${launcher[@]}" \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_PREFIX=/usr \
  -DVANTORY_BUILD_TESTS=OFF -DVANTORY_BUILD_BENCH=OFF -DVANTORY_MAN_PAGES=ON \
  -DCMAKE_C_FLAGS="$CPPFLAGS $CFLAGS" -DCMAKE_CXX_FLAGS="$CPPFLAGS $CXXFLAGS" \
  -DCMAKE_EXE_LINKER_FLAGS="$LDFLAGS" -DCMAKE_SHARED_LINKER_FLAGS="$LDFLAGS" \
  -DCMAKE_MODULE_LINKER_FLAGS="$LDFLAGS"
cmake --build "$tree" -j "$(nproc)"

rm -f "$tree"/vantory_*.deb
(cd "$tree" && cpack -G DEB)
mkdir -p "$out"
deb=$(ls "$tree"/vantory_*.deb)
cp "$deb" "$out/"
deb=$out/$(basename "$deb")
echo "package: $deb"
dpkg-deb --info "$deb" | sed -n '/Package:/,$p'

if command -v lintian >/dev/null; then
  lintian --fail-on error --info "$deb"
fi
