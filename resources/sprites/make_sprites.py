#!/usr/bin/env python3
"""Draws the ten sprite strips of the canvas as PNG files.

Each strip is a row of frames side by side, every frame facing up, on pure
white, which the canvas treats as transparent (so the art itself never uses
pure white). Run from anywhere: python3 make_sprites.py [output folder].
Needs only the standard library.
"""
import math
import os
import struct
import sys
import zlib

WHITE = (255, 255, 255)
BLACK = (20, 20, 20)
OUTLINE = (30, 40, 30)
SHINE = (250, 250, 246)


class Frame:
    def __init__(self, width, height):
        self.width, self.height = width, height
        self.pixels = [[WHITE] * width for _ in range(height)]

    def put(self, x, y, colour):
        x, y = int(round(x)), int(round(y))
        if 0 <= x < self.width and 0 <= y < self.height:
            self.pixels[y][x] = colour

    def ellipse(self, cx, cy, rx, ry, colour):
        for y in range(self.height):
            for x in range(self.width):
                dx, dy = (x + 0.5 - cx) / max(rx, 0.01), (y + 0.5 - cy) / max(ry, 0.01)
                if dx * dx + dy * dy <= 1.0:
                    self.pixels[y][x] = colour

    def outlined_ellipse(self, cx, cy, rx, ry, colour, edge=OUTLINE):
        self.ellipse(cx, cy, rx + 1, ry + 1, edge)
        self.ellipse(cx, cy, rx, ry, colour)

    def rect(self, x0, y0, x1, y1, colour):
        for y in range(max(0, y0), min(self.height, y1 + 1)):
            for x in range(max(0, x0), min(self.width, x1 + 1)):
                self.pixels[y][x] = colour

    def outlined_rect(self, x0, y0, x1, y1, colour, edge=OUTLINE):
        self.rect(x0 - 1, y0 - 1, x1 + 1, y1 + 1, edge)
        self.rect(x0, y0, x1, y1, colour)

    def line(self, x0, y0, x1, y1, colour):
        steps = int(max(abs(x1 - x0), abs(y1 - y0)) * 2) + 1
        for i in range(steps + 1):
            t = i / steps
            self.put(x0 + (x1 - x0) * t, y0 + (y1 - y0) * t, colour)

    def polygon(self, points, colour):
        for y in range(self.height):
            yc = y + 0.5
            crossings = []
            for (xa, ya), (xb, yb) in zip(points, points[1:] + points[:1]):
                if (ya <= yc < yb) or (yb <= yc < ya):
                    crossings.append(xa + (yc - ya) * (xb - xa) / (yb - ya))
            crossings.sort()
            for xa, xb in zip(crossings[::2], crossings[1::2]):
                for x in range(self.width):
                    if xa <= x + 0.5 <= xb:
                        self.pixels[y][x] = colour


def turtle(k):
    f = Frame(20, 25)
    shell, skin, dark = (46, 120, 52), (120, 190, 90), (24, 80, 30)
    step = [-2, 0, 2, 0][k]
    for lx, ly, s in ((3.5, 8, step), (16.5, 8, -step), (3.5, 18, -step), (16.5, 18, step)):
        f.outlined_ellipse(lx, ly + s, 2.2, 2.6, skin)
    f.outlined_ellipse(10, 23, 1.2, 1.6, skin)
    f.outlined_ellipse(10, 3.2 + (1 if k % 2 else 0) * 0.5, 2.6, 2.8, skin)
    f.put(9, 2, BLACK)
    f.put(11, 2, BLACK)
    f.outlined_ellipse(10, 13.5, 6.5, 8.2, shell)
    f.ellipse(10, 13.5, 3.0, 3.6, dark)
    for px, py in ((6.5, 9), (13.5, 9), (6.5, 18), (13.5, 18), (10, 6.8), (10, 20.2)):
        f.ellipse(px, py, 1.5, 1.4, dark)
    return f


