#!/usr/bin/env python3
"""Streams the simulated camera at 50 fps into a plain Python loop and reports what was lost.

Run inside a network namespace of its own, from the build folder:
    unshare -rn bash -c 'ip link set lo up && python3 ../bench/python/stream_loop.py --seconds 20'
Starts bin/vantory-camsim on 127.0.0.242 (image port 8242), reads frames with
cam.frames(), touches the distance plane of each, and prints one JSON line.
"""
import argparse
import json
import os
import socket
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", default=os.getcwd(), help="build folder")
    parser.add_argument("--seconds", type=float, default=20.0)
    parser.add_argument("--type", default="DISTANCE", help="vantory.ImageType name")
    args = parser.parse_args()
    sys.path.insert(0, os.path.join(args.build, "python"))
    import numpy as np
    import vantory

    address, port = "127.0.0.242", 8242
    sim = subprocess.Popen([os.path.join(args.build, "bin", "vantory-camsim"), "--bind", address,
                            "--no-announce", "--fps", "50"],
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        deadline = time.monotonic() + 10
        while time.monotonic() < deadline:
            try:
                socket.create_connection((address, 7787), timeout=0.2).close()
                break
            except OSError:
                time.sleep(0.05)
        with vantory.Camera(address, image_port=port) as cam:
            cam.set_frame_rate(50)
            cam.start(getattr(vantory.ImageType, args.type))
            first = cam.next_frame(timeout=2.0).frame_id
            ids, began = [first], time.monotonic()
            for frame in cam.frames(timeout=2.0):
                ids.append(frame.frame_id)
                np.median(frame.distance[100:140, 140:180])
                if time.monotonic() - began >= args.seconds:
                    break
            elapsed = time.monotonic() - began
            stats = cam.stats()
        gaps = sum((b - a) % 65536 - 1 for a, b in zip(ids, ids[1:]))
        print(json.dumps({"frames": len(ids), "seconds": round(elapsed, 2),
                          "fps": round((len(ids) - 1) / elapsed, 2), "missing_ids": gaps,
                          "queue_dropped": stats["queue_dropped"],
                          "sdk_raw_discarded": stats["raw_discarded"],
                          "sdk_image_discarded": stats["image_discarded"],
                          "udp_frames_evicted": stats["udp_frames_evicted"],
                          "load": os.getloadavg()}))
    finally:
        sim.terminate()
        sim.wait(timeout=10)


if __name__ == "__main__":
    main()
