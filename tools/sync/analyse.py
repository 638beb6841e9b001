#!/usr/bin/python3
"""Reads a recording of the screen and the sound output, made on one clock by
tools/sync-check.sh, and says how well picture and clock follow the sound.

The sound: windows of the recording are matched against the tune (the WAV the
MP3 was encoded from) by cross-correlation, sample-exact, which gives the
tune's position heard at every wall-clock instant of the recording. The
picture: each grabbed frame carries the program's sync overlay (app/
SyncOverlay), a strip of blocks that spells the position its picture was
drawn for, the position the program heard when it read it, and the wall
time of that read.

Prints the clock error (the position the program read against the one heard
at that instant) and the on-screen offset (the position shown against the
one heard when the frame was grabbed), in ms; negative means late. Writes the
same figures as JSON with --json.
"""

import argparse
import json
import subprocess
import sys
import wave

import numpy as np

RATE = 44100
# The overlay's layout: blocks of 8 pixels, 15 a row, 120 bits.
BLOCK = 8
COLUMNS = 15
BITS = 120
MARKER = [1, 0, 1, 1, 0, 0, 1, 0]


def fail(message):
    print(f"sync-check: {message}", file=sys.stderr)
    sys.exit(1)


def packets(recording):
    """(stream, pts seconds, size) of every packet, in file order."""
    out = subprocess.run(
        ["ffprobe", "-v", "error", "-show_entries", "packet=stream_index,pts_time,size",
         "-of", "csv=p=0", recording], check=True, capture_output=True, text=True).stdout
    rows = []
    for line in out.splitlines():
        fields = line.split(",")
        if len(fields) >= 3 and fields[1] not in ("", "N/A"):
            rows.append((int(fields[0]), float(fields[1]), int(fields[2])))
    return rows


def stream_kinds(recording):
    out = subprocess.run(
        ["ffprobe", "-v", "error", "-show_entries", "stream=index,codec_type,width,height",
         "-of", "json", recording], check=True, capture_output=True, text=True).stdout
    return json.loads(out)["streams"]


def read_tune(path):
    with wave.open(path, "rb") as w:
        if w.getframerate() != RATE or w.getsampwidth() != 2:
            fail(f"{path}: not 16-bit {RATE} Hz")
        data = np.frombuffer(w.readframes(w.getnframes()), dtype="<i2")
        channels = w.getnchannels()
    return data.reshape(-1, channels).astype(np.float32).mean(axis=1) / 32768.0


