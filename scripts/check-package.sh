#!/usr/bin/env bash
# Checks the Debian package the way a user meets it, inside a Debian 12 chroot (run as
# root; make one with `debootstrap --variant=minbase bookworm DIR`): installs the package
# with apt-get, runs programs from PATH, builds the examples against the installed SDK
# (CMake package and pkg-config) and runs them against the installed simulated camera in
# a network namespace of their own, where only loopback exists.
# Usage: scripts/check-package.sh CHROOT [DEB]   (default DEB: build/vantory_*_amd64.deb)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
chroot_dir=$(cd "${1:?usage: scripts/check-package.sh CHROOT [DEB]}" && pwd)
deb=${2:-$(ls "$root"/build/vantory_*_amd64.deb | tail -n 1)}
examples=/usr/share/doc/vantory/examples
# What an integrator installs to build the examples.
dev_packages="g++ cmake pkg-config libboost-system-dev libopencv-dev libpcl-dev"

mounted=()
cleanup() {
  for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do umount "${mounted[i]}" || true; done
}
trap cleanup EXIT
mount_once() {  # mount_once TARGET MOUNT-ARGUMENTS...
  local target=$chroot_dir/$1
  shift
  if ! mountpoint -q "$target"; then
    mount "$@" "$target"
    mounted+=("$target")
  fi
}
mount_once proc -t proc proc
mount_once dev --bind /dev
mount_once dev/pts --bind /dev/pts
cp /etc/resolv.conf "$chroot_dir/etc/resolv.conf"
cp "$deb" "$chroot_dir/tmp/"
in_chroot() { chroot "$chroot_dir" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root \
  LANG=C.UTF-8 /bin/bash -euo pipefail -c "$1"; }

echo "== apt-get install ./$(basename "$deb")"
in_chroot "apt-get update -qq && cd /tmp &&
  DEBIAN_FRONTEND=noninteractive apt-get install -y -q -o DPkg::Lock::Timeout=600 \
    ./$(basename "$deb") | tail -n 3"

echo "== programs from PATH"
in_chroot 'for program in vantory vantory-devlist vantory-reset vantory-camsim vantory-cli; do
    command -v "$program" >/dev/null
    "$program" --version
    "$program" --help >/tmp/help.out
    test -s /tmp/help.out
    test -f /usr/share/man/man1/$program.1.gz
  done
  vantory-cli --help | head -n 3
  vantory-camsim --help | head -n 3
  test -f /usr/lib/x86_64-linux-gnu/vantory/libmvsdk_shared.so
  test -f /lib/udev/rules.d/70-vantory-camera.rules
  test -f /etc/sysctl.d/30-vantory-net.conf'

echo "== examples against the installed package ($dev_packages)"
in_chroot "DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends \
    -o DPkg::Lock::Timeout=600 $dev_packages >/tmp/dev-install.log
  rm -rf /tmp/examples-build && mkdir -p /tmp/examples-run
  cmake -S $examples -B /tmp/examples-build >/tmp/examples-configure.log
  cmake --build /tmp/examples-build | tail -n 2
  g++ -std=c++17 -o /tmp/examples-build/device_info_pc $examples/device_info.cpp \
    \$(pkg-config --cflags --libs mvsdk)"

echo "== examples against the installed vantory-camsim (loopback only)"
unshare -n /bin/sh -c 'ip link set lo up && exec "$@"' check-package \
  chroot "$chroot_dir" /usr/bin/env -i PATH=/usr/bin:/bin HOME=/root /bin/bash -euo pipefail -c '
  cd /tmp/examples-run && rm -rf ./*
  vantory-camsim --fps 50 --no-announce >camsim.log 2>&1 &
  camsim=$!
  trap "kill $camsim 2>/dev/null; wait $camsim 2>/dev/null || true" EXIT
  for _ in $(seq 100); do grep -q "^command channel" camsim.log && break; sleep 0.1; done
  vantory-cli info 127.0.0.1 >cli.out 2>cli.err
  grep -q "loading win32 success libmvsdk_shared.so" cli.err
  /tmp/examples-build/device_info 127.0.0.1 | grep "^serial number"
  /tmp/examples-build/device_info_pc 127.0.0.1 | grep "^firmware"
  /tmp/examples-build/grab_pcd 127.0.0.1 frame.pcd >grab.out 2>&1
  grep -a "^POINTS 76800" frame.pcd'
echo "check-package: installed, programs run from PATH, examples built and run"
