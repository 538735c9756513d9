#!/usr/bin/env python3
"""Scales the program's icon (a square PNG) to the sizes of the hicolor icon theme.

usage: scale-icon.py SOURCE.png OUTDIR SIZE...   writes OUTDIR/SIZExSIZE/langjitong.png
"""
import os
import sys

from PIL import Image


def main(argv):
    source, out = argv[1], argv[2]
    with Image.open(source) as image:
        image = image.convert("RGBA")
        for size in (int(s) for s in argv[3:]):
            folder = os.path.join(out, f"{size}x{size}")
            os.makedirs(folder, exist_ok=True)
            target = os.path.join(folder, "langjitong.png")
            scaled = image if image.size == (size, size) else image.resize(
                (size, size), Image.LANCZOS)
            scaled.save(target + ".tmp", "PNG")
            os.replace(target + ".tmp", target)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
