#!/usr/bin/env python3
"""A second decoder's view of image files for the tests: Pillow (python3-pil).

usage: pil_dump.py rgba OUT_DIR FILE...
           writes OUT_DIR/<file name>.rgba for each FILE: "W H\\n", then the
           pixels as RGBA bytes, rows from the top
       pil_dump.py indexed FILE...
           prints one line for each FILE: its name, mode, width, height, the
           palette (hex RGB bytes), the pixels' indices (hex, one byte a
           pixel) and the transparency Pillow found ("-" when none)

Two of Pillow's ways are mended here, as the PNG standard reads:
- it turns 16-bit greys (mode I) to 8 bits by clipping; their samples are
  rounded to 8 bits instead;
- it compares the tRNS grey of a 1-, 2- or 4-bit grey image with the sample
  already widened to 8 bits; the tRNS value is widened too.
"""
import os
import sys

from PIL import Image


def png_bit_depth(path):
    with open(path, "rb") as f:
        head = f.read(25)
    return head[24] if head[:8] == b"\x89PNG\r\n\x1a\n" and head[12:16] == b"IHDR" else 8


def rgba(image, path):
    clear = image.info.get("transparency")
    depth = png_bit_depth(path)
    if image.mode == "L" and isinstance(clear, int) and depth < 8:
        image.info["transparency"] = clear * 255 // ((1 << depth) - 1)
    if image.mode not in ("I", "I;16", "I;16B"):
        return image.convert("RGBA").tobytes()
    out = bytearray()
    for v in image.getdata():
        g = (v + 128) // 257
        out += bytes((g, g, g, 0 if v == clear else 255))
    return bytes(out)


def main(argv):
    if argv[1] == "rgba":
        for path in argv[3:]:
            with Image.open(path) as image:
                head = b"%d %d\n" % image.size
                data = rgba(image, path)
            name = os.path.basename(path) + ".rgba"
            with open(os.path.join(argv[2], name), "wb") as f:
                f.write(head + data)
        return 0
    if argv[1] == "indexed":
        for path in argv[2:]:
            with Image.open(path) as image:
                palette = bytes(image.getpalette() or [])
                clear = image.info.get("transparency")
                if isinstance(clear, bytes):
                    clear = clear.hex()
                print(os.path.basename(path), image.mode, image.size[0], image.size[1],
                      palette.hex(), image.tobytes().hex(), "-" if clear is None else clear)
        return 0
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
