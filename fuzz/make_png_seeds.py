#!/usr/bin/env python3
"""Writes small PNG files of every colour type and bit depth, interlaced and
not, with and without tRNS, into fuzz/seeds/png, the starting corpus of the
PNG fuzz target. Written here with zlib alone, by the rules of the format."""
import os
import struct
import zlib

out = os.path.join(os.path.dirname(__file__), "seeds", "png")
os.makedirs(out, exist_ok=True)

CHANNELS = {0: 1, 2: 3, 3: 1, 4: 2, 6: 4}
ADAM7 = [(0, 0, 8, 8), (4, 0, 8, 8), (0, 4, 4, 8), (2, 0, 4, 4), (0, 2, 2, 4), (1, 0, 2, 2), (0, 1, 1, 2)]


def chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))


def packed(samples, depth):
    """One scanline of samples at `depth` bits, the first in the top bits."""
    if depth == 8:
        return bytes(samples)
    if depth == 16:
        return b"".join(struct.pack(">H", s) for s in samples)
    line, bits, acc = bytearray(), 0, 0
    for s in samples:
        acc = (acc << depth) | s
        bits += depth
        if bits == 8:
            line.append(acc)
            bits, acc = 0, 0
    if bits:
        line.append(acc << (8 - bits))
    return bytes(line)


def png(name, w, h, depth, colour, pixel, interlace=0, plte=None, trns=None, filt=0):
    """pixel(x, y) gives the samples of one pixel."""
    raw = bytearray()
    passes = ADAM7 if interlace else [(0, 0, 1, 1)]
    for x0, y0, dx, dy in passes:
        xs, ys = range(x0, w, dx), range(y0, h, dy)
        if not xs or not ys:
            continue
        for y in ys:
            raw.append(0)
            raw += packed([s for x in xs for s in pixel(x, y)], depth)
    data = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, depth, colour, 0, 0, interlace))
    if plte:
        data += chunk(b"PLTE", bytes(c for rgb in plte for c in rgb))
    if trns is not None:
        data += chunk(b"tRNS", trns)
    data += chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b"")
    with open(os.path.join(out, name), "wb") as f:
        f.write(data)


palette = [(i * 50 % 256, i * 90 % 256, i * 20 % 256) for i in range(16)]
png("grey1.png", 9, 3, 1, 0, lambda x, y: [(x + y) & 1])
png("grey2-interlaced.png", 7, 5, 2, 0, lambda x, y: [(x * y) & 3], interlace=1)
png("grey4-trns.png", 5, 4, 4, 0, lambda x, y: [(x + 3 * y) & 15], trns=struct.pack(">H", 7))
png("grey8.png", 4, 4, 8, 0, lambda x, y: [x * 60 + y])
png("grey16-trns.png", 3, 3, 16, 0, lambda x, y: [x * 30000 + y], trns=struct.pack(">H", 30001))
png("rgb8-interlaced.png", 9, 9, 8, 2, lambda x, y: [x * 20, y * 20, 99], interlace=1)
png("rgb16.png", 3, 2, 16, 2, lambda x, y: [x * 20000, y * 255, 65535])
png("rgb8-trns.png", 4, 2, 8, 2, lambda x, y: [x, y, 0], trns=struct.pack(">HHH", 1, 1, 0))
png("pal1.png", 10, 2, 1, 3, lambda x, y: [x & 1], plte=palette[:2])
png("pal2-trns.png", 6, 3, 2, 3, lambda x, y: [(x + y) % 4], plte=palette[:4], trns=b"\x00\x80")
png("pal4-interlaced.png", 11, 7, 4, 3, lambda x, y: [(x ^ y) & 15], interlace=1, plte=palette)
png("pal8-trns.png", 5, 5, 8, 3, lambda x, y: [(x + y) % 16], plte=palette, trns=bytes(range(0, 256, 16)))
png("ga8.png", 4, 3, 8, 4, lambda x, y: [x * 50, y * 100])
png("ga16-interlaced.png", 5, 5, 16, 4, lambda x, y: [x * 9999, y * 16000], interlace=1)
png("rgba8.png", 4, 4, 8, 6, lambda x, y: [x * 60, y * 60, 7, (x * y * 30) % 256])
png("rgba16.png", 2, 3, 16, 6, lambda x, y: [x * 30000, 5, y * 30000, 40000 * x])
