#!/usr/bin/env python3
"""Draws Kestrune's bitmaps and icon into res/ (standard library only).

Usage: draw-resources.py [OUTPUT_DIR]   (default: the res/ folder beside scripts/)

Every picture is drawn here from shapes and a small built-in pixel font, so
the output is the same on every run; the files are committed and this script
only needs running again when a picture changes.
"""
import os
import struct
import sys

# 5x7 pixel font: each glyph is seven rows of five bits, most significant bit left.
FONT = {
    'A': [0x0E, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11],
    'B': [0x1E, 0x11, 0x11, 0x1E, 0x11, 0x11, 0x1E],
    'C': [0x0E, 0x11, 0x10, 0x10, 0x10, 0x11, 0x0E],
    'D': [0x1E, 0x11, 0x11, 0x11, 0x11, 0x11, 0x1E],
    'E': [0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x1F],
    'F': [0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x10],
    'G': [0x0E, 0x11, 0x10, 0x17, 0x11, 0x11, 0x0F],
    'H': [0x11, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11],
    'I': [0x0E, 0x04, 0x04, 0x04, 0x04, 0x04, 0x0E],
    'J': [0x07, 0x02, 0x02, 0x02, 0x02, 0x12, 0x0C],
    'K': [0x11, 0x12, 0x14, 0x18, 0x14, 0x12, 0x11],
    'L': [0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x1F],
    'M': [0x11, 0x1B, 0x15, 0x15, 0x11, 0x11, 0x11],
    'N': [0x11, 0x11, 0x19, 0x15, 0x13, 0x11, 0x11],
    'O': [0x0E, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E],
    'P': [0x1E, 0x11, 0x11, 0x1E, 0x10, 0x10, 0x10],
    'Q': [0x0E, 0x11, 0x11, 0x11, 0x15, 0x12, 0x0D],
    'R': [0x1E, 0x11, 0x11, 0x1E, 0x14, 0x12, 0x11],
    'S': [0x0F, 0x10, 0x10, 0x0E, 0x01, 0x01, 0x1E],
    'T': [0x1F, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04],
    'U': [0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E],
    'V': [0x11, 0x11, 0x11, 0x11, 0x11, 0x0A, 0x04],
    'W': [0x11, 0x11, 0x11, 0x15, 0x15, 0x15, 0x0A],
    'X': [0x11, 0x11, 0x0A, 0x04, 0x0A, 0x11, 0x11],
    'Y': [0x11, 0x11, 0x0A, 0x04, 0x04, 0x04, 0x04],
    'Z': [0x1F, 0x01, 0x02, 0x04, 0x08, 0x10, 0x1F],
    '0': [0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E],
    '1': [0x04, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x0E],
    '2': [0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F],
    '.': [0x00, 0x00, 0x00, 0x00, 0x00, 0x0C, 0x0C],
    '/': [0x01, 0x01, 0x02, 0x04, 0x08, 0x10, 0x10],
    '?': [0x0E, 0x11, 0x01, 0x02, 0x04, 0x00, 0x04],
    'i': [0x04, 0x00, 0x0C, 0x04, 0x04, 0x04, 0x0E],
    '-': [0x00, 0x00, 0x00, 0x1F, 0x00, 0x00, 0x00],
    '&': [0x0C, 0x12, 0x14, 0x08, 0x15, 0x12, 0x0D],
    ' ': [0x00] * 7,
}

NAVY = (22, 46, 84)
BLUE = (33, 84, 145)
SKY = (74, 144, 210)
TEAL = (28, 150, 136)
GREEN = (46, 160, 67)
AMBER = (240, 160, 40)
RED = (200, 48, 48)
WHITE = (255, 255, 255)
LIGHT = (227, 227, 227)
GREY = (128, 128, 128)
DARK = (40, 40, 40)
MAGENTA = (255, 0, 255)


def mix(a, b, t):
    return tuple(int(round(a[i] + (b[i] - a[i]) * t)) for i in range(3))


