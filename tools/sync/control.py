#!/usr/bin/python3
"""The recorder's control: a click and a flash that happen at the same
instant, to measure how the recorder stamps the screen against the sound.

  control.py play SECONDS   plays a click about every second into the default
                            sound server and turns the X screen's root
                            window white for 100 ms when each click is
                            heard (the server's own latency tells when)
  control.py analyse REC    reads the clicks and the flashes from a
                            recording of both and prints the offset

Both sides stamp with the wall clock, as the program's sync overlay does.
A grab shows the flash from the first grab after it, which comes 0 to one
grab period later; the flashes fall at random phases against the grabs,
so the median lateness less half a period is the recorder's own offset.
"""
import ctypes
import json
import os
import random
import sys
import threading
import time

RATE = 44100
# About a second apart, at random phases against the grabs: a steady gap
# that is a whole number of grab periods would land every flash at the same
# phase.
CLICK_GAP = (0.8, 1.2)
FLASH = 0.1


class SampleSpec(ctypes.Structure):
    _fields_ = [("format", ctypes.c_int), ("rate", ctypes.c_uint32), ("channels", ctypes.c_uint8)]


class BufferAttr(ctypes.Structure):
    _fields_ = [(name, ctypes.c_uint32) for name in ("maxlength", "tlength", "prebuf", "minreq", "fragsize")]


def fail(message):
    print(f"control: {message}", file=sys.stderr)
    sys.exit(1)


def play(seconds):
    pulse = ctypes.CDLL("libpulse-simple.so.0")
    x11 = ctypes.CDLL("libX11.so.6")
    pulse.pa_simple_new.restype = ctypes.c_void_p
    pulse.pa_simple_get_latency.restype = ctypes.c_uint64
    pulse.pa_simple_get_latency.argtypes = [ctypes.c_void_p, ctypes.POINTER(ctypes.c_int)]
    pulse.pa_simple_write.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_size_t,
                                      ctypes.POINTER(ctypes.c_int)]
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XDefaultScreen.argtypes = [ctypes.c_void_p]
    x11.XRootWindow.restype = ctypes.c_ulong
    x11.XRootWindow.argtypes = [ctypes.c_void_p, ctypes.c_int]
    x11.XSetWindowBackground.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_ulong]
    x11.XClearWindow.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
    x11.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]

    display = x11.XOpenDisplay(None)
    if not display:
        fail(f"cannot open the X display {os.environ.get('DISPLAY', '(none)')!r}")
    root = x11.XRootWindow(display, x11.XDefaultScreen(display))
    lock = threading.Lock()

    def paint(white):
        with lock:
            x11.XSetWindowBackground(display, root, 0xFFFFFF if white else 0)
            x11.XClearWindow(display, root)
            x11.XSync(display, 0)

    paint(False)
    spec = SampleSpec(3, RATE, 1)  # signed 16-bit little-endian, mono
    block = RATE // 100  # 10 ms
    attr = BufferAttr(0xFFFFFFFF, block * 2 * 4, 0xFFFFFFFF, block * 2, 0xFFFFFFFF)
    error = ctypes.c_int(0)
    stream = pulse.pa_simple_new(None, b"halvo-control", 1, None, b"click", ctypes.byref(spec), None,
                                 ctypes.byref(attr), ctypes.byref(error))
    if not stream:
        fail(f"cannot play into the sound server (error {error.value})")

    silence = bytes(block * 2)
    # A click: a full-scale step that decays within the block.
    click = b"".join(int(30000 * (1 - i / block) ** 4).to_bytes(2, "little", signed=True)
                     for i in range(block))
    flashes = []

    def flash_at(when):
        time.sleep(max(when - time.time(), 0))
        paint(True)
        time.sleep(FLASH)
        paint(False)

    start = time.time()
    next_click = start + 1.0
    while time.time() < start + seconds:
        if time.time() >= next_click:
            latency = pulse.pa_simple_get_latency(stream, ctypes.byref(error)) / 1e6
            heard = time.time() + latency
            pulse.pa_simple_write(stream, click, len(click), ctypes.byref(error))
            threading.Thread(target=flash_at, args=(heard,), daemon=True).start()
            flashes.append(heard)
            next_click += random.uniform(*CLICK_GAP)
        else:
            pulse.pa_simple_write(stream, silence, len(silence), ctypes.byref(error))
    time.sleep(FLASH * 2)
    print(json.dumps({"clicks": len(flashes)}))


def analyse(recording):
    sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
    import numpy as np
    import analyse as a

    streams = a.stream_kinds(recording)
    video = next((s for s in streams if s["codec_type"] == "video"), None)
    audio = next((s for s in streams if s["codec_type"] == "audio"), None)
    if video is None or audio is None:
        fail(f"{recording}: needs a video and a sound stream")
    every = a.packets(recording)
    audio_packets = [p for p in every if p[0] == audio["index"]]
    stamps = [pts for index, pts, _ in every if index == video["index"]]
    pcm, (t0, slope), _ = a.read_sound(recording, audio["index"], audio_packets)

    # Each click's first sample over a quarter of full scale.
    loud = np.flatnonzero(np.abs(pcm) > 0.25)
    clicks = [int(i) for k, i in enumerate(loud) if k == 0 or i - loud[k - 1] > RATE // 2]
    click_walls = [t0 + slope * i for i in clicks]

    lit = []
    for stamp, frame in zip(stamps, a.video_frames(recording, video["index"], video["width"], video["height"])):
        lit.append((stamp, float(frame.mean()) > 127))
    period = float(np.median(np.diff(stamps)))
    # A flash's onset is known to a grab period only where the grab before
    # it came on time: a recorder held up by other work skips grabs.
    onsets = [lit[i][0] for i in range(1, len(lit))
              if lit[i][1] and not lit[i - 1][1] and lit[i][0] - lit[i - 1][0] < 1.5 * period]

    lags = []
    for wall in click_walls:
        after = [o - wall for o in onsets if -0.2 < o - wall < 0.3]
        if after:
            lags.append(min(after, key=abs))
    if len(lags) < 5:
        fail(f"only {len(lags)} of {len(click_walls)} clicks had a flash beside them")
    # The median: a flash drawn late because the machine was busy is an
    # outlier of the control, not of the recorder.
    lags = np.array(lags) * 1000.0
    offset = float(np.median(lags) - period * 500.0)
    result = {"clicks": len(click_walls), "paired": len(lags), "grab_period_ms": period * 1000.0,
              "flash_after_click_ms": float(np.median(lags)), "sd_ms": float(np.std(lags)),
              "recorder_offset_ms": offset}
    print(f"recorder: {len(lags)} clicks, each flash grabbed {np.median(lags):+.1f} ms after its click "
          f"(sd {np.std(lags):.1f}, grabs every {period * 1000:.1f} ms): the screen is stamped "
          f"{offset:+.1f} ms against the sound")
    return result


if __name__ == "__main__":
    if len(sys.argv) == 3 and sys.argv[1] == "play":
        play(float(sys.argv[2]))
    elif len(sys.argv) >= 3 and sys.argv[1] == "analyse":
        result = analyse(sys.argv[2])
        if len(sys.argv) == 4:
            with open(sys.argv[3], "w") as f:
                json.dump(result, f, indent=1)
    else:
        fail("usage: control.py play SECONDS | analyse RECORDING [JSON]")
