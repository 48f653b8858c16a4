#!/usr/bin/env python3
"""Draws the logo shown in the About dialog: a monitor with a name label in its corner beside
the product name, 157 x 75 pixels, 8 bits per pixel.

Writes two bitmap files of the same pixels; the output is the same on every run. Python 3
standard library only. Run it again after changing the drawing.
- logo.bmp beside this script, the one the program carries: run-length encoded (BI_RLE8), with a
  colour table of only the colours the drawing uses. The drawing is flat, so this holds it in a
  fraction of the uncompressed bytes, and every 32-bit Windows draws it.
- tests/win32/logo_drawing.bmp: the drawing uncompressed, with its whole 256-colour table (the
  first 128 important), against which the Win32 tests compare the decoded logo pixel for pixel."""
import os
import struct

WIDTH, HEIGHT = 157, 75
PIXELS_PER_METRE = 18263  # 464 dots per inch, as the header has always said
IMPORTANT = 128

# Letters of a hand-made 5 x 7 pixel font ('#' = ink). Lower-case letters sit on the same
# base line as capitals; the small font below is 3 x 5, mostly 3 x 5, capitals only.
LARGE = {
    'N': ["#...#", "##..#", "#.#.#", "#.#.#", "#..##", "#...#", "#...#"],
    'o': [".....", ".....", ".###.", "#...#", "#...#", "#...#", ".###."],
    'r': [".....", ".....", "#.##.", "##..#", "#....", "#....", "#...."],
    'v': [".....", ".....", "#...#", "#...#", "#...#", ".#.#.", "..#.."],
    'a': [".....", ".....", ".###.", "....#", ".####", "#...#", ".####"],
    'n': [".....", ".....", "#.##.", "##..#", "#...#", "#...#", "#...#"],
    'e': [".....", ".....", ".###.", "#...#", "#####", "#....", ".###."],
}
SMALL = {
    'A': [".#.", "#.#", "###", "#.#", "#.#"], 'C': [".##", "#..", "#..", "#..", ".##"],
    'E': ["###", "#..", "##.", "#..", "###"], 'I': ["###", ".#.", ".#.", ".#.", "###"],
    'K': ["#.#", "#.#", "##.", "#.#", "#.#"], 'L': ["#..", "#..", "#..", "#..", "###"],
    'M': ["#.#", "###", "###", "#.#", "#.#"], 'N': ["#.#", "###", "###", "###", "#.#"],
    'O': [".#.", "#.#", "#.#", "#.#", ".#."], 'P': ["##.", "#.#", "##.", "#..", "#.."],
    'R': ["##.", "#.#", "##.", "#.#", "#.#"], 'S': [".##", "#..", ".#.", "..#", "##."],
    'T': ["###", ".#.", ".#.", ".#.", ".#."], 'U': ["#.#", "#.#", "#.#", "#.#", "###"],
    'W': ["#...#", "#...#", "#.#.#", "#.#.#", ".#.#."], 'Y': ["#.#", "#.#", ".#.", ".#.", ".#."],
    'H': ["#.#", "#.#", "###", "#.#", "#.#"], ' ': ["..", "..", "..", "..", ".."],
    '?': ["##.", "..#", ".#.", "...", ".#."],
}


def build_palette():
    """256 (r, g, b) entries. The logo uses only the first 128: a white-to-blue ramp, a grey
    ramp and a few accents. The rest is a neutral ramp that nothing refers to."""
    pal = []
    for i in range(64):  # 0..63: white (0) down to deep navy (63)
        t = i / 63
        pal.append((round(255 - t * (255 - 10)), round(255 - t * (255 - 36)), round(255 - t * (255 - 96))))
    for i in range(32):  # 64..95: black (64) up to light grey (95)
        v = round(i * 230 / 31)
        pal.append((v, v, v))
    for i in range(32):  # 96..127: screen blue, dark (96) to bright (127)
        t = i / 31
        pal.append((round(16 + t * 40), round(60 + t * 110), round(150 + t * 105)))
    for i in range(128):  # 128..255: unused
        v = 255 - i * 2
        pal.append((v, v, v))
    return pal


BLUE = lambda t: round(t * 63)      # 0 <= t <= 1 along the white-to-navy ramp
GREY = lambda t: 64 + round(t * 31)  # 0 black .. 1 light grey
SCREEN = lambda t: 96 + round(t * 31)
WHITE = 0


class Canvas:
    def __init__(self):
        self.px = [[WHITE] * WIDTH for _ in range(HEIGHT)]

    def rect(self, x0, y0, x1, y1, colour):
        for y in range(max(y0, 0), min(y1, HEIGHT - 1) + 1):
            for x in range(max(x0, 0), min(x1, WIDTH - 1) + 1):
                self.px[y][x] = colour(x, y) if callable(colour) else colour

    def rounded(self, x0, y0, x1, y1, colour):
        """A rectangle with its four corner pixels cut off."""
        self.rect(x0 + 1, y0, x1 - 1, y1, colour)
        self.rect(x0, y0 + 1, x1, y1 - 1, colour)

    def text(self, font, x, y, word, colour, scale=1, spacing=1):
        for ch in word:
            rows = font[ch]
            for r, line in enumerate(rows):
                for c, cell in enumerate(line):
                    if cell == '#':
                        self.rect(x + c * scale, y + r * scale, x + c * scale + scale - 1,
                                  y + r * scale + scale - 1, colour)
            x += (len(rows[0]) + spacing) * scale
        return x

    @staticmethod
    def width(font, word, scale=1, spacing=1):
        return sum((len(font[ch][0]) + spacing) * scale for ch in word) - spacing * scale


