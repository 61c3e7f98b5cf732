"""Record files: a recording made by the module reads back as the frames it recorded."""
import os

import numpy as np
import pytest

import vantory

PLANES = ("distance", "amplitude", "reflectivity")


@pytest.fixture(scope="module")
def recorded(tmp_path_factory, camsim):
    """Six frames recorded from the point-cloud stream, with the live frames by id."""
    from conftest import IMAGE_PORT
    base = tmp_path_factory.mktemp("records")
    live = {}
    with vantory.Camera(camsim, image_port=IMAGE_PORT, timeout=5.0) as cam:
        cam.start_recording(str(base), frames=6)
        cam.start(vantory.ImageType.POINTCLOUD)
        for frame in cam.frames(timeout=2.0):
            live[frame.frame_id] = frame
            if len(live) == 12:
                break
        cam.stop()
        assert cam.wait_recording(timeout=10.0)
        status = cam.recording
    assert (status["written"], status["dropped"], status["failed"]) == (6, 0, 0)
    assert status["error"] is None and os.path.dirname(status["directory"]) == str(base)
    paths = [os.path.join(status["directory"], f"{k}.xbin") for k in range(6)]
    return paths, live


def test_record_files_read_back_as_the_live_frames(recorded):
    paths, live = recorded
    for path in paths:
        frame = vantory.read_record(path)
        assert frame.name == os.path.basename(path)[:-len(".xbin")]
        assert frame.host_time_ns is None
        original = live[frame.frame_id]
        for name in PLANES:
            np.testing.assert_array_equal(getattr(frame, name), getattr(original, name), name)
        assert (frame.timestamp, frame.temperatures) == (original.timestamp, original.temperatures)
        # The cloud is computed from the lens the recorded frame carries.
        assert np.isfinite(frame.points[100:140, 140:180]).all()
        np.testing.assert_allclose(frame.points, original.points, rtol=0, atol=1e-6)
        assert vantory.read_record(path, points=False).points is None


def damaged(data):
    version, rest = data[:4], data[4:]
    return {
        "empty": b"",
        "unknown version": (7).to_bytes(4, "little") + rest,
        "cut short": data[:len(data) // 2],
        "only the version": version,
        # The frame's width (after the version, the packet's start mark and length, and
        # the command id, data type and frame number) beyond the sensor's.
        "too wide": data[:16] + b"\xff\xff" + data[18:],
    }


def test_damaged_record_files_raise_clear_errors(recorded, tmp_path):
    with open(recorded[0][0], "rb") as f:
        data = f.read()
    for case, content in damaged(data).items():
        path = tmp_path / "bad.xbin"
        path.write_bytes(content)
        with pytest.raises(ValueError, match="bad.xbin"):
            vantory.read_record(path)
            pytest.fail(case)
    with pytest.raises(FileNotFoundError):
        vantory.read_record(tmp_path / "missing.xbin")
    with pytest.raises(OSError):
        vantory.read_record(tmp_path)  # a folder
