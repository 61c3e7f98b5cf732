"""The simulated camera program for the tests of the vantory module.

The tests own loopback addresses 127.0.0.241 (camera), 127.0.0.243 (an older camera) and
127.0.0.249 (nothing listens there), and image ports 8241 and 8243.
"""
import os
import socket
import subprocess
import time

import pytest

CAMERA_ADDRESS = "127.0.0.241"
OLDER_CAMERA_ADDRESS = "127.0.0.243"
SILENT_ADDRESS = "127.0.0.249"
IMAGE_PORT = 8241
OLDER_IMAGE_PORT = 8243
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


def run_simulator(address, *options):
    """The simulator on `address` showing a flat wall at 1.5 m at 50 frames per second."""
    program = os.environ["VANTORY_CAMSIM"]
    process = subprocess.Popen(
        [program, "--bind", address, "--no-announce", "--fps", "50", "--scene", "wall",
         "--distance", "1.5", "--serial", SERIAL, "--firmware", FIRMWARE, *options],
        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        if not wait_for_port(address, COMMAND_PORT, time.monotonic() + 10):
            pytest.fail("the simulator did not open its command port")
        yield address
    finally:
        process.terminate()
        try:
            process.wait(timeout=10)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()


@pytest.fixture(scope="session")
def camsim():
    yield from run_simulator(CAMERA_ADDRESS)


@pytest.fixture(scope="session")
def older_camsim():
    """An older camera: big-endian link, frames without the information block."""
    yield from run_simulator(OLDER_CAMERA_ADDRESS, "--legacy")


@pytest.fixture
def camera(camsim):
    import vantory
    with vantory.Camera(camsim, image_port=IMAGE_PORT, timeout=5.0) as cam:
        yield cam
