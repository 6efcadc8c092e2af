#!/usr/bin/env python3
"""Draws the start-up picture: src/app/splash.bmp.

A 490 x 290 device-independent bitmap, 8 bits per pixel, uncompressed, rows
bottom-up, a 40-byte header and a 256-entry colour table. Only the standard
library is used, so the picture can be made again anywhere:

    python3 scripts/make-splash.py src/app/splash.bmp
"""
import struct
import sys

W, H = 490, 290

# 5 x 7 letters for the title.
FONT = {
    "A": ["01110", "10001", "10001", "11111", "10001", "10001", "10001"],
    "C": ["01110", "10001", "10000", "10000", "10000", "10001", "01110"],
    "D": ["11110", "10001", "10001", "10001", "10001", "10001", "11110"],
    "E": ["11111", "10000", "10000", "11110", "10000", "10000", "11111"],
    "F": ["11111", "10000", "10000", "11110", "10000", "10000", "10000"],
    "I": ["01110", "00100", "00100", "00100", "00100", "00100", "01110"],
    "K": ["10001", "10010", "10100", "11000", "10100", "10010", "10001"],
    "L": ["10000", "10000", "10000", "10000", "10000", "10000", "11111"],
    "M": ["10001", "11011", "10101", "10101", "10001", "10001", "10001"],
    "N": ["10001", "11001", "10101", "10011", "10001", "10001", "10001"],
    "O": ["01110", "10001", "10001", "10001", "10001", "10001", "01110"],
    "P": ["11110", "10001", "10001", "11110", "10000", "10000", "10000"],
    "R": ["11110", "10001", "10001", "11110", "10100", "10010", "10001"],
    "S": ["01111", "10000", "10000", "01110", "00001", "00001", "11110"],
    "T": ["11111", "00100", "00100", "00100", "00100", "00100", "00100"],
    "U": ["10001", "10001", "10001", "10001", "10001", "10001", "01110"],
    "W": ["10001", "10001", "10001", "10101", "10101", "10101", "01010"],
    "0": ["01110", "10011", "10101", "10101", "10101", "11001", "01110"],
    "1": ["00100", "01100", "00100", "00100", "00100", "00100", "01110"],
    "2": ["01110", "10001", "00001", "00010", "00100", "01000", "11111"],
    "G": ["01110", "10001", "10000", "10111", "10001", "10001", "01111"],
    " ": ["00000"] * 7,
}

# Palette: 0-127 the background gradient, 128-143 greys, then accents.
palette = []
for i in range(128):
    t = i / 127
    palette.append((int(16 + 20 * t), int(40 + 90 * t), int(96 + 80 * t)))  # r, g, b
for i in range(16):
    v = 40 + i * 13
    palette.append((v, v, v))
BODY, SCREEN, SCREEN_TEXT, TITLE, SHADOW, KEY, ACCENT = range(144, 151)
palette += [
    (60, 64, 72),     # body of the pocket computer
    (150, 170, 120),  # its liquid-crystal screen
    (40, 52, 36),     # text on the screen
    (250, 250, 240),  # title
    (10, 24, 60),     # title shadow
    (200, 200, 205),  # keys
    (240, 180, 60),   # accent line
]
palette += [(0, 0, 0)] * (256 - len(palette))

pixels = [[0] * W for _ in range(H)]  # top-down here, written bottom-up

for y in range(H):
    row = min(127, y * 128 // H)
    for x in range(W):
        pixels[y][x] = row


def rect(x0, y0, x1, y1, colour):
    for y in range(max(0, y0), min(H, y1)):
        for x in range(max(0, x0), min(W, x1)):
            pixels[y][x] = colour


def text(s, x, y, scale, colour):
    for ch in s:
        glyph = FONT[ch]
        for gy, bits in enumerate(glyph):
            for gx, bit in enumerate(bits):
                if bit == "1":
                    rect(x + gx * scale, y + gy * scale, x + (gx + 1) * scale, y + (gy + 1) * scale,
                         colour)
        x += 6 * scale


def width(s, scale):
    return len(s) * 6 * scale - scale


# The pocket computer.
rect(300, 60, 460, 240, BODY)
rect(312, 74, 448, 128, SCREEN)
text("10 PRINT", 318, 82, 2, SCREEN_TEXT)
text("20 GOTO 10", 318, 102, 2, SCREEN_TEXT)
for row in range(4):
    for col in range(5):
        x = 316 + col * 26
        y = 142 + row * 24
        rect(x, y, x + 20, y + 16, KEY)

# The title and an accent line.
title = "TESSEL"
text(title, 34 + 4, 84 + 4, 8, SHADOW)
text(title, 34, 84, 8, TITLE)
text("SOFTWARE", 36, 160, 4, TITLE)
rect(34, 200, 34 + width("SOFTWARE", 4), 204, ACCENT)
text("POCKET COMPUTER", 36, 220, 2, TITLE)

out = bytearray()
row_size = (W + 3) & ~3
image_size = row_size * H
offset = 14 + 40 + 256 * 4
out += b"BM" + struct.pack("<IHHI", offset + image_size, 0, 0, offset)
out += struct.pack("<IiiHHIIiiII", 40, W, H, 1, 8, 0, image_size, 3780, 3780, 256, 0)
for r, g, b in palette:
    out += bytes((b, g, r, 0))
for y in range(H - 1, -1, -1):
    out += bytes(pixels[y]) + b"\0" * (row_size - W)

with open(sys.argv[1] if len(sys.argv) > 1 else "src/app/splash.bmp", "wb") as f:
    f.write(out)
