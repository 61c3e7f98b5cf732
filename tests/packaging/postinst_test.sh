#!/usr/bin/env bash
# The package's postinst against stand-ins for sysctl, udevadm and ischroot: it raises the
# receive-buffer limit only when that is lower, never acts inside a chroot or for other
# maintainer actions, and never fails the installation when the kernel refuses.
# Usage: postinst_test.sh PACKAGING_DIR
set -uo pipefail
packaging=${1:?usage: postinst_test.sh PACKAGING_DIR}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/bin" "$work/run-udev"
# The script's own files, moved into the scratch folder.
cp "$packaging/sysctl/30-vantory-net.conf" "$work/net.conf"
sed -e "s#/etc/sysctl.d/30-vantory-net.conf#$work/net.conf#" -e "s#/run/udev#$work/run-udev#" \
  "$packaging/debian/postinst" >"$work/postinst"

cat >"$work/bin/sysctl" <<'EOF'
#!/bin/sh
echo "sysctl $*" >>"$CALLS"
case "$*" in
  "-n net.core.rmem_max") echo "$CURRENT_RMEM" ;;
  *-w*) exit "$WRITE_STATUS" ;;
esac
EOF
cat >"$work/bin/udevadm" <<'EOF'
#!/bin/sh
echo "udevadm $1" >>"$CALLS"
EOF
cat >"$work/bin/ischroot" <<'EOF'
#!/bin/sh
exit "$IN_CHROOT"
EOF
chmod +x "$work/bin/"*

failures=0
# action, current limit, ischroot status (0: in a chroot), sysctl -w status, expected calls
while IFS='|' read -r action current chroot write_status expected; do
  : >"$work/calls"
  CALLS=$work/calls CURRENT_RMEM=$current IN_CHROOT=$chroot WRITE_STATUS=$write_status \
    PATH="$work/bin:/usr/bin:/bin" sh "$work/postinst" "$action" >/dev/null 2>&1
  status=$?
  calls=$(grep -v -- '-n net.core.rmem_max' "$work/calls" | tr '\n' ';')
  if [ "$status" -ne 0 ] || [ "$calls" != "$expected" ]; then
    echo "FAIL: $action (limit $current, chroot $chroot, write $write_status):" \
      "exit $status, calls '$calls', expected '$expected'"
    failures=$((failures + 1))
  fi
done <<'EOF'
configure|212992|1|0|sysctl -q -w net.core.rmem_max=8388608;udevadm control;udevadm trigger;
configure|16777216|1|0|udevadm control;udevadm trigger;
configure|8388608|1|0|udevadm control;udevadm trigger;
configure|212992|1|255|sysctl -q -w net.core.rmem_max=8388608;udevadm control;udevadm trigger;
configure|212992|0|0|
abort-upgrade|212992|1|0|
EOF
[ "$failures" -eq 0 ] && echo "postinst: all cases passed"
exit "$failures"
