#!/usr/bin/env bash
# Set-up and build, then show Vantory working end to end without hardware: the simulated
# camera streams on 127.0.0.1, vantory-cli reads its identity and streams a few seconds,
# and the viewer (when it is built and a display is there) opens against it.
# VANTORY_DEMO_SECONDS sets the length of the stream (default 5).
# --cloud: the viewer starts with "PointCloud+Amp" selected, so that Start opens the
# point-cloud window; without a display the demo then also saves a picture of that window
# streaming the simulator's room scene (build/demo-cloud.png).
set -euo pipefail
cloud=0
for arg in "$@"; do
  case "$arg" in
    --cloud) cloud=1 ;;
    *) echo "usage: $0 [--cloud]" >&2; exit 2 ;;
  esac
done
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VANTORY_BUILD_DIR:-$root/build}
seconds=${VANTORY_DEMO_SECONDS:-5}
"$root/scripts/setup.sh"
"$root/scripts/build.sh"
echo "demo: the programs are built in $build/bin"

scratch=$(mktemp -d /tmp/vantory-demo-XXXXXX)
sim_pid=""
cleanup() {
  if [ -n "$sim_pid" ] && kill -0 "$sim_pid" 2>/dev/null; then
    kill "$sim_pid"
    wait "$sim_pid" 2>/dev/null || true
  fi
  rm -rf "$scratch"
}
trap cleanup EXIT INT TERM

echo "demo: starting vantory-camsim on 127.0.0.1 (log in $scratch/camsim.log)"
"$build/bin/vantory-camsim" --bind 127.0.0.1 --fps 25 >"$scratch/camsim.log" 2>&1 &
sim_pid=$!
# The simulator needs a moment to open its command port.
for _ in $(seq 1 50); do
  if ss -ltn 2>/dev/null | grep -q '127.0.0.1:7787'; then break; fi
  sleep 0.1
done

# vantory-cli writes its SDK log into its working directory.
cd "$scratch"
echo "demo: vantory-cli info 127.0.0.1"
"$build/bin/vantory-cli" info 127.0.0.1 2>/dev/null
echo "demo: vantory-cli stream 127.0.0.1 --type cloud --seconds $seconds"
"$build/bin/vantory-cli" stream 127.0.0.1 --type cloud --seconds "$seconds" 2>/dev/null

# ---- Viewer --------------------------------------------------------------------------
# The viewer runs in its own scratch folder whose gui.ini points it at the simulator, so
# the user's own settings stay untouched; the word "start" makes it press Start once the
# camera is connected. With a display it opens there until its window is closed; without
# one it runs under Xvfb for VANTORY_DEMO_VIEWER_SECONDS (default 12), the demo checks
# that it connected and keeps a screenshot of the streaming window in
# $build/demo-viewer.png.
if [ -x "$build/bin/vantory" ]; then
  viewer_dir="$scratch/viewer"
  mkdir -p "$viewer_dir"
  image_type=2 max_dist=5000
  if [ "$cloud" = 1 ]; then image_type=4 max_dist=8000; fi   # the whole room in the cloud
  printf '[Setting]\nipaddress=127.0.0.1\nifSelUsb=0\nimgType=%s\nmaxDist=%s\n' \
    "$image_type" "$max_dist" >"$viewer_dir/gui.ini"
  if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
    if [ "$cloud" = 1 ]; then
      echo "demo: the point-cloud window opens once streaming starts"
    fi
    echo "demo: starting the viewer against the simulator, streaming; close its window to end the demo"
    (cd "$viewer_dir" && "$build/bin/vantory" start) || true
  elif command -v xvfb-run >/dev/null; then
    viewer_seconds=${VANTORY_DEMO_VIEWER_SECONDS:-12}
    echo "demo: no display; running the viewer under Xvfb for $viewer_seconds s"
    (cd "$viewer_dir" && xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
      "$1" start >viewer.log 2>&1 &
      viewer=$!
      sleep $(( $2 / 2 ))
      if [ -x "$3" ]; then "$3" viewer.png || true; fi
      sleep $(( $2 - $2 / 2 ))
      kill -INT "$viewer"   # Ctrl+C: the viewer leaves the camera stopped and exits
      wait "$viewer"' _ "$build/bin/vantory" "$viewer_seconds" "$build/bin/viewer_screen_grab") || true
    if [ -f "$viewer_dir/viewer.png" ]; then
      cp "$viewer_dir/viewer.png" "$build/demo-viewer.png"
      echo "demo: screenshot of the viewer in $build/demo-viewer.png"
    fi
    # Printed once the first connection is set up.
    if grep -q "ExtrinsicIMULidar" "$viewer_dir/viewer.log"; then
      echo "demo: the viewer connected to the simulated camera"
    else
      echo "demo: the viewer did not connect; its output:"
      cat "$viewer_dir/viewer.log"
      exit 1
    fi
    if [ "$cloud" = 1 ] && [ -x "$build/bin/viewer_cloud_screenshot" ]; then
      echo "demo: the point-cloud window streaming the room scene, under Xvfb"
      xvfb-run -a -s "-screen 0 1280x1024x24" "$build/bin/viewer_cloud_screenshot" "$build/demo-cloud.png" \
        >"$scratch/cloud.log" 2>&1 || { cat "$scratch/cloud.log"; exit 1; }
      echo "demo: picture of the point-cloud window in $build/demo-cloud.png"
    fi
  else
    echo "demo: no display and no xvfb-run; viewer skipped"
  fi
else
  echo "demo: the viewer is not built; skipped"
fi
