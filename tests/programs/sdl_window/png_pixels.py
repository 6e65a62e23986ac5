#!/usr/bin/env python3
"""8-bit RGB PNG files for the clipboard test, without an imaging library.

png_pixels.py read FILE                 prints "W H" and then each pixel as RRGGBB, rows top first
png_pixels.py write FILE W H RRGGBB...  writes the pixels (rows top first)
Reading accepts colour type 2 (RGB) and 6 (RGBA, alpha printed after the colour), depth 8,
no interlace, every row filter.
"""
import struct
import sys
import zlib


def chunks(data):
    at = 8
    while at < len(data):
        (length,) = struct.unpack(">I", data[at : at + 4])
        yield data[at + 4 : at + 8], data[at + 8 : at + 8 + length]
        at += 12 + length


def paeth(a, b, c):
    p = a + b - c
    pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
    return a if pa <= pb and pa <= pc else b if pb <= pc else c


def read(path):
    data = open(path, "rb").read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        sys.exit("not a PNG file")
    idat = b""
    for kind, body in chunks(data):
        if kind == b"IHDR":
            width, height, depth, ctype, _, _, interlace = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat += body
    if depth != 8 or ctype not in (2, 6) or interlace:
        sys.exit(f"unexpected PNG: depth {depth}, colour type {ctype}, interlace {interlace}")
    bpp = 3 if ctype == 2 else 4
    raw = zlib.decompress(idat)
    stride = width * bpp
    rows, prev, at = [], bytearray(stride), 0
    for _ in range(height):
        kind, line = raw[at], bytearray(raw[at + 1 : at + 1 + stride])
        at += 1 + stride
        for i in range(stride):
            a = line[i - bpp] if i >= bpp else 0
            b, c = prev[i], prev[i - bpp] if i >= bpp else 0
            line[i] = (line[i] + [0, a, b, (a + b) // 2, paeth(a, b, c)][kind]) & 255
        rows.append(line)
        prev = line
    print(width, height)
    for line in rows:
        print(" ".join(line[x : x + bpp].hex().upper() for x in range(0, stride, bpp)))


def write(path, width, height, pixels):
    raw = b"".join(
        b"\x00" + b"".join(bytes.fromhex(p) for p in pixels[y * width : (y + 1) * width])
        for y in range(height)
    )

    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))

    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
    with open(path, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header))
        out.write(chunk(b"IDAT", zlib.compress(raw)) + chunk(b"IEND", b""))


if sys.argv[1] == "read":
    read(sys.argv[2])
else:
    write(sys.argv[2], int(sys.argv[3]), int(sys.argv[4]), sys.argv[5:])
