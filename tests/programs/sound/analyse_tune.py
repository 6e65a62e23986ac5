#!/usr/bin/env python3
"""Checks a recording of tune.qba: 16-bit signed little-endian mono samples at 44100 Hz.

Sounding stretches are runs of non-zero samples (a square wave never crosses zero on a sample);
a note's frequency comes from its rising edges, its length from its sample count."""
import struct
import sys

RATE = 44100
# (frequency, milliseconds) of each sounding note, and the silence before the next one.
NOTES = [(440, 200), (880, 150), (262, 120), (1000, 50), (523, 100)]
GAPS = [100, 80, 60, 50]


def runs(samples):
    out, start = [], None
    for i, s in enumerate(samples):
        if s != 0 and start is None:
            start = i
        elif s == 0 and start is not None:
            out.append((start, i))
            start = None
    if start is not None:
        out.append((start, len(samples)))
    return out


def frequency(samples, start, end):
    edges = [i for i in range(start + 1, end) if samples[i - 1] < 0 < samples[i]]
    if len(edges) < 2:
        return 0.0
    return (len(edges) - 1) * RATE / (edges[-1] - edges[0])


def main():
    data = open(sys.argv[1], "rb").read()
    samples = struct.unpack("<%dh" % (len(data) // 2), data[: len(data) // 2 * 2])
    found = runs(samples)
    failures = []
    if len(found) != len(NOTES):
        failures.append("%d sounding stretches, expected %d: %s" % (
            len(found), len(NOTES), [(s / RATE, (e - s) * 1000 / RATE) for s, e in found]))
    for n, ((start, end), (hz, ms)) in enumerate(zip(found, NOTES)):
        got_hz = frequency(samples, start, end)
        got_ms = (end - start) * 1000 / RATE
        print("note %d: %.2f Hz for %.2f ms (want %d Hz for %d ms)" % (n + 1, got_hz, got_ms, hz, ms))
        if abs(got_hz - hz) > hz / 100:
            failures.append("note %d: %.2f Hz, want %d" % (n + 1, got_hz, hz))
        if abs(got_ms - ms) > 10:
            failures.append("note %d: %.2f ms, want %d" % (n + 1, got_ms, ms))
    for n, ms in enumerate(GAPS):
        if n + 1 < len(found):
            got_ms = (found[n + 1][0] - found[n][1]) * 1000 / RATE
            print("silence %d: %.2f ms (want %d)" % (n + 1, got_ms, ms))
            if abs(got_ms - ms) > 10:
                failures.append("silence %d: %.2f ms, want %d" % (n + 1, got_ms, ms))
    for f in failures:
        print("FAIL " + f)
    sys.exit(1 if failures else 0)


main()
