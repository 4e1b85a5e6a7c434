#!/usr/bin/env python3
"""Generates the game's art into data/Graphics/Art: the fallback test image, the bitmap font,
the splash logo and the game sprites, plus the art list that names them.

Only the standard library is used (PNG written with zlib), so the output is reproducible on any
machine. Run from anywhere: python3 tools/gen_art.py
"""
import math
import os
import struct
import zlib

ART = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "data", "Graphics", "Art")

# 5x7 glyphs for ASCII 32..126, rows top to bottom.
GLYPHS = {
    " ": [".....", ".....", ".....", ".....", ".....", ".....", "....."],
    "!": ["..#..", "..#..", "..#..", "..#..", "..#..", ".....", "..#.."],
    '"': [".#.#.", ".#.#.", ".#.#.", ".....", ".....", ".....", "....."],
    "#": [".#.#.", ".#.#.", "#####", ".#.#.", "#####", ".#.#.", ".#.#."],
    "$": ["..#..", ".####", "#.#..", ".###.", "..#.#", "####.", "..#.."],
    "%": ["##...", "##..#", "...#.", "..#..", ".#...", "#..##", "...##"],
    "&": [".##..", "#..#.", "#.#..", ".#...", "#.#.#", "#..#.", ".##.#"],
    "'": ["..#..", "..#..", ".#...", ".....", ".....", ".....", "....."],
    "(": ["...#.", "..#..", ".#...", ".#...", ".#...", "..#..", "...#."],
    ")": [".#...", "..#..", "...#.", "...#.", "...#.", "..#..", ".#..."],
    "*": [".....", "..#..", "#.#.#", ".###.", "#.#.#", "..#..", "....."],
    "+": [".....", "..#..", "..#..", "#####", "..#..", "..#..", "....."],
    ",": [".....", ".....", ".....", ".....", ".##..", "..#..", ".#..."],
    "-": [".....", ".....", ".....", "#####", ".....", ".....", "....."],
    ".": [".....", ".....", ".....", ".....", ".....", ".##..", ".##.."],
    "/": [".....", "....#", "...#.", "..#..", ".#...", "#....", "....."],
    "0": [".###.", "#...#", "#..##", "#.#.#", "##..#", "#...#", ".###."],
    "1": ["..#..", ".##..", "..#..", "..#..", "..#..", "..#..", ".###."],
    "2": [".###.", "#...#", "....#", "...#.", "..#..", ".#...", "#####"],
    "3": ["#####", "...#.", "..#..", "...#.", "....#", "#...#", ".###."],
    "4": ["...#.", "..##.", ".#.#.", "#..#.", "#####", "...#.", "...#."],
    "5": ["#####", "#....", "####.", "....#", "....#", "#...#", ".###."],
    "6": ["..##.", ".#...", "#....", "####.", "#...#", "#...#", ".###."],
    "7": ["#####", "....#", "...#.", "..#..", ".#...", ".#...", ".#..."],
    "8": [".###.", "#...#", "#...#", ".###.", "#...#", "#...#", ".###."],
    "9": [".###.", "#...#", "#...#", ".####", "....#", "...#.", ".##.."],
    ":": [".....", ".##..", ".##..", ".....", ".##..", ".##..", "....."],
    ";": [".....", ".##..", ".##..", ".....", ".##..", "..#..", ".#..."],
    "<": ["...#.", "..#..", ".#...", "#....", ".#...", "..#..", "...#."],
    "=": [".....", ".....", "#####", ".....", "#####", ".....", "....."],
    ">": [".#...", "..#..", "...#.", "....#", "...#.", "..#..", ".#..."],
    "?": [".###.", "#...#", "....#", "...#.", "..#..", ".....", "..#.."],
    "@": [".###.", "#...#", "....#", ".##.#", "#.#.#", "#.#.#", ".###."],
    "A": [".###.", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"],
    "B": ["####.", "#...#", "#...#", "####.", "#...#", "#...#", "####."],
    "C": [".###.", "#...#", "#....", "#....", "#....", "#...#", ".###."],
    "D": ["###..", "#..#.", "#...#", "#...#", "#...#", "#..#.", "###.."],
    "E": ["#####", "#....", "#....", "####.", "#....", "#....", "#####"],
    "F": ["#####", "#....", "#....", "####.", "#....", "#....", "#...."],
    "G": [".###.", "#...#", "#....", "#.###", "#...#", "#...#", ".####"],
    "H": ["#...#", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"],
    "I": [".###.", "..#..", "..#..", "..#..", "..#..", "..#..", ".###."],
    "J": ["..###", "...#.", "...#.", "...#.", "...#.", "#..#.", ".##.."],
    "K": ["#...#", "#..#.", "#.#..", "##...", "#.#..", "#..#.", "#...#"],
    "L": ["#....", "#....", "#....", "#....", "#....", "#....", "#####"],
    "M": ["#...#", "##.##", "#.#.#", "#.#.#", "#...#", "#...#", "#...#"],
    "N": ["#...#", "#...#", "##..#", "#.#.#", "#..##", "#...#", "#...#"],
    "O": [".###.", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."],
    "P": ["####.", "#...#", "#...#", "####.", "#....", "#....", "#...."],
    "Q": [".###.", "#...#", "#...#", "#...#", "#.#.#", "#..#.", ".##.#"],
    "R": ["####.", "#...#", "#...#", "####.", "#.#..", "#..#.", "#...#"],
    "S": [".####", "#....", "#....", ".###.", "....#", "....#", "####."],
    "T": ["#####", "..#..", "..#..", "..#..", "..#..", "..#..", "..#.."],
    "U": ["#...#", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."],
    "V": ["#...#", "#...#", "#...#", "#...#", "#...#", ".#.#.", "..#.."],
    "W": ["#...#", "#...#", "#...#", "#.#.#", "#.#.#", "#.#.#", ".#.#."],
    "X": ["#...#", "#...#", ".#.#.", "..#..", ".#.#.", "#...#", "#...#"],
    "Y": ["#...#", "#...#", ".#.#.", "..#..", "..#..", "..#..", "..#.."],
    "Z": ["#####", "....#", "...#.", "..#..", ".#...", "#....", "#####"],
    "[": [".###.", ".#...", ".#...", ".#...", ".#...", ".#...", ".###."],
    "\\": [".....", "#....", ".#...", "..#..", "...#.", "....#", "....."],
    "]": [".###.", "...#.", "...#.", "...#.", "...#.", "...#.", ".###."],
    "^": ["..#..", ".#.#.", "#...#", ".....", ".....", ".....", "....."],
    "_": [".....", ".....", ".....", ".....", ".....", ".....", "#####"],
    "`": [".#...", "..#..", "...#.", ".....", ".....", ".....", "....."],
    "a": [".....", ".....", ".###.", "....#", ".####", "#...#", ".####"],
    "b": ["#....", "#....", "#.##.", "##..#", "#...#", "#...#", "####."],
    "c": [".....", ".....", ".###.", "#....", "#....", "#...#", ".###."],
    "d": ["....#", "....#", ".##.#", "#..##", "#...#", "#...#", ".####"],
    "e": [".....", ".....", ".###.", "#...#", "#####", "#....", ".###."],
    "f": ["..##.", ".#..#", ".#...", "###..", ".#...", ".#...", ".#..."],
    "g": [".....", ".####", "#...#", "#...#", ".####", "....#", ".###."],
    "h": ["#....", "#....", "#.##.", "##..#", "#...#", "#...#", "#...#"],
    "i": ["..#..", ".....", ".##..", "..#..", "..#..", "..#..", ".###."],
    "j": ["...#.", ".....", "..##.", "...#.", "...#.", "#..#.", ".##.."],
    "k": ["#....", "#....", "#..#.", "#.#..", "##...", "#.#..", "#..#."],
    "l": [".##..", "..#..", "..#..", "..#..", "..#..", "..#..", ".###."],
    "m": [".....", ".....", "##.#.", "#.#.#", "#.#.#", "#...#", "#...#"],
    "n": [".....", ".....", "#.##.", "##..#", "#...#", "#...#", "#...#"],
    "o": [".....", ".....", ".###.", "#...#", "#...#", "#...#", ".###."],
    "p": [".....", ".....", "####.", "#...#", "####.", "#....", "#...."],
    "q": [".....", ".....", ".##.#", "#..##", ".####", "....#", "....#"],
    "r": [".....", ".....", "#.##.", "##..#", "#....", "#....", "#...."],
    "s": [".....", ".....", ".###.", "#....", ".###.", "....#", "####."],
    "t": [".#...", ".#...", "###..", ".#...", ".#...", ".#..#", "..##."],
    "u": [".....", ".....", "#...#", "#...#", "#...#", "#..##", ".##.#"],
    "v": [".....", ".....", "#...#", "#...#", "#...#", ".#.#.", "..#.."],
    "w": [".....", ".....", "#...#", "#...#", "#.#.#", "#.#.#", ".#.#."],
    "x": [".....", ".....", "#...#", ".#.#.", "..#..", ".#.#.", "#...#"],
    "y": [".....", ".....", "#...#", "#...#", ".####", "....#", ".###."],
    "z": [".....", ".....", "#####", "...#.", "..#..", ".#...", "#####"],
    "{": ["...#.", "..#..", "..#..", ".#...", "..#..", "..#..", "...#."],
    "|": ["..#..", "..#..", "..#..", "..#..", "..#..", "..#..", "..#.."],
    "}": [".#...", "..#..", "..#..", "...#.", "..#..", "..#..", ".#..."],
    "~": [".....", ".....", ".#...", "#.#.#", "...#.", ".....", "....."],
}

# A font cell is 12 x 16 pixels: the 5 x 7 glyph doubled, with a one-pixel margin.
CELL_W, CELL_H, GLYPH_SCALE = 12, 16, 2


class Image:
    def __init__(self, width, height):
        self.width, self.height = width, height
        self.pixels = bytearray(width * height * 4)

    def put(self, x, y, rgba):
        if 0 <= x < self.width and 0 <= y < self.height:
            i = (y * self.width + x) * 4
            self.pixels[i:i + 4] = bytes(rgba)

    def blend(self, x, y, rgba):
        """Source-over blend, for soft shapes."""
        if not (0 <= x < self.width and 0 <= y < self.height):
            return
        i = (y * self.width + x) * 4
        a = rgba[3] / 255.0
        da = self.pixels[i + 3] / 255.0
        out_a = a + da * (1 - a)
        for c in range(3):
            src, dst = rgba[c], self.pixels[i + c]
            value = (src * a + dst * da * (1 - a)) / out_a if out_a > 0 else 0
            self.pixels[i + c] = int(round(value))
        self.pixels[i + 3] = int(round(out_a * 255))

    def fill_rect(self, x0, y0, w, h, rgba):
        for y in range(y0, y0 + h):
            for x in range(x0, x0 + w):
                self.put(x, y, rgba)

    def save(self, name):
        raw = b"".join(b"\x00" + bytes(self.pixels[y * self.width * 4:(y + 1) * self.width * 4])
                       for y in range(self.height))

        def chunk(kind, data):
            body = kind + data
            return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

        png = b"\x89PNG\r\n\x1a\n"
        png += chunk(b"IHDR", struct.pack(">IIBBBBB", self.width, self.height, 8, 6, 0, 0, 0))
        png += chunk(b"IDAT", zlib.compress(raw, 9))
        png += chunk(b"IEND", b"")
        with open(os.path.join(ART, name), "wb") as f:
            f.write(png)


def draw_text(img, text, x0, y0, scale, rgba):
    """Draws text with the 5x7 glyphs, each pixel a scale x scale block, 6 columns per char."""
    for n, ch in enumerate(text):
        rows = GLYPHS[ch]
        for gy, row in enumerate(rows):
            for gx, bit in enumerate(row):
                if bit == "#":
                    img.fill_rect(x0 + (n * 6 + gx) * scale, y0 + gy * scale, scale, scale, rgba)


def disc(img, cx, cy, radius, rgba, inner=0.0):
    """An anti-aliased disc (or ring when inner > 0)."""
    for y in range(img.height):
        for x in range(img.width):
            d = math.hypot(x + 0.5 - cx, y + 0.5 - cy)
            cover = min(1.0, max(0.0, radius - d + 0.5))
            if inner > 0:
                cover = min(cover, min(1.0, max(0.0, d - inner + 0.5)))
            if cover > 0:
                img.blend(x, y, (rgba[0], rgba[1], rgba[2], int(rgba[3] * cover)))


def make_test_image():
    img = Image(64, 64)
    for y in range(64):
        for x in range(64):
            on = ((x // 8) + (y // 8)) % 2 == 0
            img.put(x, y, (255, 0, 255, 255) if on else (0, 0, 0, 255))
    img.save("img_test.png")


def make_font():
    codes = [chr(c) for c in range(32, 127)]
    img = Image(CELL_W * len(codes), CELL_H)
    for n, ch in enumerate(codes):
        for gy, row in enumerate(GLYPHS[ch]):
            for gx, bit in enumerate(row):
                if bit == "#":
                    img.fill_rect(n * CELL_W + 1 + gx * GLYPH_SCALE, 1 + gy * GLYPH_SCALE,
                                  GLYPH_SCALE, GLYPH_SCALE, (255, 255, 255, 255))
    img.save("font.png")


def make_logo():
    """A rounded orange panel with the name, in the upper part of a 256 x 128 image; the bottom
    stays transparent so a title placed under the logo does not touch it."""
    w, h = 256, 128
    top, bottom, left, right = 4, 100, 8, 248
    img = Image(w, h)
    r = 20
    for y in range(top, bottom):
        for x in range(left, right):
            dx = max(left + r - x, 0, x - (right - 1 - r))
            dy = max(top + r - y, 0, y - (bottom - 1 - r))
            if dx * dx + dy * dy <= r * r:
                rim = (dx * dx + dy * dy > (r - 5) ** 2 or x < left + 5 or x >= right - 5
                       or y < top + 5 or y >= bottom - 5)
                t = (y - top) / (bottom - top)
                body = (240, int(150 - 50 * t), int(40 + 10 * t), 255)
                img.put(x, y, (150, 60, 20, 255) if rim else body)
    text = "KELVO"
    scale = 6
    tw = (len(text) * 6 - 1) * scale
    tx, ty = (w - tw) // 2, (top + bottom - 7 * scale) // 2
    draw_text(img, text, tx + 3, ty + 3, scale, (90, 30, 10, 255))
    draw_text(img, text, tx, ty, scale, (255, 255, 255, 255))
    img.save("kelvo_logo.png")


def make_node():
    img = Image(64, 64)
    disc(img, 32, 32, 28, (40, 200, 255, 255), inner=20)
    disc(img, 32, 32, 10, (200, 240, 255, 255))
    img.save("node.png")


def make_player():
    frames = 4
    img = Image(64 * frames, 64)
    for f in range(frames):
        size = 18 + 4 * (f if f < 3 else 1)
        cx, cy = 64 * f + 32, 32
        for y in range(64):
            for x in range(64 * f, 64 * (f + 1)):
                d = abs(x + 0.5 - cx) + abs(y + 0.5 - cy)
                if d <= size:
                    shade = 255 if d <= size - 5 else 150
                    img.put(x, y, (40, shade, 80, 255))
    img.save("player.png")


def make_patrol():
    frames = 4
    img = Image(64 * frames, 64)
    for f in range(frames):
        frame = Image(64, 64)
        disc(frame, 32, 32, 26, (220, 40, 40, 255))
        angle = f * math.pi / 2
        disc(frame, 32 + 14 * math.cos(angle), 32 - 14 * math.sin(angle), 7, (255, 230, 80, 255))
        for y in range(64):
            row = frame.pixels[y * 256:(y + 1) * 256]
            i = (y * img.width + 64 * f) * 4
            img.pixels[i:i + 256] = row
    img.save("patrol.png")


def make_spark():
    """A soft white dot for particles: emitters tint it, so it carries only brightness and a
    falling-off alpha."""
    img = Image(16, 16)
    for y in range(16):
        for x in range(16):
            d = math.hypot(x + 0.5 - 8, y + 0.5 - 8) / 8.0
            alpha = max(0.0, 1.0 - d) ** 1.5
            if alpha > 0:
                img.put(x, y, (255, 255, 255, int(round(255 * alpha))))
    img.save("spark.png")


ART_LIST = """img_test.png s 64 1 0
font.png s 12 95 0
kelvo_logo.png s 256 1 0
node.png s 64 1 0
player.png a 64 4 0.15
patrol.png a 64 4 0.25
spark.png s 16 1 0
"""


def main():
    os.makedirs(ART, exist_ok=True)
    make_test_image()
    make_font()
    make_logo()
    make_node()
    make_player()
    make_patrol()
    make_spark()
    with open(os.path.join(ART, "sahatmftu.txt"), "w", newline="\n") as f:
        f.write(ART_LIST)


if __name__ == "__main__":
    main()
