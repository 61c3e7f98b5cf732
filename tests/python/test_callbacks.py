"""The callback form: its thread, slow callbacks, errors, closing from inside, exit."""
import os
import subprocess
import sys
import textwrap
import threading

import pytest

import vantory
from conftest import IMAGE_PORT

WAIT = 10.0  # upper bound of every wait below; the events normally come within 1 s


def test_callback_runs_off_the_main_thread_with_frames(camera):
    frames, done = [], threading.Event()

    def on_frame(frame):
        frames.append((threading.get_ident(), frame.distance.shape))
        if len(frames) == 20:
            done.set()

    camera.on_frame(on_frame)
    camera.start()
    assert done.wait(WAIT)
    camera.on_frame(None)
    assert all(shape == (240, 320) for _, shape in frames)
    assert threading.get_ident() not in {ident for ident, _ in frames}


@pytest.mark.filterwarnings("ignore::pytest.PytestUnraisableExceptionWarning")
def test_slow_or_failing_callback_does_not_hold_up_the_sdk(camera):
    calls, release = [], threading.Event()

    def slow(frame):
        calls.append(frame.frame_id)
        release.wait(0.25)
        raise RuntimeError("callback failure on purpose")

    camera.on_frame(slow)
    camera.start()
    before = camera.stats()["frames_delivered"]
    assert not release.wait(1.5)  # let the stream run while the callback lags
    stats = camera.stats()
    release.set()
    camera.on_frame(None)
    # The SDK kept delivering at its own pace; the callback saw few frames and lost the rest.
    assert stats["frames_delivered"] - before >= 3 * len(calls)
    assert stats["callback_dropped"] > 0
    assert stats["callback_errors"] >= len(calls) - 1 > 0
    # The iterator works again once the callback is gone.
    assert camera.next_frame(timeout=2.0).width == 320


def test_close_from_inside_the_callback(camera):
    closed, calls = threading.Event(), []

    def close_at_once(frame):
        calls.append(frame.frame_id)
        camera.close()
        closed.set()

    camera.on_frame(close_at_once)
    camera.start()
    assert closed.wait(WAIT)
    assert camera.closed and len(calls) == 1


def test_interpreter_exit_while_streaming_to_a_callback(camsim, tmp_path):
    script = textwrap.dedent(f"""
        import threading, vantory
        cam = vantory.Camera({camsim!r}, image_port={IMAGE_PORT}, timeout=5.0)
        seen = threading.Event()
        cam.on_frame(lambda frame: seen.set())
        cam.start()
        assert seen.wait(10)
        print("streaming")
        # no close(): the module must end the stream and its thread on exit
    """)
    result = subprocess.run([sys.executable, "-c", script], cwd=tmp_path, env=os.environ,
                            capture_output=True, text=True, timeout=60)
    assert result.returncode == 0, result.stderr
    assert "streaming" in result.stdout


def test_waiting_for_frames_lets_other_threads_run(camera):
    counted, stop = [0], threading.Event()

    def count():
        while not stop.is_set():
            counted[0] += 1

    counter = threading.Thread(target=count)
    counter.start()
    try:
        try:
            camera.next_frame(timeout=0.5)  # nothing streams: the whole wait is idle
        except TimeoutError:
            pass
    finally:
        stop.set()
        counter.join(WAIT)
    # Holding the GIL through the wait would have frozen the counting thread.
    assert counted[0] > 1000


def test_close_wakes_a_reader_waiting_without_limit(camera):
    outcome = []

    def read():
        try:
            camera.next_frame(timeout=None)
        except ValueError as error:
            outcome.append(str(error))

    reader = threading.Thread(target=read)
    reader.start()
    assert not reader.join(0.3) and reader.is_alive()  # waiting: nothing streams
    camera.close()
    reader.join(WAIT)
    assert not reader.is_alive() and outcome == ["the camera is closed"]