def butterfly(k):
    f = Frame(32, 29)
    flap = 0.3 + 0.7 * abs(math.cos(math.pi * k / 10))
    wing, spot = (240, 140, 30), (250, 240, 200)
    for side in (-1, 1):
        f.outlined_ellipse(16 + side * 8 * flap, 10, 7.5 * flap + 0.6, 7, wing, BLACK)
        f.outlined_ellipse(16 + side * 6 * flap, 20, 5.5 * flap + 0.6, 5, (230, 100, 20), BLACK)
        f.ellipse(16 + side * 10 * flap, 8, 1.8 * flap + 0.3, 1.8, spot)
        f.ellipse(16 + side * 7 * flap, 21, 1.2 * flap + 0.3, 1.2, spot)
    f.rect(15, 5, 16, 25, BLACK)
    f.line(15, 5, 11, 0, BLACK)
    f.line(16, 5, 20, 0, BLACK)
    return f


def tank(k):
    f = Frame(32, 36)
    track, hull, turret = (60, 60, 55), (100, 120, 60), (80, 100, 45)
    for x0 in (3, 23):
        f.outlined_rect(x0, 8, x0 + 5, 33, track, BLACK)
        for y in range(8 + (k * 2) % 6, 34, 6):
            f.rect(x0, y, x0 + 5, y, (120, 120, 110))
    f.outlined_rect(10, 10, 21, 31, hull)
    f.rect(13, 1, 18, 14, BLACK)
    f.rect(14, 1, 17, 14, (70, 85, 40))
    f.outlined_ellipse(16, 20, 6, 6, turret)
    f.ellipse(16, 20, 2, 2, (140, 160, 90))
    return f


def plane(colour, dark):
    def draw(k):
        f = Frame(29, 37)
        f.outlined_ellipse(14.5, 19, 3.5, 15, colour)
        f.polygon([(1, 15), (28, 15), (28, 21), (1, 21)], dark)
        f.polygon([(2, 16), (27, 16), (27, 20), (2, 20)], colour)
        f.polygon([(8, 31), (21, 31), (21, 34), (8, 34)], dark)
        f.ellipse(14.5, 11, 2, 3, (150, 200, 240))
        angle = math.pi * k / 6
        dx, dy = 6 * math.cos(angle), 1.5 * math.sin(angle)
        f.line(14.5 - dx, 3 - dy, 14.5 + dx, 3 + dy, BLACK)
        f.ellipse(14.5, 3, 1.5, 1.5, (200, 200, 200))
        return f
    return draw


def car(k):
    f = Frame(28, 40)
    body, glass = (220, 40, 40), (120, 180, 230)
    for wx, wy in ((3, 6), (21, 6), (3, 28), (21, 28)):
        f.rect(wx, wy, wx + 3, wy + 6, BLACK)
        for y in range(wy + k, wy + 7, 2):
            f.rect(wx, y, wx + 3, y, (90, 90, 90))
    f.outlined_rect(6, 2, 21, 37, body)
    f.rect(8, 9, 19, 13, glass)
    f.rect(8, 27, 19, 29, glass)
    f.rect(8, 15, 19, 25, (200, 30, 30))
    f.rect(7, 2, 9, 3, (250, 240, 120))
    f.rect(18, 2, 20, 3, (250, 240, 120))
    if k == 1:
        f.ellipse(11, 38.5, 1.5, 1.2, (170, 170, 170))
    return f


def robot(k):
    f = Frame(25, 18)
    metal, dark = (150, 160, 175), (80, 90, 105)
    swing = [-2, 0, 2][k]
    f.outlined_rect(1, 6 + swing, 4, 12 + swing, dark)
    f.outlined_rect(20, 6 - swing, 23, 12 - swing, dark)
    f.outlined_rect(7, 4, 17, 16, metal)
    f.rect(9, 6, 11, 8, (40, 200, 240))
    f.rect(13, 6, 15, 8, (40, 200, 240))
    f.rect(9, 12, 15, 13, dark)
    f.rect(12, 0, 12, 3, dark)
    f.rect(11, 0, 13, 1, [(250, 60, 60), (250, 200, 40), (60, 220, 60)][k])
    return f


