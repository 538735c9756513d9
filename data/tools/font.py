"""Builds DFPhonetic.ttf from DejaVu Sans: every glyph is kept, and each 8-bit code of the
phonetic code table is remapped to the glyph of its IPA symbol."""
import os
import sys

from fontTools.ttLib import TTFont

import phonetic

FAMILY = "DFPhonetic"


def build(source, target):
    font = TTFont(source)
    best = font.getBestCmap()
    for code, ipa in phonetic.GLYPHS.items():
        if ord(ipa) not in best:
            raise SystemExit(f"font: {source} has no glyph for {ipa!r}")
    for table in font["cmap"].tables:
        if not table.isUnicode():
            continue
        for code, ipa in phonetic.GLYPHS.items():
            table.cmap[ord(code)] = best[ord(ipa)]
    names = font["name"]
    # A renamed derivative, as the DejaVu/Bitstream Vera licence asks of modified fonts.
    for rec in list(names.names):
        if rec.nameID in (16, 17, 21, 22):
            names.removeNames(nameID=rec.nameID)
    for nid, text in ((1, FAMILY), (2, "Regular"), (3, FAMILY + " Regular"), (4, FAMILY), (6, FAMILY)):
        names.setName(text, nid, 3, 1, 0x409)
        names.setName(text, nid, 1, 0, 0)
    names.setName("Derived from DejaVu Sans; phonetic codes remapped for 朗记通.", 5, 3, 1, 0x409)
    tmp = target + ".tmp"
    font.save(tmp)
    os.replace(tmp, target)


if __name__ == "__main__":
    build(sys.argv[1], sys.argv[2])
    print("font: DFPhonetic.ttf written")
