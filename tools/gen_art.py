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


# ---- The game pieces: nodes in each state, links, the probe, patrols, firewalls and keys.

def ring(img, cx, cy, outer, inner, rgba):
    disc(img, cx, cy, outer, rgba, inner=inner)


def polygon(img, points, rgba):
    """A filled polygon (even-odd rule), sampled at pixel centres with 4x4 supersampling."""
    for y in range(img.height):
        for x in range(img.width):
            hits = 0
            for sy in range(4):
                for sx in range(4):
                    px, py = x + (sx + 0.5) / 4, y + (sy + 0.5) / 4
                    inside = False
                    j = len(points) - 1
                    for i in range(len(points)):
                        xi, yi = points[i]
                        xj, yj = points[j]
                        if (yi > py) != (yj > py) and px < (xj - xi) * (py - yi) / (yj - yi) + xi:
                            inside = not inside
                        j = i
                    hits += inside
            if hits:
                img.blend(x, y, (rgba[0], rgba[1], rgba[2], int(rgba[3] * hits / 16)))


def node_base(ring_rgba):
    img = Image(64, 64)
    disc(img, 32, 32, 30, (10, 20, 40, 255))
    ring(img, 32, 32, 28, 21, ring_rgba)
    return img


def make_node_states():
    img = node_base((40, 200, 255, 255))
    disc(img, 32, 32, 10, (200, 240, 255, 255))
    img.save("node_plain.png")

    img = node_base((240, 200, 60, 255))
    disc(img, 32, 32, 13, (255, 215, 70, 255))
    disc(img, 32, 32, 9, (200, 150, 30, 255))
    img.fill_rect(30, 24, 4, 16, (255, 235, 140, 255))
    img.save("node_credits.png")

    img = node_base((80, 90, 110, 255))
    ring(img, 32, 32, 9, 6, (90, 100, 120, 255))
    img.save("node_drained.png")

    for layers in range(1, 5):
        img = node_base((255, 110, 40, 255))
        disc(img, 32, 32, 17, (120, 40, 10, 255))
        draw_text(img, str(layers), 32 - 7, 32 - 10, 3, (255, 230, 200, 255))
        # One notch on the ring per layer.
        for n in range(layers):
            a = math.pi / 2 + (n - (layers - 1) / 2) * 0.5
            disc(img, 32 + 24.5 * math.cos(a), 32 - 24.5 * math.sin(a), 3.2, (255, 240, 200, 255))
        img.save("node_enc%d.png" % layers)

    img = node_base((255, 255, 255, 255))
    draw_key(img, 32, 32, 1.0, (255, 255, 255, 255))
    img.save("node_key.png")

    img = Image(64, 64)
    disc(img, 32, 32, 30, (10, 40, 20, 255))
    ring(img, 32, 32, 29, 24, (80, 255, 120, 255))
    ring(img, 32, 32, 19, 14, (80, 255, 120, 255))
    disc(img, 32, 32, 8, (200, 255, 210, 255))
    img.save("node_end.png")


def draw_key(img, cx, cy, k, rgba):
    ring(img, cx - 9 * k, cy, 8 * k, 4 * k, rgba)
    img.fill_rect(int(cx - 2 * k), int(cy - 2 * k), int(16 * k), int(4 * k), rgba)
    img.fill_rect(int(cx + 8 * k), int(cy + 2 * k), int(3 * k), int(5 * k), rgba)
    img.fill_rect(int(cx + 3 * k), int(cy + 2 * k), int(3 * k), int(4 * k), rgba)


def make_key_icon():
    img = Image(64, 64)
    draw_key(img, 32, 32, 1.8, (255, 255, 255, 255))
    img.save("key.png")


