#!/usr/bin/env python3
"""The quality figures of bench/image_quality.py: exact on pictures whose
figures are known, the same for a picture at every depth, and the SSIM equal
to the formula evaluated window by window. Skips (77) without numpy."""

import math
import os
import random
import struct
import sys
import tempfile
import unittest

try:
    import numpy  # noqa: F401
except ImportError:
    print("numpy is not installed: skipped")
    sys.exit(77)

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "bench"))
import image_quality as iq  # noqa: E402


def write_bmp(path, pixels, bits=24, palette=None, top_down=False):
    """pixels: rows of (r, g, b); paletted depths store the index of each
    colour in palette."""
    h, w = len(pixels), len(pixels[0])
    stride = (w * bits + 31) // 32 * 4
    body = bytearray()
    order = range(h) if top_down else range(h - 1, -1, -1)
    for y in order:
        row = bytearray()
        if bits == 24:
            for r, g, b in pixels[y]:
                row += bytes((b, g, r))
        else:
            idx = [palette.index(c) for c in pixels[y]]
            per = 8 // bits
            for x in range(0, w, per):
                v = 0
                for k in range(per):
                    v = v << bits | (idx[x + k] if x + k < w else 0)
                row.append(v)
        body += row + bytes(stride - len(row))
    table = b"".join(bytes((b, g, r, 0)) for r, g, b in (palette or []))
    offset = 54 + len(table)
    head = struct.pack("<2sIHHI", b"BM", offset + len(body), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, w, -h if top_down else h, 1, bits, 0, len(body),
                       2835, 2835, len(palette or []), 0)
    with open(path, "wb") as f:
        f.write(head + info + table + body)


class ImageQuality(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.TemporaryDirectory()
        rnd = random.Random(7)
        self.w, self.h = 29, 23
        self.photo = [[(rnd.randrange(20, 236), rnd.randrange(20, 236), rnd.randrange(20, 236))
                       for _ in range(self.w)] for _ in range(self.h)]

    def tearDown(self):
        self.dir.cleanup()

    def path(self, name, pixels, **kw):
        p = os.path.join(self.dir.name, name)
        write_bmp(p, pixels, **kw)
        return p

    def figures(self, a, b):
        return iq.psnr(a, b), iq.ssim(a, b), iq.blurred_psnr(a, b)

    def test_a_picture_against_itself_is_perfect(self):
        a = iq.read_bmp(self.path("a.bmp", self.photo))
        p, s, bp = self.figures(a, a)
        self.assertEqual(p, 99.0)
        self.assertAlmostEqual(s, 1.0, places=12)
        self.assertEqual(bp, 99.0)

    def test_every_depth_and_row_order_reads_the_same_pixels(self):
        colours = [(0, 0, 0), (255, 255, 255)]
        two = [[colours[(x * y + x) % 2] for x in range(self.w)] for y in range(self.h)]
        want = iq.read_bmp(self.path("two24.bmp", two))
        for bits, pal in ((1, colours), (4, colours + [(9, 9, 9)] * 14),
                          (8, [(5, 5, 5)] * 254 + colours[::-1])):
            got = iq.read_bmp(self.path(f"two{bits}.bmp", two, bits=bits, palette=pal))
            self.assertTrue((got == want).all(), bits)
        flipped = iq.read_bmp(self.path("down.bmp", two, top_down=True))
        self.assertTrue((flipped == want).all())
        self.assertEqual(want[0, 1].tolist(), [255.0, 255.0, 255.0])
        self.assertEqual(want[1, 1].tolist(), [0.0, 0.0, 0.0])

    def test_an_even_offset_costs_its_psnr_blurred_or_not(self):
        shifted = [[tuple(v + 5 for v in c) for c in row] for row in self.photo]
        a = iq.read_bmp(self.path("a.bmp", self.photo))
        b = iq.read_bmp(self.path("b.bmp", shifted))
        p, s, bp = self.figures(a, b)
        self.assertAlmostEqual(p, 20 * math.log10(255 / 5), places=9)
        self.assertAlmostEqual(bp, p, places=9)
        self.assertLess(s, 1.0)
        self.assertGreater(s, 0.99)  # structure and contrast are untouched

    def test_a_fine_checkerboard_mostly_vanishes_in_the_blur(self):
        grey = [[(128, 128, 128)] * self.w for _ in range(self.h)]
        board = [[(128 + (8 if (x + y) % 2 else -8),) * 3 for x in range(self.w)]
                 for y in range(self.h)]
        a = iq.read_bmp(self.path("grey.bmp", grey))
        b = iq.read_bmp(self.path("board.bmp", board))
        p, s, bp = self.figures(a, b)
        self.assertAlmostEqual(p, 20 * math.log10(255 / 8), places=9)
        self.assertGreater(bp, p + 30)
        # Noise on a flat area: the variance term alone, c2 / (64 + c2).
        c2 = (0.03 * 255) ** 2
        self.assertAlmostEqual(s, c2 / (64 + c2), places=9)

    def test_ssim_is_the_mean_of_the_windows(self):
        noisy = [[tuple(min(255, max(0, v + (x * 7 + y * 3) % 11 - 5)) for v in c)
                  for x, c in enumerate(row)] for y, row in enumerate(self.photo)]
        a = iq.read_bmp(self.path("a.bmp", self.photo))
        b = iq.read_bmp(self.path("b.bmp", noisy))
        g = [math.exp(-(i * i) / 4.5) for i in range(-5, 6)]
        total = sum(g)
        g = [v / total for v in g]
        c1, c2 = (0.01 * 255) ** 2, (0.03 * 255) ** 2
        per_channel = []
        for ch in range(3):
            values = []
            for y0 in range(self.h - 10):
                for x0 in range(self.w - 10):
                    mx = my = xx = yy = xy = 0.0
                    for j in range(11):
                        for i in range(11):
                            wgt = g[i] * g[j]
                            x = self.photo[y0 + j][x0 + i][ch]
                            y = noisy[y0 + j][x0 + i][ch]
                            mx += wgt * x
                            my += wgt * y
                            xx += wgt * x * x
                            yy += wgt * y * y
                            xy += wgt * x * y
                    vx, vy, cov = xx - mx * mx, yy - my * my, xy - mx * my
                    values.append((2 * mx * my + c1) * (2 * cov + c2) /
                                  ((mx * mx + my * my + c1) * (vx + vy + c2)))
            per_channel.append(sum(values) / len(values))
        self.assertAlmostEqual(iq.ssim(a, b), sum(per_channel) / 3, places=9)

    def test_the_command_refuses_what_it_cannot_compare(self):
        a = self.path("a.bmp", self.photo)
        small = self.path("s.bmp", [row[:5] for row in self.photo[:5]])
        self.assertEqual(iq.main(["x", a, small]), 1)
        self.assertEqual(iq.main(["x", a]), 2)
        bad = os.path.join(self.dir.name, "bad.bmp")
        with open(bad, "wb") as f:
            f.write(b"not a picture")
        self.assertEqual(iq.main(["x", a, bad]), 1)


if __name__ == "__main__":
    unittest.main()
