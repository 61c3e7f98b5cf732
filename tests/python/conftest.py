"""The simulated camera program for the tests of the vantory module.

The tests own loopback address 127.0.0.241 (camera) and 127.0.0.249 (nothing listens
there) and image port 8241.
"""
import os
import socket
import subprocess
import time

import pytest

CAMERA_ADDRESS = "127.0.0.241"
SILENT_ADDRESS = "127.0.0.249"
IMAGE_PORT = 8241
COMMAND_PORT = 7787
SERIAL = "MK150PLUS24119241"
FIRMWARE = "V2.5.3_20260101"


def wait_for_port(address, port, deadline):
    while time.monotonic() < deadline:
        try:
            with socket.create_connection((address, port), timeout=0.2):
                return True
        except OSError:
            time.sleep(0.05)
    return False


@pytest.fixture(scope="session")
def camsim():
    """A simulator showing a flat wall at 1.5 m at 50 frames per second."""
    program = os.environ["VANTORY_CAMSIM"]
    process = subprocess.Popen(
        [program, "--bind", CAMERA_ADDRESS, "--no-announce", "--fps", "50",
         "--scene", "wall", "--distance", "1.5", "--serial", SERIAL, "--firmware", FIRMWARE],
        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        if not wait_for_port(CAMERA_ADDRESS, COMMAND_PORT, time.monotonic() + 10):
            pytest.fail("the simulator did not open its command port")
        yield CAMERA_ADDRESS
    finally:
        process.terminate()
        try:
            process.wait(timeout=10)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()


@pytest.fixture
def camera(camsim):
    import vantory
    with vantory.Camera(camsim, image_port=IMAGE_PORT, timeout=5.0) as cam:
        yield cam