class Canvas:
    def __init__(self, width, height, colour=WHITE):
        self.width = width
        self.height = height
        self.rows = [[colour] * width for _ in range(height)]
        self.mask = [[False] * width for _ in range(height)]   # icon transparency

    def put(self, x, y, colour):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.rows[y][x] = colour

    def fill(self, x0, y0, x1, y1, colour):
        for y in range(max(0, y0), min(self.height, y1)):
            for x in range(max(0, x0), min(self.width, x1)):
                self.rows[y][x] = colour

    def vertical_gradient(self, x0, y0, x1, y1, top, bottom):
        span = max(1, y1 - y0 - 1)
        for y in range(y0, y1):
            self.fill(x0, y, x1, y + 1, mix(top, bottom, (y - y0) / span))

    def horizontal_gradient(self, x0, y0, x1, y1, left, right):
        span = max(1, x1 - x0 - 1)
        for x in range(x0, x1):
            self.fill(x, y0, x + 1, y1, mix(left, right, (x - x0) / span))

    def frame(self, x0, y0, x1, y1, colour):
        self.fill(x0, y0, x1, y0 + 1, colour)
        self.fill(x0, y1 - 1, x1, y1, colour)
        self.fill(x0, y0, x0 + 1, y1, colour)
        self.fill(x1 - 1, y0, x1, y1, colour)

    def text_width(self, text, bold=True, scale=1):
        return (len(text) * (6 + (1 if bold else 0)) - 1) * scale

    def text(self, x, y, text, colour, bold=True, scale=1):
        advance = (6 + (1 if bold else 0)) * scale
        for ch in text:
            glyph = FONT[ch]
            for row, bits in enumerate(glyph):
                for col in range(5):
                    if bits & (0x10 >> col):
                        for dx in range(2 if bold else 1):
                            self.fill(x + (col + dx) * scale, y + row * scale,
                                      x + (col + dx + 1) * scale, y + (row + 1) * scale, colour)
            x += advance

    def centred_text(self, text, colour, bold=True, scale=1, dy=0):
        w = self.text_width(text, bold, scale)
        self.text((self.width - w) // 2, (self.height - 7 * scale) // 2 + dy, text, colour, bold, scale)

    def shield(self, cx, top, width, height, colour, edge=None):
        """A shield: straight top half, sides curving into a point at the bottom."""
        half = width / 2.0
        for y in range(height):
            t = y / max(1, height - 1)
            w = half if t < 0.45 else half * (1 - ((t - 0.45) / 0.55) ** 1.6)
            x0 = int(round(cx - w))
            x1 = int(round(cx + w))
            inside = edge if edge and (y == 0 or y == height - 1) else colour
            self.fill(x0, top + y, x1, top + y + 1, inside)
            if edge:
                self.put(x0, top + y, edge)
                self.put(x1 - 1, top + y, edge)
            for x in range(x0, x1):
                if 0 <= x < self.width and 0 <= top + y < self.height:
                    self.mask[top + y][x] = True

    def tick(self, x, y, size, colour, thickness=2):
        """A check mark whose bounding box starts at x, y."""
        short = size // 3
        for i in range(short + 1):
            for t in range(thickness):
                self.put(x + i, y + size - short + i - 1 + t - thickness + 1, colour)
        for i in range(size - short):
            for t in range(thickness):
                self.put(x + short + i, y + size - 1 - i + t - thickness + 1, colour)

    def save_bmp(self, path):
        stride = (self.width * 3 + 3) & ~3
        pixels = bytearray()
        for row in reversed(self.rows):
            line = bytearray()
            for r, g, b in row:
                line += bytes((b, g, r))
            line += b'\0' * (stride - len(line))
            pixels += line
        header = struct.pack('<2sIHHI', b'BM', 14 + 40 + len(pixels), 0, 0, 54)
        info = struct.pack('<IiiHHIIiiII', 40, self.width, self.height, 1, 24, 0,
                           len(pixels), 2835, 2835, 0, 0)
        with open(path, 'wb') as f:
            f.write(header + info + pixels)

    def icon_image(self):
        """One icon image: 32-bit colours with alpha, then the AND mask."""
        xor = bytearray()
        for y in reversed(range(self.height)):
            for x in range(self.width):
                r, g, b = self.rows[y][x]
                xor += bytes((b, g, r, 255 if self.mask[y][x] else 0))
        mask_stride = ((self.width + 31) // 32) * 4
        and_mask = bytearray()
        for y in reversed(range(self.height)):
            line = bytearray(mask_stride)
            for x in range(self.width):
                if not self.mask[y][x]:
                    line[x // 8] |= 0x80 >> (x % 8)
            and_mask += line
        info = struct.pack('<IiiHHIIiiII', 40, self.width, self.height * 2, 1, 32, 0,
                           len(xor) + len(and_mask), 0, 0, 0, 0)
        return info + xor + and_mask


def save_ico(path, canvases):
    images = [c.icon_image() for c in canvases]
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for canvas, image in zip(canvases, images):
        out += struct.pack('<BBBBHHII', canvas.width % 256, canvas.height % 256, 0, 0, 1, 32,
                           len(image), offset)
        offset += len(image)
    with open(path, 'wb') as f:
        f.write(out + b''.join(images))


def logo(canvas, cx, top, size):
    """Kestrune's mark: a blue shield with a white check."""
    canvas.shield(cx, top, size, size, BLUE, NAVY)
    inner = max(4, size * 5 // 8)
    canvas.tick(cx - inner // 2, top + size // 5, inner, WHITE, max(1, size // 10))


def button(text, hot):
    """An image button face, 140 x 18 pixels: the normal face is blue, the
    highlighted one (mouse over or pressed) amber with dark text."""
    c = Canvas(140, 18)
    if hot:
        c.vertical_gradient(0, 0, 140, 18, (255, 206, 110), AMBER)
        c.frame(0, 0, 140, 18, (170, 100, 10))
        ink = DARK
    else:
        c.vertical_gradient(0, 0, 140, 18, SKY, BLUE)
        c.frame(0, 0, 140, 18, NAVY)
        ink = WHITE
    c.fill(1, 1, 139, 2, mix(WHITE, SKY if not hot else AMBER, 0.4))
    c.centred_text(text, ink)
    return c


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(root, 'res')
    bitmaps = os.path.join(out, 'bitmaps')
    os.makedirs(bitmaps, exist_ok=True)

    def save(canvas, name):
        canvas.save_bmp(os.path.join(bitmaps, name))

    # Image buttons of the main window: (normal id, highlighted id, text).
    for normal, hot, text in [(193, 194, 'SCAN MY PC'), (198, 197, 'SCAN FILES/FOLDERS'),
                              (200, 199, 'STOP SCAN'), (202, 201, 'UPDATE PROTECTION'),
                              (196, 195, 'DELETE PARASITES')]:
        save(button(text, False), '%d.bmp' % normal)
        save(button(text, True), '%d.bmp' % hot)

    # 180: the band across the top of the main window.
    band = Canvas(1024, 17)
    band.horizontal_gradient(0, 0, 1024, 17, NAVY, TEAL)
    band.shield(10, 2, 12, 13, WHITE)
    band.tick(6, 5, 8, BLUE, 1)
    band.text(22, 5, 'KESTRUNE', WHITE)
    band.text(22 + band.text_width('KESTRUNE') + 10, 5, 'ADWARE & SPYWARE REMOVAL',
              mix(WHITE, TEAL, 0.25), bold=False)
    save(band, '180.bmp')

    # 189: the picture down the left side of Preferences (fits 70 x 190 dialog units).
    side = Canvas(96, 300)
    side.vertical_gradient(0, 0, 96, 300, NAVY, TEAL)
    logo(side, 48, 24, 48)
    side.text((96 - side.text_width('KESTRUNE')) // 2, 90, 'KESTRUNE', WHITE)
    for i, word in enumerate(['SETTINGS', 'PATHS', 'STARTUP']):
        side.text((96 - side.text_width(word, False)) // 2, 130 + i * 16, word,
                  mix(WHITE, SKY, 0.4), bold=False)
    save(side, '189.bmp')

    # 144: pick a folder; 145: pick a file. Small button faces of 24 x 18.
    folder = Canvas(24, 18, LIGHT)
    folder.frame(0, 0, 24, 18, GREY)
    folder.fill(4, 5, 11, 7, AMBER)
    folder.fill(4, 7, 20, 14, AMBER)
    folder.frame(4, 7, 20, 14, (170, 100, 10))
    save(folder, '144.bmp')
    browse = Canvas(24, 18, LIGHT)
    browse.frame(0, 0, 24, 18, GREY)
    browse.fill(7, 3, 17, 15, WHITE)
    browse.frame(7, 3, 17, 15, BLUE)
    for y in (6, 9, 12):
        browse.fill(9, y, 15, y + 1, SKY)
    save(browse, '145.bmp')

    # 152 ("About") and 153 ("Help..."): menu check-mark pictures, 13 x 13.
    about = Canvas(13, 13)
    about.text(4, 3, 'i', BLUE, bold=False)
    about.frame(1, 1, 12, 12, BLUE)
    save(about, '152.bmp')
    help_mark = Canvas(13, 13)
    help_mark.text(4, 3, '?', TEAL, bold=False)
    help_mark.frame(1, 1, 12, 12, TEAL)
    save(help_mark, '153.bmp')

    # 155: header images, 16 pixels each on magenta (transparent):
    # 0 nothing, 1 an empty box (not every row checked), 2 a checked box.
    header = Canvas(48, 16, MAGENTA)
    for index in (1, 2):
        x = index * 16
        header.fill(x + 2, 2, x + 14, 14, WHITE)
        header.frame(x + 2, 2, x + 14, 14, GREY)
    header.tick(32 + 4, 4, 8, GREEN, 2)
    save(header, '155.bmp')

    # 128: the program icon, 32 x 32 and 16 x 16.
    big = Canvas(32, 32)
    logo(big, 16, 1, 30)
    small = Canvas(16, 16)
    logo(small, 8, 0, 16)
    save_ico(os.path.join(out, 'kestrune.ico'), [big, small])


if __name__ == '__main__':
    main()