def make_links():
    img = Image(64, 16)
    for y in range(16):
        glow = max(0.0, 1.0 - abs(y + 0.5 - 8) / 8)
        for x in range(64):
            core = 1.0 if abs(y + 0.5 - 8) < 2 else 0.0
            a = int(255 * min(1.0, glow ** 2 * 0.7 + core))
            img.put(x, y, (int(120 + 135 * core), int(220 + 35 * core), 255, a))
    img.save("link.png")

    img = Image(64, 16)
    for y in range(6, 10):
        for x in range(64):
            if (x // 8) % 2 == 0:
                img.put(x, y, (150, 150, 170, 200))
    img.save("link_closed.png")

    img = Image(16, 16)
    disc(img, 8, 8, 7, (160, 230, 255, 120))
    disc(img, 8, 8, 3, (255, 255, 255, 255))
    img.save("link_spark.png")


def make_firewall():
    img = Image(64, 64)
    pts = [(32 + 31 * math.cos(a), 32 + 31 * math.sin(a)) for a in
           [math.pi / 6 + n * math.pi / 3 for n in range(6)]]
    polygon(img, pts, (255, 255, 255, 110))
    # Bricks.
    for row in range(6):
        y = 10 + row * 8
        offset = 0 if row % 2 == 0 else 6
        for x in range(4 + offset, 62, 12):
            img.fill_rect(x, y, 9, 5, (255, 255, 255, 200))
    inner = Image(64, 64)
    polygon(inner, pts, (255, 255, 255, 255))
    for i in range(0, len(img.pixels), 4):
        if inner.pixels[i + 3] == 0:
            img.pixels[i:i + 4] = bytes(4)
    img.save("firewall.png")


def make_probe():
    frames = 4
    img = Image(64 * frames, 64)
    for f in range(frames):
        frame = Image(64, 64)
        swell = [0, 2, 4, 2][f]
        disc(frame, 32, 32, 30, (60, 255, 120, 40 + 20 * swell))
        polygon(frame, [(32, 6 - swell), (58 + swell, 32), (32, 58 + swell), (6 - swell, 32)],
                (60, 230, 110, 255))
        polygon(frame, [(32, 16), (48, 32), (32, 48), (16, 32)], (200, 255, 220, 255))
        for y in range(64):
            i = (y * img.width + 64 * f) * 4
            img.pixels[i:i + 256] = frame.pixels[y * 256:(y + 1) * 256]
    img.save("probe.png")


def make_patrols():
    img = Image(64, 64)
    disc(img, 30, 32, 24, (220, 40, 40, 255))
    polygon(img, [(40, 14), (62, 32), (40, 50)], (220, 40, 40, 255))
    disc(img, 44, 32, 7, (255, 230, 80, 255))
    disc(img, 46, 32, 3, (80, 20, 10, 255))
    img.save("patrol_unit.png")

    img = Image(64, 64)
    pts = [(32 + 29 * math.cos(a), 32 + 29 * math.sin(a)) for a in
           [math.pi / 8 + n * math.pi / 4 for n in range(8)]]
    polygon(img, pts, (200, 40, 60, 255))
    disc(img, 32, 32, 11, (255, 230, 80, 255))
    disc(img, 32, 32, 5, (80, 20, 10, 255))
    img.save("sentry.png")

    img = Image(64, 64)
    polygon(img, [(6, 24), (36, 24), (36, 10), (60, 32), (36, 54), (36, 40), (6, 40)],
            (255, 230, 80, 255))
    img.save("intent_arrow.png")


def make_game_pieces():
    make_node_states()
    make_key_icon()
    make_links()
    make_firewall()
    make_probe()
    make_patrols()


GAME_ART_LIST = """node_plain.png s 64 1 0
node_credits.png s 64 1 0
node_drained.png s 64 1 0
node_enc1.png s 64 1 0
node_enc2.png s 64 1 0
node_enc3.png s 64 1 0
node_enc4.png s 64 1 0
node_key.png s 64 1 0
node_end.png s 64 1 0
key.png s 64 1 0
link.png s 64 1 0
link_closed.png s 64 1 0
link_spark.png s 16 1 0
firewall.png s 64 1 0
probe.png a 64 4 0.15
patrol_unit.png s 64 1 0
sentry.png s 64 1 0
intent_arrow.png s 64 1 0
"""
# ---- The screens: the game's cursor, menu highlight, panels, HUD buttons and the menu backdrop.

def make_cursor():
    """An arrow pointer with its tip at the top-left corner of a 32 x 32 image (the HUD places
    the sprite so that corner is on the mouse point)."""
    img = Image(32, 32)
    outline = [(1, 1), (1, 25), (7, 19), (12, 29), (16, 27), (11, 18), (19, 18)]
    polygon(img, outline, (20, 30, 40, 255))
    inner = [(3, 5), (3, 21), (7.5, 16.5), (12.5, 26.5), (13.8, 25.8), (9, 16), (15, 16)]
    polygon(img, inner, (230, 250, 255, 255))
    img.save("cursor.png")


def make_ui_bar():
    """The menu highlight: a bar with soft ends and a bright rim; tinted by the menus."""
    w, h = 256, 32
    img = Image(w, h)
    for y in range(h):
        for x in range(w):
            edge = min(x + 0.5, w - x - 0.5) / 24.0
            fade = min(1.0, edge)
            rim = y < 2 or y >= h - 2
            a = (220 if rim else 130) * fade
            img.put(x, y, (255, 255, 255, int(a)))
    img.save("ui_bar.png")


def make_ui_white():
    img = Image(8, 8)
    img.fill_rect(0, 0, 8, 8, (255, 255, 255, 255))
    img.save("ui_white.png")


def make_ui_button():
    """A HUD button frame: a dark rounded panel with a light rim, 96 x 32."""
    w, h, r = 96, 32, 8
    img = Image(w, h)
    for y in range(h):
        for x in range(w):
            dx = max(r - x, 0, x - (w - 1 - r))
            dy = max(r - y, 0, y - (h - 1 - r))
            d = math.hypot(dx, dy)
            if d <= r:
                rim = d > r - 2 or x < 2 or x >= w - 2 or y < 2 or y >= h - 2
                img.put(x, y, (120, 200, 255, 230) if rim else (10, 25, 45, 200))
    img.save("ui_button.png")


def make_backdrop():
    """The menu backdrop: a faint network of nodes and links on dark blue, 512 x 288."""
    w, h = 512, 288
    img = Image(w, h)
    for y in range(h):
        t = y / h
        for x in range(w):
            img.put(x, y, (int(6 + 8 * t), int(12 + 10 * t), int(28 + 16 * t), 255))
    cols, rows = 9, 5
    pts = {}
    for j in range(rows):
        for i in range(cols):
            jitter = ((i * 37 + j * 91) % 17 - 8) * 1.5
            pts[(i, j)] = (32 + i * 56 + jitter, 32 + j * 56 - jitter * 0.5)
    line = (40, 80, 120, 255)
    for (i, j), (x0, y0) in pts.items():
        for (di, dj) in ((1, 0), (0, 1)):
            if (i + di, j + dj) in pts and (i * 5 + j * 3 + di) % 4 != 0:
                x1, y1 = pts[(i + di, j + dj)]
                steps = int(max(abs(x1 - x0), abs(y1 - y0)))
                for s in range(steps + 1):
                    px = x0 + (x1 - x0) * s / steps
                    py = y0 + (y1 - y0) * s / steps
                    img.put(int(px), int(py), line)
    for (x, y) in pts.values():
        for yy in range(int(y) - 6, int(y) + 7):
            for xx in range(int(x) - 6, int(x) + 7):
                d = math.hypot(xx + 0.5 - x, yy + 0.5 - y)
                if d <= 5.5:
                    img.put(xx, yy, (60, 130, 190, 255) if d > 3 else (120, 190, 240, 255))
    img.save("menu_backdrop.png")


def make_screen_art():
    make_cursor()
    make_ui_bar()
    make_ui_white()
    make_ui_button()
    make_backdrop()


SCREEN_ART_LIST = """cursor.png s 32 1 0
ui_bar.png s 256 1 0
ui_white.png s 8 1 0
ui_button.png s 96 1 0
menu_backdrop.png s 512 1 0
"""


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
    make_game_pieces()
    make_spark()
    make_screen_art()
    with open(os.path.join(ART, "sahatmftu.txt"), "w", newline="\n") as f:
        f.write(ART_LIST + GAME_ART_LIST + SCREEN_ART_LIST)


if __name__ == "__main__":
    main()
