#!/usr/bin/env python3
"""Writes small BMP files of every header, depth and compression the reader
knows into fuzz/seeds/bmp, the starting corpus of the BMP fuzz target."""
import os
import struct

out = os.path.join(os.path.dirname(__file__), "seeds", "bmp")
os.makedirs(out, exist_ok=True)


def bmp(name, w, h, bits, pixels, palette=(), header=40, compression=0, masks=()):
    entry = 3 if header == 12 else 4
    table = b"".join(bytes((b, g, r)) + (b"" if entry == 3 else b"\0") for r, g, b in palette)
    if header == 12:
        info = struct.pack("<IHHHH", 12, w, h & 0xFFFF, 1, bits)
    else:
        info = struct.pack("<IiiHHIIiiII", header, w, h, 1, bits, compression, len(pixels),
                           2835, 2835, len(palette), 0)
        info += b"".join(struct.pack("<I", m) for m in masks)
        info += b"\0" * (header - len(info)) if header > len(info) else b""
    extra = b"" if header > 40 else b"".join(struct.pack("<I", m) for m in masks)
    if header > 40:
        info = info[:header]
    offset = 14 + len(info) + len(extra) + len(table)
    data = b"BM" + struct.pack("<IHHI", offset + len(pixels), 0, 0, offset) + info + extra + table + pixels
    with open(os.path.join(out, name), "wb") as f:
        f.write(data)


grey = [(i * 17, i * 17, i * 17) for i in range(16)]
bmp("pal1.bmp", 5, 2, 1, bytes([0b10100000, 0, 0, 0, 0b01010000, 0, 0, 0]), [(0, 0, 0), (255, 255, 255)])
bmp("pal4.bmp", 3, 2, 4, bytes([0x12, 0x30, 0, 0, 0xF1, 0x20, 0, 0]), grey)
bmp("pal8.bmp", 2, 2, 8, bytes([1, 2, 0, 0, 3, 4, 0, 0]), grey)
bmp("core8.bmp", 2, 2, 8, bytes([1, 2, 0, 0, 3, 4, 0, 0]), grey, header=12)
bmp("topdown24.bmp", 2, -2, 24, bytes(range(6)) + b"\0\0" + bytes(range(6, 12)) + b"\0\0")
bmp("rgb555.bmp", 2, 1, 16, bytes([0x1F, 0x7C, 0xE0, 0x03]))
bmp("rgb565.bmp", 2, 1, 16, bytes([0x1F, 0xF8, 0xE0, 0x07]), compression=3, masks=(0xF800, 0x07E0, 0x1F))
bmp("rgb32.bmp", 2, 1, 32, bytes([1, 2, 3, 0, 4, 5, 6, 0]))
bmp("rgb32bf.bmp", 1, 1, 32, bytes([1, 2, 3, 4]), compression=3, masks=(0xFF000000, 0xFF0000, 0xFF00))
bmp("v5bf.bmp", 1, 1, 16, bytes([0x12, 0x34, 0, 0]), header=124, compression=3, masks=(0xF00, 0xF0, 0xF, 0xF000))
bmp("rle8.bmp", 4, 2, 8, bytes([2, 1, 0, 3, 1, 2, 3, 0, 0, 0, 2, 1, 1, 0, 1]), grey, compression=1)
bmp("rle4.bmp", 4, 2, 4, bytes([4, 0x12, 0, 0, 0, 2, 1, 0, 0, 4, 0x34, 0x50, 0, 1]), grey, compression=2)
bmp("pal2.bmp", 4, 1, 2, bytes([0b00011011, 0, 0, 0]), grey[:4])
bmp("empty.bmp", 0, 0, 24, b"")

# Large dimensions with little data, so the fuzzer reaches the paths that
# size and allocate big pictures (run with a -max_len above these files).
# The streams end their rows and skip with zero deltas rather than paint
# pixels, so each run stays quick.
def quiet_stream(rows, size):
    s = bytes([0, 0]) * rows
    s += bytes([0, 2, 0, 0]) * ((size - len(s)) // 4)
    return s + bytes([0, 1])


bmp("big-rle8.bmp", 4096, 4096, 8, bytes([255, 1]) + quiet_stream(4096, 17000), grey, compression=1)
bmp("big-rle4.bmp", 4096, 4096, 4, bytes([255, 0x12]) + quiet_stream(4096, 17000), grey, compression=2)
bmp("big-rgb24-short.bmp", 30000, 30000, 24, bytes(range(256)) * 4)
bmp("big-pal8-topdown.bmp", 16384, -16384, 8, bytes(4096), grey)
