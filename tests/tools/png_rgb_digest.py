#!/usr/bin/env python3
"""Reads a PNG with nothing but zlib (8-bit palette or RGB, any filter, no
interlace) and prints: WIDTH HEIGHT SHA256-of-the-RGB-bytes. A second reader
beside Qt's, so the encoder's files are checked against the format itself."""
import hashlib
import struct
import sys
import zlib


def chunks(data):
    assert data[:8] == b"\x89PNG\r\n\x1a\n", "not a PNG"
    at = 8
    while at < len(data):
        length, kind = struct.unpack(">I4s", data[at:at + 8])
        body = data[at + 8:at + 8 + length]
        crc, = struct.unpack(">I", data[at + 8 + length:at + 12 + length])
        assert zlib.crc32(kind + body) == crc, "bad CRC in " + kind.decode()
        yield kind, body
        at += 12 + length


def paeth(a, b, c):
    p = a + b - c
    pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
    return a if pa <= pb and pa <= pc else (b if pb <= pc else c)


def unfilter(raw, width, height, bpp):
    stride = width * bpp
    rows, prev, at = [], bytearray(stride), 0
    for _ in range(height):
        kind, line = raw[at], bytearray(raw[at + 1:at + 1 + stride])
        at += 1 + stride
        for i in range(stride):
            a = line[i - bpp] if i >= bpp else 0
            b, c = prev[i], prev[i - bpp] if i >= bpp else 0
            line[i] = (line[i] + [0, a, b, (a + b) // 2, paeth(a, b, c)][kind]) & 0xFF
        rows.append(bytes(line))
        prev = line
    return rows


def main(path):
    data = open(path, "rb").read()
    header, palette, idat = None, None, b""
    for kind, body in chunks(data):
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"PLTE":
            palette = body
        elif kind == b"IDAT":
            idat += body
    width, height, depth, colour, _, _, interlace = header
    assert depth == 8 and interlace == 0 and colour in (2, 3)
    rows = unfilter(zlib.decompress(idat), width, height, 3 if colour == 2 else 1)
    rgb = b"".join(rows) if colour == 2 else b"".join(
        b"".join(palette[3 * i:3 * i + 3] for i in row) for row in rows)
    print(width, height, hashlib.sha256(rgb).hexdigest())


if __name__ == "__main__":
    main(sys.argv[1])
