#!/usr/bin/env bash
# Soak run: the simulated camera streams at 50 fps with every plane and the viewer records
# it with the frame limit off for MINUTES (default 60). RSS and CPU of both programs are
# sampled each minute into soak.csv. At the end the run passes when
#   - the viewer's RSS grew less than 2 MB after the warm-up (the first fifth, at most 5 min),
#   - every frame handed to the recorder is a file on disk (none dropped, none failed),
#   - no frame was lost: every frame the camera sent was completed and recorded (the display
#     may skip frames when it falls behind; the recording takes every frame from the SDK).
# At 50 fps with every plane the recording grows by about 55 MB/s, so recorded files are
# counted and removed once they are a few seconds old (sizes kept in swept_sizes): disk use
# stays near a few hundred megabytes however long the run.
# Without a display the viewer runs on its own Xvfb. The viewer and the simulator use
# 127.0.0.1:7787 and image port 7687 (VANTORY_SOAK_ADDRESS changes the address): run it
# where nothing else uses them, for example in a network namespace of its own.
# Usage: scripts/soak.sh [MINUTES]; results stay in the printed folder.
set -euo pipefail
minutes=${1:-60}
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VANTORY_BUILD_DIR:-$root/build}
address=${VANTORY_SOAK_ADDRESS:-127.0.0.1}
for program in vantory vantory-camsim; do
  [ -x "$build/bin/$program" ] || { echo "soak: $build/bin/$program is not built" >&2; exit 2; }
done
out=$(mktemp -d /tmp/vantory-soak-XXXXXX)
echo "soak: $minutes min, results in $out"

pids=()
xvfb=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
}
trap cleanup EXIT INT TERM

"$build/bin/vantory-camsim" --bind "$address" --fps 50 --all-planes --scene room --no-announce \
  >"$out/camsim.log" 2>&1 &
sim=$!
pids+=("$sim")
for _ in $(seq 1 100); do
  ss -ltn 2>/dev/null | grep -q "$address:7787" && break
  sleep 0.1
done

if [ -z "${DISPLAY:-}" ]; then
  Xvfb -displayfd 3 -screen 0 1600x1000x24 3>"$out/display" 2>"$out/xvfb.log" &
  xvfb=($!)
  pids+=($!)
  for _ in $(seq 1 100); do [ -s "$out/display" ] && break; sleep 0.1; done
  export DISPLAY=":$(cat "$out/display")"
fi

# The viewer reads gui.ini from its working folder and records below VANTORY_EXPORT_DIR.
mkdir -p "$out/viewer" "$out/records"
printf '[Setting]\nipaddress=%s\nifSelUsb=0\nimgType=2\nmaxfps=50\n' "$address" >"$out/viewer/gui.ini"
(cd "$out/viewer" && exec env VANTORY_EXPORT_DIR="$out/records" "$build/bin/vantory" record \
  >"$out/viewer.log" 2>&1) &
viewer=$!
pids+=("$viewer")

ticks=$(getconf CLK_TCK)
cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
rss_kb() { awk '/^VmRSS/ {print $2}' "/proc/$1/status"; }
# Files on disk: those already counted and removed, and those still there.
files() { echo $(( $(wc -l <"$out/swept_sizes") + $(find "$out/records" -name '*.xbin' | wc -l) )); }
# Counts (size per line) and removes the recorded files not modified since the marker;
# without a marker, every file (the viewer has ended).
sweep() {
  local age=()
  [ -n "${1:-}" ] && age=(! -newer "$1")
  find "$out/records" -name '*.xbin' "${age[@]}" -printf '%s\n' -delete >>"$out/swept_sizes" 2>/dev/null || true
}
: >"$out/swept_sizes"
touch "$out/marker.old" "$out/marker.new"
# Every 5 s: files older than the previous marker were closed seconds ago.
( while kill -0 "$viewer" 2>/dev/null; do
    sleep 5
    sweep "$out/marker.old"
    mv "$out/marker.new" "$out/marker.old"
    touch "$out/marker.new"
  done ) &
sweeper=$!
pids+=("$sweeper")

