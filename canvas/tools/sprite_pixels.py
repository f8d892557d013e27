#!/usr/bin/env python3
"""Writes the built-in sprite strips' pixels as C++ source for the canvas.

Usage: sprite_pixels.py OUTPUT.cpp STRIP.png:FRAME_WIDTH...

The strips come in image-set order (1, 2, ...) and become kBuiltInStrips
(canvas/sprite_frames.h), so every edition draws the same sprites without
decoding a picture.

The strips are 8-bit RGB (or RGBA) PNG files without interlacing; each pixel
becomes 0xFFRRGGBB, and a pixel less than half opaque becomes white, the
see-through colour, as the desktop flattens them. Standard library only.
"""
import struct
import sys
import zlib


def paeth(a, b, c):
    p = a + b - c
    pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
    if pa <= pb and pa <= pc:
        return a
    return b if pb <= pc else c


def read_png(path):
    data = open(path, "rb").read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        sys.exit(f"{path}: not a PNG file")
    pos, idat, header = 8, b"", None
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat += body
        pos += 12 + length
    width, height, depth, colour, _, _, interlace = header
    if depth != 8 or colour not in (2, 6) or interlace:
        sys.exit(f"{path}: only 8-bit RGB or RGBA without interlacing is read")
    step = 3 if colour == 2 else 4
    raw = zlib.decompress(idat)
    stride = width * step
    rows, previous, at = [], bytearray(stride), 0
    for _ in range(height):
        kind, line = raw[at], bytearray(raw[at + 1:at + 1 + stride])
        at += 1 + stride
        for i in range(stride):
            left = line[i - step] if i >= step else 0
            up = previous[i]
            corner = previous[i - step] if i >= step else 0
            line[i] = (line[i] + (0, left, up, (left + up) // 2, paeth(left, up, corner))[kind]) & 0xFF
        rows.append(line)
        previous = line
    pixels = []
    for line in rows:
        for x in range(width):
            r, g, b = line[x * step:x * step + 3]
            opaque = step == 3 or line[x * step + 3] >= 128
            pixels.append(0xFF000000 | r << 16 | g << 8 | b if opaque else 0xFFFFFFFF)
    return width, height, pixels


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    strips = []
    for at, argument in enumerate(sys.argv[2:]):
        path, frame_width = argument.rsplit(":", 1)
        width, height, pixels = read_png(path)
        words = ",".join(f"0x{p:08X}u" for p in pixels)
        strips.append((path.split("/")[-1], width, height, int(frame_width), at, words))
    with open(sys.argv[1], "w") as out:
        out.write("// Made by canvas/tools/sprite_pixels.py from "
                  + ", ".join(strip[0] for strip in strips) + ".\n")
        out.write('#include "canvas/sprite_frames.h"\n\nnamespace dravel {\nnamespace {\n\n')
        for name, width, height, frame_width, at, words in strips:
            out.write(f"const uint32_t kStrip{at}[] = {{{words}}};\n\n")
        out.write("}  // namespace\n\nconst SpriteStrip kBuiltInStrips[kImageSetCount - 1] = {\n")
        for name, width, height, frame_width, at, words in strips:
            out.write(f"    {{{width}, {height}, {frame_width}, kStrip{at}}},\n")
        out.write("};\n\n}  // namespace dravel\n")


main()
