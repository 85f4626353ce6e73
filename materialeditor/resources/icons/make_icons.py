#!/usr/bin/env python3
"""Draws the module's toolbar icons and its drag cursor.

Each picture is described here in a few strokes and written as a 32-bit
.ico (16 x 16) or .cur (32 x 32), so the resources can be redrawn from
this file alone: python3 make_icons.py
"""
import math
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


class Canvas:
    def __init__(self, size):
        self.size = size
        self.px = [[(0, 0, 0, 0)] * size for _ in range(size)]

    def put(self, x, y, rgba):
        if 0 <= x < self.size and 0 <= y < self.size:
            self.px[y][x] = rgba

    def rect(self, x0, y0, x1, y1, rgba):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.put(x, y, rgba)

    def frame(self, x0, y0, x1, y1, rgba):
        for x in range(x0, x1 + 1):
            self.put(x, y0, rgba)
            self.put(x, y1, rgba)
        for y in range(y0, y1 + 1):
            self.put(x0, y, rgba)
            self.put(x1, y, rgba)

    def sphere(self, cx, cy, r, base):
        # Lit from the upper left: a simple Lambert term plus a highlight.
        lx, ly, lz = -0.5, -0.6, 0.62
        for y in range(self.size):
            for x in range(self.size):
                dx, dy = (x + 0.5 - cx) / r, (y + 0.5 - cy) / r
                d2 = dx * dx + dy * dy
                if d2 > 1.0:
                    continue
                dz = math.sqrt(1.0 - d2)
                lam = max(0.0, dx * lx + dy * ly + dz * lz)
                highlight = max(0.0, lam) ** 12
                shade = 0.25 + 0.75 * lam
                rgb = tuple(min(255, int(c * shade + 255 * highlight * 0.8)) for c in base)
                self.put(x, y, rgb + (255,))

    def line(self, x0, y0, x1, y1, rgba):
        steps = max(abs(x1 - x0), abs(y1 - y0)) + 1
        for i in range(steps + 1):
            t = i / steps
            self.put(round(x0 + (x1 - x0) * t), round(y0 + (y1 - y0) * t), rgba)

    def glyph(self, rows, x0, y0, rgba):
        for j, row in enumerate(rows):
            for i, ch in enumerate(row):
                if ch == '#':
                    self.put(x0 + i, y0 + j, rgba)


def bmp_data(canvas, with_mask=True):
    # DIB of an icon: header with doubled height, XOR pixels bottom-up, AND mask.
    n = canvas.size
    header = struct.pack('<IiiHHIIiiII', 40, n, n * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = b''.join(struct.pack('<BBBB', b, g, r, a) for row in reversed(canvas.px) for (r, g, b, a) in row)
    stride = ((n + 31) // 32) * 4
    mask = b''
    for row in reversed(canvas.px):
        bits = 0
        line = bytearray(stride)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                line[x // 8] |= 0x80 >> (x % 8)
        mask += bytes(line)
    return header + pixels + (mask if with_mask else b'')


def write_icon(path, canvas, cursor_hotspot=None):
    data = bmp_data(canvas)
    kind = 2 if cursor_hotspot else 1
    planes, bits = (cursor_hotspot if cursor_hotspot else (1, 32))
    n = canvas.size
    head = struct.pack('<HHH', 0, kind, 1)
    entry = struct.pack('<BBBBHHII', n % 256, n % 256, 0, 0, planes, bits, len(data), 6 + 16)
    with open(path, 'wb') as f:
        f.write(head + entry + data)


INK = (40, 40, 48, 255)
INK_DARK = (230, 230, 236, 255)
GREEN = (40, 150, 60, 255)
BLUE = (60, 110, 200, 255)

QUESTION = [
    ' #### ',
    '##  ##',
    '    ##',
    '   ## ',
    '  ##  ',
    '  ##  ',
    '      ',
    '  ##  ',
]


def new_material(dark):
    c = Canvas(16)
    c.sphere(7, 8, 6.5, (200, 120, 60))
    plus = (120, 230, 120, 255) if dark else GREEN
    c.rect(11, 1, 12, 6, plus)
    c.rect(9, 3, 14, 4, plus)
    return c


def view_style(dark):
    c = Canvas(16)
    ink = INK_DARK if dark else INK
    for gx in (1, 9):
        for gy in (1, 9):
            c.frame(gx, gy, gx + 5, gy + 5, ink)
            c.rect(gx + 2, gy + 2, gx + 3, gy + 3, BLUE)
    return c


def help_icon(dark):
    c = Canvas(16)
    ring = (90, 150, 230, 255) if dark else BLUE
    for y in range(16):
        for x in range(16):
            d = math.hypot(x + 0.5 - 8, y + 0.5 - 8)
            if d <= 7.5:
                c.put(x, y, ring)
    c.glyph(QUESTION, 5, 4, (255, 255, 255, 255))
    return c


def sample_icon(dark):
    c = Canvas(16)
    ink = INK_DARK if dark else INK
    c.sphere(6, 10, 5.0, (110, 150, 210))
    # A cube behind, drawn as two squares joined at the corners.
    c.frame(8, 1, 13, 6, ink)
    c.frame(10, 3, 15, 8, ink)
    c.line(8, 1, 10, 3, ink)
    c.line(13, 1, 15, 3, ink)
    c.line(13, 6, 15, 8, ink)
    return c


def extended_icon(dark):
    c = Canvas(16)
    ink = INK_DARK if dark else INK
    for i, y in enumerate((2, 6, 10)):
        c.rect(1, y, 3, y + 2, BLUE)
        c.rect(5, y + 1, 10 if i != 2 else 8, y + 1, ink)
    plus = (120, 230, 120, 255) if dark else GREEN
    c.rect(12, 9, 13, 14, plus)
    c.rect(10, 11, 15, 12, plus)
    return c


def drag_cursor():
    # Two curved arrows around a dot: turning the preview.
    c = Canvas(32)
    white, black = (255, 255, 255, 255), (0, 0, 0, 255)
    for a in range(0, 360, 2):
        if 60 < a < 120 or 240 < a < 300:
            continue
        for r, col in ((11.5, white), (10.5, black), (9.5, white)):
            x = 16 + r * math.cos(math.radians(a))
            y = 16 + r * math.sin(math.radians(a))
            c.put(int(x), int(y), col)
    for tip in ((27, 10), (5, 22)):
        tx, ty = tip
        for dy in range(-3, 4):
            for dx in range(-3, 4):
                if abs(dx) + abs(dy) <= 3:
                    c.put(tx + dx, ty + dy, black if abs(dx) + abs(dy) < 3 else white)
    c.rect(14, 14, 17, 17, black)
    return c


ICONS = {
    'new_material.ico': new_material(False),
    'new_material_alt.ico': new_material(True),
    'view_style.ico': view_style(False),
    'view_style_alt.ico': view_style(True),
    'help.ico': help_icon(False),
    'help_alt.ico': help_icon(True),
    'sample.ico': sample_icon(False),
    'sample_alt.ico': sample_icon(True),
    'extended.ico': extended_icon(False),
    'extended_alt.ico': extended_icon(True),
}

if __name__ == '__main__':
    for name, canvas in ICONS.items():
        write_icon(os.path.join(HERE, name), canvas)
    write_icon(os.path.join(HERE, 'orbit.cur'), drag_cursor(), cursor_hotspot=(16, 16))
