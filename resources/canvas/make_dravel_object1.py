#!/usr/bin/env python3
"""Writes dravel_object1.props: the stored properties of the main window's
canvas as a version 6 record (32-bit little-endian fields, blobs as a length
and bytes): green pen and fill, background 0x606060, pen width 1, edge mode 1
(Wrap), picture mode 0, frame interval 500 ms, frame 0 and image set 1 in all
21 slots, no background picture and no own images.
"""
import os
import struct
import sys

SLOTS = 21


def record():
    fields = [6, 0x00FF00, 0x606060, 0x00FF00, 1, 1, 0, 500]
    fields += [0] * SLOTS  # frames
    fields += [1] * SLOTS  # image sets
    fields += [0]  # background picture: empty blob
    fields += [0] * SLOTS  # own images: empty blobs
    return struct.pack("<%di" % len(fields), *fields)


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    with open(os.path.join(folder, "dravel_object1.props"), "wb") as out:
        out.write(record())


if __name__ == "__main__":
    main()
