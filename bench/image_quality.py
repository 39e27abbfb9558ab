#!/usr/bin/env python3
"""How close a reduced picture is to its source, for bench/quality.sh.

    image_quality.py SOURCE.bmp RESULT.bmp

prints three figures on one line: the PSNR in dB over every pixel and the
three channels; the SSIM, the mean over the three channels of the mean of
an 11 x 11 Gaussian window (sigma 1.5, the usual constants 0.01 and 0.03
of 255) over every place the window fits; and the PSNR after both pictures
are blurred by a Gaussian of sigma 1.0, a rough model of what the eye sees
of a dither. Both are uncompressed BMP files of the same size, of 1, 4, 8,
24 or 32 bits per pixel. Needs numpy only.
"""

import struct
import sys

import numpy as np


def read_bmp(path):
    """The picture as an array of height x width x 3 (red, green, blue)."""
    with open(path, "rb") as f:
        data = f.read()
    if data[:2] != b"BM" or len(data) < 54:
        raise ValueError(f"{path}: not a BMP file")
    offset = struct.unpack_from("<I", data, 10)[0]
    header = struct.unpack_from("<I", data, 14)[0]
    width, height, _, bits, compression = struct.unpack_from("<iiHHI", data, 18)
    if compression not in (0, 3) or bits not in (1, 4, 8, 24, 32):
        raise ValueError(f"{path}: {bits} bits, compression {compression} not read")
    top_down = height < 0
    height = abs(height)
    stride = (width * bits + 31) // 32 * 4
    rows = np.frombuffer(data, np.uint8, stride * height, offset).reshape(height, stride)
    if bits >= 24:
        step = bits // 8
        pixels = rows[:, : width * step].reshape(height, width, step)[:, :, 2::-1]
    else:
        used = struct.unpack_from("<I", data, 46)[0] or 1 << bits
        table = np.frombuffer(data, np.uint8, 4 * used, 14 + header).reshape(used, 4)
        indices = np.unpackbits(rows, axis=1) if bits == 1 else rows
        if bits == 4:
            indices = np.stack([rows >> 4, rows & 15], axis=2).reshape(height, -1)
        indices = np.minimum(indices[:, :width], used - 1)
        pixels = table[indices][:, :, 2::-1]
    if not top_down:
        pixels = pixels[::-1]
    return pixels.astype(np.float64)


def gaussian(sigma, radius):
    taps = np.exp(-(np.arange(-radius, radius + 1) ** 2) / (2.0 * sigma * sigma))
    return taps / taps.sum()


def filtered(channel, taps):
    """The channel filtered by the taps along both axes, where they fit."""
    n = len(taps)
    rows = sum(t * channel[:, i : channel.shape[1] - n + 1 + i] for i, t in enumerate(taps))
    return sum(t * rows[i : rows.shape[0] - n + 1 + i, :] for i, t in enumerate(taps))


def psnr(a, b):
    mse = np.mean((a - b) ** 2)
    return 99.0 if mse == 0 else 10 * np.log10(255.0 * 255.0 / mse)


def ssim(a, b):
    c1, c2 = (0.01 * 255) ** 2, (0.03 * 255) ** 2
    window = gaussian(1.5, 5)
    means = []
    for ch in range(3):
        x, y = a[:, :, ch], b[:, :, ch]
        mx, my = filtered(x, window), filtered(y, window)
        vx = filtered(x * x, window) - mx * mx
        vy = filtered(y * y, window) - my * my
        cov = filtered(x * y, window) - mx * my
        s = ((2 * mx * my + c1) * (2 * cov + c2)) / ((mx * mx + my * my + c1) * (vx + vy + c2))
        means.append(s.mean())
    return float(np.mean(means))


def blurred_psnr(a, b):
    taps = gaussian(1.0, 4)
    blur = lambda p: np.stack([filtered(p[:, :, ch], taps) for ch in range(3)], axis=2)
    return psnr(blur(a), blur(b))


def main(argv):
    if len(argv) != 3:
        print("usage: image_quality.py SOURCE.bmp RESULT.bmp", file=sys.stderr)
        return 2
    try:
        a, b = read_bmp(argv[1]), read_bmp(argv[2])
    except (OSError, ValueError, struct.error) as e:
        print(e, file=sys.stderr)
        return 1
    if a.shape != b.shape:
        print("image_quality.py: the pictures differ in size", file=sys.stderr)
        return 1
    if min(a.shape[0], a.shape[1]) < 11:
        print("image_quality.py: the pictures are too small for the window", file=sys.stderr)
        return 1
    print(f"{psnr(a, b):.2f} {ssim(a, b):.4f} {blurred_psnr(a, b):.2f}")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
