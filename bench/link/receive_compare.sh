#!/bin/bash
# CPU per megabyte of image data: vantory's image receive thread (reassembly included)
# against the whole receiving process of Aravis, a GigE Vision library, at the same payload
# (307200-byte frames), rate (50 fps) and datagram size (1400 payload bytes), one after the
# other in one run. Everything stays on 127.0.0.1; run it in a network namespace of its own
# (for example `unshare -n`, with lo up) so that discovery traffic cannot leave the machine.
#
#   bench/link/receive_compare.sh [BUILD_BIN_DIR] [SECONDS]
#   VANTORY_INSTALL_ARAVIS=1 bench/link/receive_compare.sh   # installs aravis-tools first
#
# Aravis comes from Debian's aravis-tools; without it only vantory is measured.
set -euo pipefail

BIN=$(cd "${1:-build/bin}" && pwd)
SECONDS_RUN=${2:-20}
WORK=$(mktemp -d /tmp/receive-compare-XXXXXX)
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$WORK"' EXIT
TICK=$(getconf CLK_TCK)

cpu_ticks() {  # utime + stime of a process or thread stat file
    local fields
    read -r -a fields < "$1" || return 1
    echo $((fields[13] + fields[14]))
}

echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg)"

# ---- vantory: simulated camera + vantory-cli, the receive thread's own CPU clock ----
"$BIN/vantory-camsim" --no-announce --bind 127.0.0.1 > "$WORK/camsim.out" 2>&1 &
SIM=$!
sleep 1
# In the scratch folder: the SDK writes its log files into the working folder.
(cd "$WORK" && "$BIN/vantory-cli" stream 127.0.0.1 --fps 50 --seconds "$SECONDS_RUN" > cli.out 2> cli.err)
kill -INT "$SIM"; wait "$SIM" || true
SUMMARY=$(tail -1 "$WORK/cli.out")
field() { sed -n "s/.*\"$1\":\([^,}]*\).*/\1/p" <<< "$SUMMARY"; }
OURS=$(field receiveCpuMsPerMB)
echo "vantory: $(field receiveMB) MB, $(field fps) fps delivered, $(field datagramsPerCall) datagrams per call," \
     "receive thread ${OURS} ms CPU per MB"

# ---- Aravis: fake GigE Vision camera + arv-camera-test, the whole receiving process ----
if [ -n "${VANTORY_INSTALL_ARAVIS:-}" ] && ! command -v arv-camera-test-0.8 > /dev/null; then
    apt-get install -y -o DPkg::Lock::Timeout=600 aravis-tools > "$WORK/apt.log"
fi
if ! command -v arv-camera-test-0.8 > /dev/null || ! command -v arv-fake-gv-camera-0.8 > /dev/null; then
    echo "aravis: skipped (aravis-tools is not installed; VANTORY_INSTALL_ARAVIS=1 installs it)"
    exit 0
fi
arv-fake-gv-camera-0.8 -i 127.0.0.1 > "$WORK/fake.out" 2>&1 &
FAKE=$!
sleep 2
# 1436-byte packets: 20 IP + 8 UDP + 8 stream header + 1400 payload bytes.
arv-camera-test-0.8 -n 127.0.0.1 --no-packet-socket -a -f 50 -w 640 -h 480 -i 1436 \
    --duration "$SECONDS_RUN" > "$WORK/arv.out" 2> "$WORK/arv.err" &
ARV=$!
LAST=0
while kill -0 "$ARV" 2> /dev/null; do
    LAST=$(cpu_ticks "/proc/$ARV/stat" 2> /dev/null || echo "$LAST")
    sleep 0.2
done
wait "$ARV" || true
kill "$FAKE"; wait "$FAKE" 2> /dev/null || true
BYTES=$(sed -n 's/^n_transferred_bytes *= *//p' "$WORK/arv.out")
PACKETS=$(sed -n 's/^n_received_packets *= *//p' "$WORK/arv.out")
if [ -z "$BYTES" ] || [ "$BYTES" = 0 ]; then
    echo "aravis: no data received"; cat "$WORK/arv.err"; exit 1
fi
THEIRS=$(awk -v t="$LAST" -v hz="$TICK" -v b="$BYTES" 'BEGIN { printf "%.3f", t * 1000 / hz / (b / 1e6) }')
echo "aravis: $(awk -v b="$BYTES" 'BEGIN { printf "%.3f", b / 1e6 }') MB, $PACKETS packets," \
     "whole process ${THEIRS} ms CPU per MB (process clock, ${TICK} ticks/s)"
echo "ratio vantory / aravis: $(awk -v a="$OURS" -v b="$THEIRS" 'BEGIN { printf "%.2f", a / b }')"
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