echo "minute,viewer_rss_kb,viewer_cpu_pct,camsim_rss_kb,camsim_cpu_pct,files,load1" >"$out/soak.csv"
last_viewer=$(cpu_ticks "$viewer") last_sim=$(cpu_ticks "$sim")
warm=$(( minutes / 5 )); [ "$warm" -lt 1 ] && warm=1; [ "$warm" -gt 5 ] && warm=5
warm_rss=""
for minute in $(seq 1 "$minutes"); do
  sleep 60
  kill -0 "$viewer" 2>/dev/null || { echo "soak: the viewer ended early" >&2; tail -n 20 "$out/viewer.log"; exit 1; }
  kill -0 "$sim" 2>/dev/null || { echo "soak: the simulator ended early" >&2; exit 1; }
  now_viewer=$(cpu_ticks "$viewer") now_sim=$(cpu_ticks "$sim")
  row="$minute,$(rss_kb "$viewer"),$(( (now_viewer - last_viewer) * 100 / (60 * ticks) )),$(rss_kb "$sim"),$(( (now_sim - last_sim) * 100 / (60 * ticks) )),$(files),$(cut -d' ' -f1 /proc/loadavg)"
  last_viewer=$now_viewer last_sim=$now_sim
  echo "$row" | tee -a "$out/soak.csv"
  [ "$minute" -eq "$warm" ] && warm_rss=$(rss_kb "$viewer")
done
end_rss=$(rss_kb "$viewer")

# Ctrl+C: the viewer stops the camera, finishes the recording and prints its summaries.
kill -INT "$viewer"
for _ in $(seq 1 300); do kill -0 "$viewer" 2>/dev/null || break; sleep 0.1; done
wait "$viewer" 2>/dev/null || true
kill -INT "$sim"
wait "$sim" 2>/dev/null || true
wait "$sweeper" 2>/dev/null || true
sweep
pids=("${xvfb[@]}")  # the display is closed on exit

field() { grep -o "$2=[0-9]*" <<<"$1" | head -1 | cut -d= -f2; }
recording=$(grep 'recording summary:' "$out/viewer.log" || true)
stream=$(grep 'stream summary:' "$out/viewer.log" || true)
if [ -z "$recording" ] || [ -z "$stream" ]; then
  echo "soak: FAIL, the viewer printed no summary"; tail -n 20 "$out/viewer.log"; exit 1
fi
built=$(grep -o 'frames built [0-9]*' "$out/camsim.log" | tail -1 | grep -o '[0-9]*$')
skipped=$(grep -o 'skipped [0-9]*' "$out/camsim.log" | tail -1 | grep -o '[0-9]*$')
sent=$(( built - skipped ))
on_disk=$(files)
empty_files=$(awk '$1 < 5' "$out/swept_sizes" | wc -l)
sizes=$(sort -n "$out/swept_sizes" | uniq -c | awk '{printf "%s%d x %d B", sep, $1, $2; sep=", "}')
written=$(field "$recording" written) dropped=$(field "$recording" dropped) failed=$(field "$recording" failed)
completed=$(field "$stream" completed) evicted=$(field "$stream" evicted) broken=$(field "$stream" broken)
pending=$(field "$stream" pending) delivered=$(field "$stream" delivered) accepted=$(field "$stream" accepted)
discarded=$(( $(field "$stream" rawDiscarded) + $(field "$stream" imageDiscarded) ))
growth=$(( end_rss - warm_rss ))

cat <<REPORT | tee "$out/result.txt"
soak: $minutes min (warm-up $warm min), load at the end: $(cut -d' ' -f1-3 /proc/loadavg)
viewer RSS: $warm_rss kB after warm-up, $end_rss kB at the end, growth $growth kB
camera sent $sent frames; SDK completed $completed, evicted $evicted, broken $broken, pending $pending
viewer: accepted $accepted, recorded $written (the rest came before Record or after the stop);
  shown: delivered $delivered, skipped for newer frames $discarded
recorder: written $written, dropped $dropped, failed $failed; files on disk $on_disk
file sizes: ${sizes:-none}
REPORT
status=0
check() { if eval "$2"; then echo "  ok:   $1"; else echo "  FAIL: $1"; status=1; fi; }
check "viewer RSS growth under 2 MB" "[ $growth -lt 2048 ]"
check "every recorded frame on disk" \
  "[ $on_disk -eq $written ] && [ $dropped -eq 0 ] && [ $failed -eq 0 ] && [ $empty_files -eq 0 ]"
check "counts add up (completed + evicted + broken + pending = sent)" \
  "[ $(( completed + evicted + broken + pending )) -eq $sent ]"
check "no frame lost (none evicted or broken; the recorder dropped none, above)" "[ $(( evicted + broken )) -eq 0 ]"
exit $status
