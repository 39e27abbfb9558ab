#!/usr/bin/env python3
"""Writes small palette files of every depth code, with Shift-JIS and odd
labels, short and long, into fuzz/seeds/palette_file, the starting corpus of
the palette-file fuzz target."""
import os
import struct

out = os.path.join(os.path.dirname(__file__), "seeds", "palette_file")
os.makedirs(out, exist_ok=True)


def gpl(name, label, depth, entries, count=None, tail=b"\0\0\0\0", version=0x300):
    label = (label + b" " * 11)[:11] + b"\0"
    count = len(entries) if count is None else count
    body = b"".join(bytes((r, g, b, 0)) for r, g, b in entries)
    data = label + struct.pack("<iHH", depth, version, count) + body + tail
    with open(os.path.join(out, name), "wb") as f:
        f.write(data)


def grey(n):
    return [(i * 255 // max(n - 1, 1),) * 3 for i in range(n)]


gpl("normal2.gpl", "ノーマル2".encode("cp932"), 0, grey(2))
gpl("normal16.gpl", "ノーマル16".encode("cp932"), 1, grey(16))
gpl("normal256.gpl", "ノーマル256".encode("cp932"), 2, grey(256))
gpl("grey16.gpl", "グレー16".encode("cp932"), 1, grey(16))
gpl("custom256.gpl", "カスタム256".encode("cp932"), 2, grey(100) + [(0, 0, 0)] * 156)
gpl("depth5.gpl", b"x", 5, grey(1))
gpl("fewer.gpl", b"few", 1, grey(16), count=3)
gpl("cut-label.gpl", "あいうえおか".encode("cp932")[:11], 0, grey(2))
gpl("bad-bytes.gpl", b"\x81\xff\x80\xa0\xfd\x82", 0, grey(2))
gpl("no-reserved.gpl", b"r", 0, grey(2), tail=b"")
gpl("long-tail.gpl", b"t", 0, grey(2), tail=b"\xee" * 64)
