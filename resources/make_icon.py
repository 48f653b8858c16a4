#!/usr/bin/env python3
"""Draws the program icon (32 x 32, 16 colours): a monitor with an N on its screen.
Writes norvane.ico beside this script. Run it again after changing the drawing."""
import os
import struct

PALETTE = [  # the standard 16-colour palette, (r, g, b)
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128),
    (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255),
    (255, 0, 255), (0, 255, 255), (255, 255, 255)]
BLACK, NAVY, GREY, DARK, BLUE, CYAN, WHITE = 0, 4, 7, 8, 12, 14, 15

def draw():
    px = [[None] * 32 for _ in range(32)]  # None = transparent
    def rect(x0, y0, x1, y1, c):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                px[y][x] = c
    rect(1, 2, 30, 23, BLACK)      # bezel outline
    rect(2, 3, 29, 22, DARK)       # bezel
    rect(4, 5, 27, 20, NAVY)       # screen
    rect(5, 6, 26, 19, BLUE)
    for i in range(10):            # the N
        rect(10, 8 + i, 11, 8 + i, WHITE)
        rect(20, 8 + i, 21, 8 + i, WHITE)
        x = 11 + i
        rect(x, 8 + i, x, 8 + i, WHITE)
    rect(4, 5, 27, 5, CYAN)        # light on the top edge of the screen
    rect(13, 24, 18, 26, DARK)     # neck
    rect(8, 27, 23, 29, BLACK)     # foot
    rect(9, 27, 22, 28, GREY)
    return px

def icon_bytes(px):
    xor = bytearray()
    mask = bytearray()
    for row in reversed(px):       # bottom-up rows
        for x in range(0, 32, 2):
            a = row[x] if row[x] is not None else 0
            b = row[x + 1] if row[x + 1] is not None else 0
            xor.append((a << 4) | b)
        bits = 0
        for x in range(32):
            bits = (bits << 1) | (1 if row[x] is None else 0)
        mask += struct.pack('>I', bits)
    header = struct.pack('<IiiHHIIiiII', 40, 32, 64, 1, 4, 0, len(xor) + len(mask), 0, 0, 16, 0)
    palette = b''.join(struct.pack('BBBB', b, g, r, 0) for r, g, b in PALETTE)
    image = header + palette + bytes(xor) + bytes(mask)
    directory = struct.pack('<HHH', 0, 1, 1) + struct.pack('<BBBBHHII', 32, 32, 16, 0, 1, 4, len(image), 22)
    return directory + image

if __name__ == '__main__':
    out = os.path.join(os.path.dirname(os.path.abspath(__file__)), 'norvane.ico')
    with open(out, 'wb') as f:
        f.write(icon_bytes(draw()))
