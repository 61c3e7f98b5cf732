"""The callback form: its thread, slow callbacks, errors, closing from inside, exit."""
import os
import subprocess
import sys
import textwrap
import threading
import time

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


def wait_until(condition):
    deadline = time.monotonic() + WAIT
    while not condition() and time.monotonic() < deadline:
        time.sleep(0.02)
    return condition()


@pytest.mark.filterwarnings("ignore::pytest.PytestUnraisableExceptionWarning")
def test_stuck_or_failing_callback_does_not_hold_up_the_sdk(camera):
    calls, entered, release = [], threading.Event(), threading.Event()

    def stuck_then_failing(frame):
        calls.append(frame.frame_id)
        entered.set()
        release.wait(WAIT)
        raise RuntimeError("callback failure on purpose")

    camera.on_frame(stuck_then_failing)
    camera.start()
    assert entered.wait(WAIT)
    before = camera.stats()["frames_delivered"]
    # The SDK goes on delivering while the first call is still stuck.
    assert wait_until(lambda: camera.stats()["frames_delivered"] >= before + 3)
    assert len(calls) == 1
    release.set()
    # The failure is counted and later frames reach the callback again.
    assert wait_until(lambda: camera.stats()["callback_errors"] >= 1 and len(calls) >= 2)
    camera.on_frame(None)
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


EXIT_SCRIPTS = {
    "callback": """
        seen = threading.Event()
        cam.on_frame(lambda frame: seen.set())
        cam.start()
        assert seen.wait(10)
    """,
    "daemon thread": """
        seen = threading.Event()
        def read():
            for frame in cam.frames(timeout=None):
                seen.set()
        threading.Thread(target=read, daemon=True).start()
        cam.start()
        assert seen.wait(10)
    """,
}


@pytest.mark.parametrize("reader", sorted(EXIT_SCRIPTS))
def test_interpreter_exit_while_streaming(camsim, tmp_path, reader):
    # No close(): the module ends the stream and its threads when the interpreter exits,
    # also with a daemon thread still waiting for frames.
    script = textwrap.dedent(f"""
        import threading, vantory
        cam = vantory.Camera({camsim!r}, image_port={IMAGE_PORT}, timeout=5.0)
    """) + textwrap.dedent(EXIT_SCRIPTS[reader]) + "print('streaming')\n"
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