def read_sound(recording, audio_index, audio_packets):
    """The recording as mono float, and the wall time of each of its samples
    fitted through the packets' stamps."""
    raw = subprocess.run(
        ["ffmpeg", "-nostdin", "-v", "error", "-i", recording, "-map", f"0:{audio_index}",
         "-c", "copy", "-f", "s16le", "-"], check=True, capture_output=True).stdout
    pcm = np.frombuffer(raw, dtype="<i2").reshape(-1, 2).astype(np.float32).mean(axis=1) / 32768.0
    starts = np.cumsum([0] + [size // 4 for _, _, size in audio_packets])[:-1]
    stamps = np.array([pts for _, pts, _ in audio_packets])
    if len(stamps) < 10:
        fail("the recording holds almost no sound")
    # The sink's clock runs a little fast or slow against the wall clock:
    # fit time against sample index, and throw out stamps far off the line.
    keep = np.ones(len(stamps), dtype=bool)
    for _ in range(3):
        slope, offset = np.polyfit(starts[keep], stamps[keep], 1)
        residual = stamps - (offset + slope * starts)
        keep = np.abs(residual) < max(0.004, 3 * np.std(residual[keep]))
    return pcm, (offset, slope), float(np.std(residual[keep]))


def normalised_peak(window, reference):
    """Lag of `window` within `reference` with the best normalised correlation."""
    n = len(reference) + len(window)
    size = 1 << (n - 1).bit_length()
    corr = np.fft.irfft(np.fft.rfft(reference, size) * np.conj(np.fft.rfft(window, size)), size)
    corr = corr[:len(reference) - len(window) + 1]
    squares = np.concatenate(([0.0], np.cumsum(reference.astype(np.float64) ** 2)))
    energy = np.sqrt(np.maximum(squares[len(window):] - squares[:-len(window)], 0.0))
    norm = corr / (energy * np.sqrt(np.sum(window ** 2)) + 1e-12)
    best = int(np.argmax(norm))
    return best, float(norm[best])


def heard_positions(pcm, tune):
    """(recording sample, tune sample) pairs at the centre of each window of
    sound that matches the tune."""
    window = RATE // 2
    step = RATE // 4
    loud = np.flatnonzero(np.abs(pcm) > 1e-3)
    if len(loud) == 0:
        fail("the recording is silent: nothing played into the sound server")
    pairs = []
    lag = None  # recording sample - tune sample
    start = int(loud[0])
    for at in range(start, len(pcm) - window, step):
        chunk = pcm[at:at + window]
        if np.sqrt(np.mean(chunk ** 2)) < 1e-3:
            continue
        if lag is not None:
            # Near the last match: a drop-out or a stall only moves it on.
            lo = max(at - lag - RATE // 50, 0)
            hi = min(at - lag + window + RATE // 50, len(tune))
            found, score = normalised_peak(chunk, tune[lo:hi]) if hi - lo > window else (0, 0.0)
            if score > 0.9:
                lag = at - (lo + found)
                pairs.append((at + window // 2, at + window // 2 - lag, score))
                continue
        # Within a few seconds of the last match (a drop-out moves the tune
        # by as long as it lasts), or before the first match anywhere in the
        # tune up to this point of the recording and a bit. A stretch that
        # does not match (a stutter, or noise) costs a small search, not one
        # over the whole tune.
        if lag is not None:
            lo = max(at - lag - 5 * RATE, 0)
            hi = min(at - lag + window + 5 * RATE, len(tune))
        else:
            lo, hi = 0, min(at - start + 30 * RATE, len(tune))
        if hi - lo <= window:
            continue
        found, score = normalised_peak(chunk, tune[lo:hi])
        if score > 0.9:
            lag = at - (lo + found)
            pairs.append((at + window // 2, at + window // 2 - lag, score))
    if not pairs:
        fail("no stretch of the recording matches the tune")
    return np.array(pairs)


def sound_after_end(pcm, t0, slope, end):
    """Ms from the show's end (a wall time) to the end of the last 10 ms of
    the recording with sound in it; None when the recording stops within
    0.3 s of the end."""
    block = RATE // 100
    blocks = len(pcm) // block
    if blocks == 0 or t0 + slope * blocks * block < end + 0.3:
        return None
    rms = np.sqrt(np.mean(pcm[:blocks * block].reshape(blocks, block) ** 2, axis=1))
    loud = np.flatnonzero(rms > 1e-3)
    if len(loud) == 0:
        return None
    return float((t0 + slope * (loud[-1] + 1) * block - end) * 1000.0)


def find_strip(frame):
    """Top-left corner of the overlay in a grabbed frame, or None."""
    h, w = frame.shape
    bits = frame > 127
    half = BLOCK // 2
    span = BLOCK * len(MARKER)
    ys = range(0, max(min(h - BLOCK * 8, 400), 0))
    xs = max(min(w - BLOCK * COLUMNS, 600), 0)
    for y in ys:
        row = bits[y + half]
        # Where the marker's eight block centres read as the marker.
        ok = np.ones(xs, dtype=bool)
        for i, m in enumerate(MARKER):
            ok &= row[half + i * BLOCK:half + i * BLOCK + xs] == bool(m)
        for x in np.flatnonzero(ok):
            if decode(frame, int(x), y) is not None:
                return int(x), y
    return None


def crc8(bits):
    crc = 0
    for b in bits:
        top = (crc >> 7) & 1
        crc = (crc << 1) & 0xFF
        if top != b:
            crc ^= 0x07
    return crc


def decode(frame, x, y):
    half = BLOCK // 2
    bits = []
    for i in range(BITS):
        px = x + (i % COLUMNS) * BLOCK + half
        py = y + (i // COLUMNS) * BLOCK + half
        if py >= frame.shape[0] or px >= frame.shape[1]:
            return None
        value = int(frame[py, px])
        if 60 < value < 196:
            return None  # torn or blended: neither black nor white
        bits.append(1 if value > 127 else 0)
    if bits[:8] != MARKER:
        return None

    def field(start, width):
        return int("".join(map(str, bits[start:start + width])), 2)

    if field(112, 8) != crc8(bits[8:112]):
        return None
    return {"counter": field(8, 8), "picture": field(16, 32), "heard": field(48, 32),
            "wall": field(80, 32)}


def video_frames(recording, video_index, width, height):
    proc = subprocess.Popen(
        ["ffmpeg", "-nostdin", "-v", "error", "-i", recording, "-map", f"0:{video_index}",
         "-fps_mode", "passthrough", "-enc_time_base", "1:1000000", "-f", "rawvideo",
         "-pix_fmt", "gray", "-"],
        stdout=subprocess.PIPE)
    size = width * height
    while True:
        data = proc.stdout.read(size)
        if len(data) < size:
            break
        yield np.frombuffer(data, dtype=np.uint8).reshape(height, width)
    proc.wait()


def stats(values):
    values = np.asarray(values)
    return {"mean": float(np.mean(values)), "sd": float(np.std(values)),
            "min": float(np.min(values)), "max": float(np.max(values)),
            "median": float(np.median(values)), "p5": float(np.percentile(values, 5)),
            "count": int(len(values))}


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("recording")
    parser.add_argument("tune", help="the tune as 16-bit 44.1 kHz WAV")
    parser.add_argument("--json")
    parser.add_argument("--label", default="")
    args = parser.parse_args()

    streams = stream_kinds(args.recording)
    video = next((s for s in streams if s["codec_type"] == "video"), None)
    audio = next((s for s in streams if s["codec_type"] == "audio"), None)
    if video is None or audio is None:
        fail(f"{args.recording}: needs a video and a sound stream")
    every = packets(args.recording)
    audio_packets = [p for p in every if p[0] == audio["index"]]
    video_stamps = [pts for index, pts, _ in every if index == video["index"]]

    tune = read_tune(args.tune)
    pcm, (t0, slope), stamp_jitter = read_sound(args.recording, audio["index"], audio_packets)
    pairs = heard_positions(pcm, tune)
    rec_at = pairs[:, 0]
    tune_at = pairs[:, 1]
    wall_at = t0 + slope * rec_at

    # A drop-out (the output ran dry, or the sound stopped) moves the tune
    # against the recording: where the two matches around an instant
    # disagree, what was heard then is not known to the sample, and the
    # instant is left out. Each match covers half a second, so a drop-out
    # takes out at most a quarter second either side.
    lags = np.round(rec_at - tune_at)
    dropouts = int(np.count_nonzero(np.abs(np.diff(lags)) > 2))

    def heard(wall):
        """Tune position (samples) heard at a wall time, or None outside the
        matched stretch or next to a drop-out."""
        i = int(np.searchsorted(wall_at, wall))
        if i == 0 or i >= len(wall_at) or abs(lags[i] - lags[i - 1]) > 2:
            return None
        # Between two matches the position moves at the sink's rate.
        return tune_at[i - 1] + (wall - wall_at[i - 1]) / slope

    grabbed = 0
    offsets = []
    clock_errors = []
    reads = {}
    shown_until = 0
    strip = None
    for stamp, frame in zip(video_stamps, video_frames(args.recording, video["index"],
                                                        video["width"], video["height"])):
        grabbed += 1
        if strip is None:
            strip = find_strip(frame)
            if strip is None:
                continue
        fields = decode(frame, *strip)
        if fields is None:
            continue
        # The read's wall time, in 0.1 ms modulo 2^32, nearest the grab.
        whole = round(stamp * 10000.0)
        # The nearest such time, either side: the program's clock and the
        # recorder's may differ by a little, and a read stamped a hair after
        # the grab is not one from 2^32 steps before.
        behind = (whole - fields["wall"]) % (1 << 32)
        if behind >= 1 << 31:
            behind -= 1 << 32
        read = whole - behind
        reads[(fields["counter"], fields["heard"])] = (read / 10000.0, fields["heard"])
        shown_until = grabbed  # the index of the next grab
        now = heard(stamp)
        if now is None or fields["picture"] == 0:
            continue
        offsets.append((fields["picture"] - now) / RATE * 1000.0)
    if grabbed != len(video_stamps):
        fail(f"{grabbed} frames decoded of {len(video_stamps)} grabbed")
    if strip is None:
        fail("no grabbed frame carries the sync overlay (was HALVO_SYNC_OVERLAY=1 set?)")
    if not offsets:
        fail("no frame with the overlay was grabbed while the tune was heard")

    read_times = sorted(reads.values())
    for read, program_heard in read_times:
        now = heard(read)
        if now is not None and program_heard > 0:
            clock_errors.append((program_heard - now) / RATE * 1000.0)
    frame_times = [t for t, _ in read_times]
    period = (frame_times[-1] - frame_times[0]) / max(len(frame_times) - 1, 1) * 1000.0
    # The show ends when its picture leaves the screen: the first grab
    # without the overlay after the last with it.
    after_end = None
    if shown_until < len(video_stamps):
        after_end = sound_after_end(pcm, t0, slope, video_stamps[shown_until])

    result = {
        "label": args.label,
        "seconds": float((wall_at[-1] - wall_at[0])),
        "frames": len(read_times),
        "frame_period_ms": period,
        "fps": 1000.0 / period if period > 0 else 0.0,
        "clock_error_ms": stats(clock_errors) if clock_errors else None,
        "on_screen_offset_ms": stats(offsets),
        "match_score_min": float(pairs[:, 2].min()),
        "dropouts": dropouts,
        "stamp_jitter_ms": stamp_jitter * 1000.0,
        "sink_rate_ppm": (1.0 / (slope * RATE) - 1.0) * 1e6,
        "sound_after_end_ms": after_end,
    }
    c = result["clock_error_ms"]
    o = result["on_screen_offset_ms"]
    label = f"{args.label}: " if args.label else ""
    print(f"{label}{result['seconds']:.1f} s of show, {result['frames']} frames, "
          f"{result['fps']:.1f} frames/s (period {period:.1f} ms), "
          f"{dropouts} drop-outs in the sound")
    if c:
        print(f"{label}clock error     mean {c['mean']:+7.1f} ms  sd {c['sd']:5.1f}  "
              f"range {c['min']:+.1f} .. {c['max']:+.1f}")
    print(f"{label}on-screen offset mean {o['mean']:+7.1f} ms  median {o['median']:+.1f}  "
          f"sd {o['sd']:5.1f}  "
          f"latest {o['min']:+.1f} (5 % later than {o['p5']:+.1f})  earliest {o['max']:+.1f}")
    if after_end is not None:
        print(f"{label}sound after the show's end {after_end:+.1f} ms")
    if args.json:
        with open(args.json, "w") as f:
            json.dump(result, f, indent=1)


if __name__ == "__main__":
    main()
