"""Record files: recordings made by the module read back as the frames they recorded."""
import os

import numpy as np
import pytest

import vantory
from conftest import IMAGE_PORT, OLDER_IMAGE_PORT

PLANES = ("distance", "amplitude", "reflectivity")
CAMERAS = {  # fixture, image port, byte order
    "current": ("camsim", IMAGE_PORT, "little"),
    "older": ("older_camsim", OLDER_IMAGE_PORT, "big"),
}


@pytest.fixture(scope="module", params=sorted(CAMERAS))
def recorded(request, tmp_path_factory):
    """Six frames recorded from the point-cloud stream, with the live frames by id."""
    fixture, port, byte_order = CAMERAS[request.param]
    address = request.getfixturevalue(fixture)
    base = tmp_path_factory.mktemp("records")
    live = {}
    with vantory.Camera(address, image_port=port, timeout=5.0, byte_order=byte_order) as cam:
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
    # The recording takes every frame the camera sends; the live iterator may skip one
    # when Python reads slowly. Recorded frames follow each other without a gap, and each
    # one that was also seen live reads back as it was seen.
    ids = [vantory.read_record(path, points=False).frame_id for path in paths]
    assert all((b - a) % 65536 == 1 for a, b in zip(ids, ids[1:])), ids
    compared = 0
    for path in paths:
        frame = vantory.read_record(path)
        assert frame.name == os.path.basename(path)[:-len(".xbin")]
        assert frame.host_time_ns is None
        original = live.get(frame.frame_id)
        if original is None:
            continue
        compared += 1
        for name in PLANES:
            np.testing.assert_array_equal(getattr(frame, name), getattr(original, name), name)
        assert (frame.timestamp, frame.temperatures) == (original.timestamp, original.temperatures)
        # The cloud is computed with the lens of the frame, or for an older camera with the
        # lens stored in the file.
        assert np.isfinite(frame.points[100:140, 140:180]).all()
        np.testing.assert_allclose(frame.points, original.points, rtol=0, atol=1e-6)
        assert vantory.read_record(path, points=False).points is None
    assert compared > 0, (ids, sorted(live))


def damaged(data):
    version, rest = data[:4], data[4:]
    return {
        "empty": b"",
        "unknown version": (7).to_bytes(4, "little") + rest,
        "cut short": data[:len(data) // 2],
        "only the version": version,
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


def test_frame_wider_than_the_sensor_is_refused(recorded, tmp_path):
    paths, _ = recorded
    data = bytearray(open(paths[0], "rb").read())
    # Width of the frame: after the file's header (version word; for older cameras also
    # the lens and the settings), the packet's start mark and length when the file keeps
    # them, and the command id, data type and frame number.
    header = 4 if data[:4] == b"\x03\x00\x00\x00" else 4 + 36 + 74
    at = header + (8 if data[header:header + 4] == b"\x7e\xff\xaa\x55" else 0) + 4
    data[at:at + 2] = b"\xff\xff"
    (tmp_path / "wide.xbin").write_bytes(bytes(data))
    with pytest.raises(ValueError, match="not a frame"):
        vantory.read_record(tmp_path / "wide.xbin")


def test_closing_the_camera_writes_every_frame_taken(camsim, tmp_path):
    with vantory.Camera(camsim, image_port=IMAGE_PORT, timeout=5.0) as cam:
        cam.start_recording(str(tmp_path), frames=None)
        cam.start()
        for _ in range(10):
            cam.next_frame(timeout=2.0)
    # No wait: close() itself writes what the recording had taken.
    status = cam.recording
    assert status["written"] >= 10 and status["dropped"] == status["failed"] == 0
    names = sorted(os.listdir(status["directory"]), key=lambda n: int(n[:-len(".xbin")]))
    assert names == [f"{k}.xbin" for k in range(status["written"])]
    assert vantory.read_record(os.path.join(status["directory"], names[-1])).width == 320


def test_recording_that_cannot_write_says_why(camera, tmp_path):
    blocker = tmp_path / "a file"
    blocker.write_text("")
    camera.start_recording(str(blocker / "below"), frames=3)  # cannot be a folder
    camera.start()
    assert camera.wait_recording(timeout=10.0)
    camera.stop()
    status = camera.recording
    assert "cannot create the recording directory" in status["error"]
    assert not status["active"] and status["written"] == 0
    with pytest.raises(ValueError):
        camera.start_recording(str(tmp_path), frames=0)


def test_new_recording_leaves_the_earlier_one_whole(camera, tmp_path):
    camera.start_recording(str(tmp_path), frames=None)
    camera.start()
    for _ in range(5):
        camera.next_frame(timeout=2.0)
    first = camera.recording["directory"]
    camera.start_recording(str(tmp_path), frames=3)  # a folder of its own, also within the same second
    assert camera.wait_recording(timeout=10.0)
    camera.stop()
    second = camera.recording["directory"]
    assert first != second and camera.recording["written"] == 3
    # The earlier recording wrote every frame it had taken, numbered without gaps.
    names = os.listdir(first)
    assert len(names) >= 5 and sorted(names) == sorted(f"{k}.xbin" for k in range(len(names)))
    ids = [vantory.read_record(os.path.join(first, f"{k}.xbin")).frame_id
           for k in range(len(names))]
    assert ids == sorted(ids)
