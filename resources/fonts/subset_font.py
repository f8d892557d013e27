#!/usr/bin/python3
"""Makes the bundled text font: the first face of SOURCE (a TrueType font or
collection) cut down to the characters GBK can hold and printable ASCII, its
embedded bitmaps, hinting and layout tables dropped (the text setter reads
outlines and advances only).

    subset_font.py SOURCE OUT
"""
import sys

from fontTools import subset
from fontTools.ttLib import TTFont


def gbk_characters():
    characters = {chr(byte) for byte in range(0x20, 0x7F)}
    for lead in range(0x81, 0xFF):
        for trail in range(0x40, 0xFF):
            try:
                characters.add(bytes([lead, trail]).decode('gbk'))
            except UnicodeDecodeError:
                pass
    return characters


def main(source, out):
    options = subset.Options()
    options.hinting = False
    options.layout_features = []
    options.drop_tables += ['EBDT', 'EBLC', 'EBSC', 'BDF ', 'FFTM', 'VORG', 'vhea', 'vmtx',
                            'GSUB', 'GPOS', 'GDEF', 'gasp']
    options.name_IDs = ['*']
    options.notdef_outline = True
    font = TTFont(source, fontNumber=0)
    subsetter = subset.Subsetter(options)
    subsetter.populate(unicodes=[ord(c) for c in gbk_characters()])
    subsetter.subset(font)
    font.save(out)


if __name__ == '__main__':
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    main(*sys.argv[1:])
