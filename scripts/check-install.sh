#!/usr/bin/env bash
# Checks an installation the way users meet it: installs a built tree into a staging
# prefix, builds the examples against the installed SDK (CMake package and pkg-config
# file), and runs the installed programs and the examples against the installed
# simulated camera on loopback.
# Usage: scripts/check-install.sh [BUILD_DIR]   (default: build/ or $VANTORY_BUILD_DIR)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-${VANTORY_BUILD_DIR:-$root/build}}" && pwd)
work=$build/install-check
stage=$work/prefix
camera=127.0.0.231   # this check's own loopback address and image port
image_port=9231

fail() {
  echo "check-install: $*" >&2
  exit 1
}

# Instrumented SDK objects need the sanitizer runtime in every program that links them.
if grep -q '^VANTORY_SANITIZE:STRING=.' "$build/CMakeCache.txt"; then
  echo "check-install: skipped for a sanitizer build"
  exit 0
fi

rm -rf "$stage" "$work/run"
mkdir -p "$work/run"
cmake --install "$build" --prefix "$stage" >"$work/install.log"
# A staged installation stays below its prefix, the udev rule and sysctl file included.
outside=$(grep -v "^$stage/" "$build/install_manifest.txt" || true)
[ -z "$outside" ] || fail "installed outside $stage: $outside"
for file in lib/udev/rules.d/70-vantory-camera.rules lib/sysctl.d/30-vantory-net.conf; do
  [ -f "$stage/$file" ] || fail "$file not installed"
done
for program in vantory-camsim vantory-cli vantory-reset; do
  "$stage/bin/$program" --version | grep -qx "$program [0-9.]*" || fail "$program --version"
done

# The examples as an integrator builds them: from the installed copy, with CMake...
ccache=()
if command -v ccache >/dev/null; then ccache=(ccache); fi
cmake -S "$stage/share/doc/vantory/examples" -B "$work/examples" -G Ninja \
  -DCMAKE_PREFIX_PATH="$stage" -DCMAKE_CXX_COMPILER_LAUNCHER="${ccache[*]}" \
  >"$work/examples-configure.log" ||
  fail "configuring the examples failed, see $work/examples-configure.log"
cmake --build "$work/examples" >"$work/examples-build.log" ||
  fail "building the examples failed, see $work/examples-build.log"
# ...and with pkg-config.
pc_file=$(find "$stage" -name mvsdk.pc -print -quit)
[ -n "$pc_file" ] || fail "no mvsdk.pc installed"
read -r -a pc_flags < <(PKG_CONFIG_PATH="$(dirname "$pc_file")" pkg-config --cflags --libs mvsdk)
"${ccache[@]}" g++ -std=c++17 -o "$work/device_info_pc" \
  "$stage/share/doc/vantory/examples/device_info.cpp" "${pc_flags[@]}" ||
  fail "building an example with pkg-config failed"

cd "$work/run"
"$stage/bin/vantory-camsim" --bind "$camera" --no-announce --fps 50 >camsim.log 2>&1 &
camsim=$!
trap 'kill "$camsim" 2>/dev/null || true; wait "$camsim" 2>/dev/null || true' EXIT
for _ in $(seq 100); do
  if ss -ltn 2>/dev/null | grep -q "$camera:7787"; then break; fi
  sleep 0.1
done

# The installed programs find the installed filter library.
"$stage/bin/vantory-cli" info "$camera" >cli.out 2>cli.err || fail "vantory-cli info failed"
grep -q "loading win32 success libmvsdk_shared.so" cli.err ||
  fail "the installed vantory-cli did not load the installed filter library"
"$work/examples/device_info" "$camera" >info.out 2>&1 || fail "device_info failed"
grep -q "^serial number" info.out || fail "device_info printed no serial number"
"$work/device_info_pc" "$camera" >info-pc.out 2>&1 || fail "device_info (pkg-config) failed"
"$work/examples/grab_pcd" "$camera" frame.pcd "$image_port" >grab.out 2>&1 || fail "grab_pcd failed"
grep -aq "^POINTS 76800" frame.pcd || fail "grab_pcd wrote no 320 x 240 cloud"
echo "check-install: installed programs, SDK package and examples work ($stage)"