def big_robot(k):
    f = Frame(38, 36)
    metal, dark = (170, 150, 120), (100, 85, 60)
    lift = 2 if k else 0
    f.outlined_rect(11, 27 - lift, 16, 34 - lift, dark)
    f.outlined_rect(21, 27 + lift - 2, 26, 34 + lift - 2, dark)
    f.outlined_rect(2, 12 + lift, 7, 25 + lift, dark)
    f.outlined_rect(30, 12 - lift, 35, 25 - lift, dark)
    f.outlined_rect(9, 11, 28, 27, metal)
    f.outlined_rect(12, 2, 25, 10, metal)
    f.rect(14, 4, 16, 6, (240, 60, 40))
    f.rect(21, 4, 23, 6, (240, 60, 40))
    f.rect(16, 8, 21, 8, dark)
    f.rect(13, 15, 24, 22, dark)
    f.rect(15, 17, 22, 20, [(80, 200, 250), (250, 220, 80)][k])
    return f


def ladybug(k):
    f = Frame(25, 30)
    red = (220, 30, 30)
    wiggle = [-1, 0, 1][k]
    for y, s in ((11, wiggle), (16, -wiggle), (21, wiggle)):
        f.line(5, y + s, 1, y + s - 2, BLACK)
        f.line(19, y - s, 23, y - s - 2, BLACK)
    f.line(10, 5, 8, 1 + abs(wiggle), BLACK)
    f.line(14, 5, 16, 1 + abs(wiggle), BLACK)
    f.outlined_ellipse(12.5, 17, 8, 10.5, red, BLACK)
    f.ellipse(12.5, 6.5, 4.5, 3.5, BLACK)
    f.rect(12, 8, 12, 27, BLACK)
    for sx, sy in ((8.5, 13), (16.5, 13), (8, 20), (17, 20), (10, 25), (15, 25)):
        f.ellipse(sx, sy, 1.6, 1.6, BLACK)
    f.put(10, 5, SHINE)
    f.put(15, 5, SHINE)
    return f


def balloon(k):
    f = Frame(39, 56)
    sway = k
    stripes = [(230, 50, 50), (250, 200, 40), (40, 120, 220)]
    f.ellipse(19.5 + sway, 18, 18.5, 18, OUTLINE)
    for i, x0 in enumerate(range(2, 38, 6)):
        for y in range(f.height):
            for x in range(x0 + sway, x0 + 6 + sway):
                dx, dy = (x + 0.5 - 19.5 - sway) / 17.5, (y + 0.5 - 18) / 17
                if dx * dx + dy * dy <= 1.0:
                    f.put(x, y, stripes[i % 3])
    f.ellipse(14 + sway, 10, 2.5, 4, SHINE)
    for x0, x1 in ((9, 15), (30, 24)):
        f.line(x0 + sway, 31, x1, 46, (110, 80, 50))
    f.outlined_rect(14, 46, 24, 54, (160, 110, 60))
    f.rect(14, 48, 24, 48, (120, 80, 40))
    return f


STRIPS = [
    ("turtle.png", turtle, 4),
    ("butterfly.png", butterfly, 10),
    ("tank.png", tank, 3),
    ("red_plane.png", plane((210, 40, 40), (140, 20, 20)), 6),
    ("blue_plane.png", plane((40, 90, 210), (20, 50, 140)), 6),
    ("car.png", car, 2),
    ("robot.png", robot, 3),
    ("big_robot.png", big_robot, 2),
    ("ladybug.png", ladybug, 3),
    ("balloon.png", balloon, 2),
]


def write_png(path, rows):
    height, width = len(rows), len(rows[0])
    raw = b"".join(b"\x00" + bytes(c for pixel in row for c in pixel) for row in rows)

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
    with open(path, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
                  chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    for name, draw, count in STRIPS:
        frames = [draw(k) for k in range(count)]
        rows = [sum((frame.pixels[y] for frame in frames), []) for y in range(frames[0].height)]
        write_png(os.path.join(folder, name), rows)


if __name__ == "__main__":
    main()