def draw():
    cv = Canvas()
    # A pale band behind everything, darkening slightly towards the bottom.
    cv.rect(0, 0, WIDTH - 1, HEIGHT - 1, lambda x, y: BLUE(0.02 + 0.10 * y / (HEIGHT - 1)))

    # The monitor: outline, bezel, screen with a soft gradient, and a name label in the
    # screen's bottom-right corner.
    mx, my = 8, 12
    cv.rounded(mx, my, mx + 45, my + 35, GREY(0.0))
    cv.rounded(mx + 1, my + 1, mx + 44, my + 34, lambda x, y: GREY(0.55 - 0.25 * (y - my) / 34))
    cv.rect(mx + 4, my + 4, mx + 41, my + 30, GREY(0.05))
    cv.rect(mx + 5, my + 5, mx + 40, my + 29, lambda x, y: SCREEN(1.0 - 0.7 * (y - my - 5) / 24))
    cv.rect(mx + 5, my + 5, mx + 40, my + 5, SCREEN(1.0))
    cv.rect(mx + 21, my + 23, mx + 38, my + 27, GREY(1.0))      # the label in the corner
    cv.rect(mx + 23, my + 25, mx + 36, my + 25, GREY(0.2))      # its line of text
    cv.rect(mx + 42, my + 31, mx + 42, my + 31, SCREEN(1.0))    # power light
    cv.rect(mx + 18, my + 36, mx + 27, my + 40, GREY(0.35))     # neck
    cv.rounded(mx + 9, my + 41, mx + 36, my + 44, GREY(0.0))     # foot
    cv.rect(mx + 10, my + 42, mx + 35, my + 42, GREY(0.6))

    # The name, twice the font's size, navy fading to blue downwards, with a light shadow.
    name = "Norvane"
    tx, ty = 62, 18
    cv.text(LARGE, tx + 1, ty + 1, name, BLUE(0.25), scale=2)
    cv.text(LARGE, tx, ty, name, lambda x, y: BLUE(1.0 - 0.25 * (y - ty) / 13), scale=2)

    # A rule and the line under the name.
    cv.rect(tx, ty + 19, tx + Canvas.width(LARGE, name, 2) - 1, ty + 19, BLUE(0.45))
    tag = "WHICH PC IS THIS?"
    cv.text(SMALL, tx + (Canvas.width(LARGE, name, 2) - Canvas.width(SMALL, tag)) // 2, ty + 23, tag,
            GREY(0.3))
    return cv.px


BI_RGB, BI_RLE8 = 0, 1


def bitmap_file(palette, compression, pixels, important):
    table = b''.join(struct.pack('BBBB', b, g, r, 0) for r, g, b in palette)
    offset = 14 + 40 + len(table)
    info = struct.pack('<IiiHHIIiiII', 40, WIDTH, HEIGHT, 1, 8, compression, len(pixels),
                       PIXELS_PER_METRE, PIXELS_PER_METRE, len(palette), important)
    header = struct.pack('<2sIHHI', b'BM', offset + len(pixels), 0, 0, offset)
    return header + info + table + bytes(pixels)


def uncompressed(px, palette):
    stride = (WIDTH + 3) // 4 * 4
    pixels = bytearray()
    for row in reversed(px):  # rows are stored bottom-up
        pixels += bytes(row) + bytes(stride - WIDTH)
    return bitmap_file(palette, BI_RGB, pixels, IMPORTANT)


def encode_row(row):
    """One row as runs: a repeated pixel as (count, index); three or more single pixels in a
    row as one absolute run (0, count, the indices, padded to an even length). Every pixel is
    written, so nothing is left to what a decoder does with skipped pixels."""
    out = bytearray()
    singles = []

    def flush_singles():
        if len(singles) >= 3:
            out.extend((0, len(singles)))
            out.extend(singles)
            if len(singles) % 2:
                out.append(0)
        else:
            for index in singles:
                out.extend((1, index))
        singles.clear()

    x = 0
    while x < len(row):
        run = 1
        while x + run < len(row) and row[x + run] == row[x] and run < 255:
            run += 1
        if run == 1:
            singles.append(row[x])
            if len(singles) == 255:
                flush_singles()
        else:
            flush_singles()
            out.extend((run, row[x]))
        x += run
    flush_singles()
    return out


def run_length(px, palette):
    """Rows bottom-up, each ended by an end of line, the last by the end of the bitmap; the
    colour table holds only the colours used, in the order of the whole table."""
    used = sorted({index for row in px for index in row})
    new_index = {old: new for new, old in enumerate(used)}
    pixels = bytearray()
    rows = [[new_index[index] for index in row] for row in reversed(px)]
    for y, row in enumerate(rows):
        pixels += encode_row(row)
        pixels += bytes((0, 1 if y == len(rows) - 1 else 0))
    return bitmap_file([palette[old] for old in used], BI_RLE8, pixels, len(used))


if __name__ == '__main__':
    px, palette = draw(), build_palette()
    here = os.path.dirname(os.path.abspath(__file__))
    drawing = uncompressed(px, palette)
    assert len(drawing) == 13078, len(drawing)
    for path, data in ((os.path.join(here, 'logo.bmp'), run_length(px, palette)),
                       (os.path.join(here, '..', 'tests', 'win32', 'logo_drawing.bmp'), drawing)):
        with open(path, 'wb') as f:
            f.write(data)
