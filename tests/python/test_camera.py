"""vantory.Camera against the simulated camera: identity, frames, distances, bad input."""
import gc
import time

import numpy as np
import pytest

import vantory
from conftest import FIRMWARE, IMAGE_PORT, SERIAL, SILENT_ADDRESS


def test_info_reports_the_simulator_identity(camera, camsim):
    info = camera.info()
    assert info["device"]["serial"] == SERIAL
    assert info["device"]["firmware"] == FIRMWARE
    assert info["device"]["ip"] == camsim
    assert info["device"]["stream_destination"] == ("127.0.0.1", IMAGE_PORT)
    assert info["config"]["max_fps"] == 50
    assert set(info["lens"]) == {"fx", "fy", "cx", "cy", "k1", "k2", "k3", "p1", "p2"}


def test_settings_reach_the_camera_and_refusals_raise(camera):
    camera.set_frame_rate(25)
    camera.set_min_amplitude(77)
    camera.set_integration_times(800)
    camera.set_modulation_frequency(vantory.ModulationFreq.FREQ_24M)
    config = camera.info()["config"]
    assert (config["max_fps"], config["min_amplitude"]) == (25, 77)
    assert config["integration_times_us"][0] == 800
    assert config["modulation_frequency"] == "FREQ_24M"
    with pytest.raises(vantory.CommandError, match="frame rate 60"):
        camera.set_frame_rate(60)  # the camera's limit is 50
    with pytest.raises(ValueError):
        camera.set_median_filter(4)
    camera.set_frame_rate(50)


PLANES = {"distance": np.uint32, "amplitude": np.uint16, "reflectivity": np.float32}


@pytest.mark.parametrize("image_type, has_points", [
    (vantory.ImageType.DISTANCE, False),
    (vantory.ImageType.POINTCLOUD, True),
])
def test_fifty_frames_arrive_as_arrays(camera, image_type, has_points):
    camera.start(image_type)
    ids = []
    for frame in camera.frames(timeout=2.0):
        for name, dtype in PLANES.items():
            plane = getattr(frame, name)
            assert plane.shape == (240, 320) and plane.dtype == dtype, name
        assert frame.grayscale is None  # not asked for
        if has_points:
            assert frame.points.shape == (240, 320, 3) and frame.points.dtype == np.float32
        else:
            assert frame.points is None
        assert frame.host_time_ns is not None and frame.capture_times_ms[0] > 0
        ids.append(frame.frame_id)
        if len(ids) == 50:
            break
    camera.stop()
    # A plain Python loop keeps up with 50 frames per second: nothing was dropped for it.
    assert camera.stats()["queue_dropped"] == 0
    assert len(set(ids)) == 50


def test_flat_wall_at_one_and_a_half_metres(camera):
    camera.start(vantory.ImageType.POINTCLOUD)
    frame = camera.next_frame(timeout=2.0)
    camera.stop()
    centre = frame.distance[115:126, 155:166]
    assert abs(float(np.median(centre)) - 1500.0) <= 5.0
    z = frame.points[115:126, 155:166, 2]
    assert abs(float(np.median(z)) - 1.5) <= 0.005
    t1, t2 = frame.temperatures
    assert 0.0 < t1 < 100.0 and 0.0 < t2 < 100.0


@pytest.mark.parametrize("address, error, timeout", [
    (SILENT_ADDRESS, TimeoutError, 1.0),   # nobody answers there
    ("bad address!", ValueError, 1.0),     # neither IPv4 nor a serial port name
])
def test_bad_address_raises_within_its_time_out(address, error, timeout):
    began = time.monotonic()
    with pytest.raises(error, match="cannot connect"):
        vantory.Camera(address, image_port=IMAGE_PORT, timeout=timeout)
    # The time-out plus the SDK's shutdown, which wakes its threads every 200 ms.
    assert time.monotonic() - began < timeout + 3.0


def test_array_outlives_its_frame(camera):
    camera.start(vantory.ImageType.POINTCLOUD)
    frame = camera.next_frame(timeout=2.0)
    distance, points = frame.distance, frame.points
    expected_distance, expected_points = distance.copy(), points.copy()
    del frame
    gc.collect()
    # Later frames take recycled plane buffers; the views must still show their own frame.
    for _ in range(10):
        camera.next_frame(timeout=2.0)
    camera.stop()
    np.testing.assert_array_equal(distance, expected_distance)
    np.testing.assert_array_equal(points, expected_points)
    with pytest.raises(ValueError):
        distance[0, 0] = 1  # frames are shared: views are read-only


def test_closed_camera_refuses_and_ends_iteration(camera):
    camera.start()
    frames = camera.frames(timeout=2.0)
    next(frames)
    camera.close()
    with pytest.raises(StopIteration):
        next(frames)
    with pytest.raises(ValueError, match="closed"):
        camera.set_frame_rate(10)
    camera.close()  # a second close is harmless


def test_stalled_stream_times_out(camera):
    camera.start()
    camera.next_frame(timeout=2.0)
    camera.stop()
    while True:  # frames already on their way when the camera stopped
        try:
            camera.next_frame(timeout=0.3)
        except TimeoutError as error:
            assert "no frame within 0.3 s" in str(error)
            break


def central(frame, plane, half=20):
    return getattr(frame, plane)[120 - half:120 + half, 160 - half:160 + half]


def test_processing_settings_change_the_frames(camera):
    camera.start(vantory.ImageType.POINTCLOUD)
    plain = camera.next_frame(timeout=2.0)
    # The median filter runs in the filter library the module finds at run time.
    camera.set_median_filter(5)
    camera.set_mirror(True, False)
    for _ in range(5):  # frames decoded before the change may still be on their way
        changed = camera.next_frame(timeout=2.0)
    camera.stop()
    # Pixel-to-pixel differences: the noise, without the wall's slow change across the view.
    spread_before = np.std(np.diff(central(plain, "distance").astype(float), axis=1))
    spread_after = np.std(np.diff(central(changed, "distance").astype(float), axis=1))
    assert spread_after < 0.5 * spread_before
    left_x_before = np.nanmedian(plain.points[120, 40:80, 0])
    left_x_after = np.nanmedian(changed.points[120, 40:80, 0])
    assert np.sign(left_x_before) == -np.sign(left_x_after) != 0
