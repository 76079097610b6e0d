#!/usr/bin/env python3
"""Prints the colour of pixels of an 8-bit, non-interlaced PNG as RRGGBB.

    pngpixel.py FILE X Y [X Y ...]
    pngpixel.py FILE --column X Y0 Y1   (one line per pixel of a column)
"""
import struct
import sys
import zlib


def read_png(path, last_row=None):
    with open(path, "rb") as f:
        data = f.read()
    assert data[:8] == b"\x89PNG\r\n\x1a\n", "not a PNG"
    pos, idat = 8, b""
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            width, height, depth, ctype, _, _, interlace = struct.unpack(">IIBBBBB", body)
            assert depth == 8 and interlace == 0, "unsupported PNG"
        elif kind == b"IDAT":
            idat += body
        pos += 12 + length
    channels = {2: 3, 6: 4, 0: 1, 4: 2}[ctype]
    raw = zlib.decompress(idat)
    stride = width * channels
    rows, prev = [], bytearray(stride)
    for y in range(height if last_row is None else min(height, last_row + 1)):
        start = y * (stride + 1)
        kind, line = raw[start], bytearray(raw[start + 1:start + 1 + stride])
        for i in range(stride):
            a = line[i - channels] if i >= channels else 0
            b = prev[i]
            c = prev[i - channels] if i >= channels else 0
            if kind == 1:
                line[i] = (line[i] + a) & 255
            elif kind == 2:
                line[i] = (line[i] + b) & 255
            elif kind == 3:
                line[i] = (line[i] + (a + b) // 2) & 255
            elif kind == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                pred = a if pa <= pb and pa <= pc else (b if pb <= pc else c)
                line[i] = (line[i] + pred) & 255
        rows.append(line)
        prev = line
    return width, height, channels, rows


def colour(png, x, y):
    _, _, channels, rows = png
    px = rows[y][x * channels:(x + 1) * channels]
    if channels < 3:
        px = bytes([px[0]] * 3)
    return "%02X%02X%02X" % (px[0], px[1], px[2])


def main():
    args = sys.argv[2:]
    if args and args[0] == "--column":
        png = read_png(sys.argv[1], int(args[3]))
        x, y0, y1 = map(int, args[1:4])
        for y in range(y0, y1 + 1):
            print(colour(png, x, y))
        return
    # Rows are decoded only down to the lowest pixel asked for.
    png = read_png(sys.argv[1], max(int(a) for a in args[1::2]))
    for i in range(0, len(args), 2):
        print(colour(png, int(args[i]), int(args[i + 1])))


if __name__ == "__main__":
    main()
