#!/usr/bin/env python3
"""Writes resources/koraven.ico, the icon group "MAIN": a small well with falling blocks, drawn
here pixel by pixel. Three images: 32x32 at 4 bits per pixel, 32x32 at 8 bits per pixel and
16x16 at 4 bits per pixel (uncompressed DIBs with an AND mask, as Windows icons are).

    python3 scripts/make_icon.py [OUT]      (default: resources/koraven.ico beside this script)

The output is committed, so the build itself needs no Python.
"""
import os
import struct
import sys

# The 16 colours of the standard VGA palette (index: (r, g, b)).
VGA16 = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]

# The seven block colours of the settings defaults (COLOR1..COLOR7).
BLOCKS = [(0xf7, 0xf7, 0x73), (0x73, 0xe7, 0x73), (0xe7, 0x94, 0xe7), (0x59, 0xd2, 0xf7),
          (0xf7, 0xb5, 0x00), (0x94, 0x94, 0xf7), (0xf7, 0x84, 0x84)]

TRANSPARENT = None


def picture(size):
    """The icon as rows of (r, g, b) or TRANSPARENT, top row first."""
    cell = size // 8  # an 8 x 8 grid of cells
    grid = [[TRANSPARENT] * 8 for _ in range(8)]
    # The well: walls on both sides and a floor.
    for y in range(8):
        grid[y][0] = (128, 128, 128)
        grid[y][7] = (128, 128, 128)
    for x in range(8):
        grid[7][x] = (128, 128, 128)
    # The stack at the bottom and a T piece falling into the gap.
    stack = {(1, 6): 0, (2, 6): 1, (3, 6): 1, (5, 6): 3, (6, 6): 3,
             (1, 5): 4, (2, 5): 6, (6, 5): 5}
    piece = {(2, 1): 2, (3, 1): 2, (4, 1): 2, (3, 2): 2}
    for (x, y), c in list(stack.items()) + list(piece.items()):
        grid[y][x] = BLOCKS[c]
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            gx, gy = px // cell, py // cell
            c = grid[gy][gx]
            if c is not None and cell >= 4:
                # A darker lower-right edge gives each block some depth.
                if px % cell == cell - 1 or py % cell == cell - 1:
                    c = tuple(v * 5 // 8 for v in c)
                elif px % cell == 0 or py % cell == 0:
                    c = tuple(min(255, v + 48) for v in c)
            row.append(c)
        rows.append(row)
    return rows


def nearest(palette, c):
    return min(range(len(palette)),
               key=lambda i: sum((a - b) ** 2 for a, b in zip(palette[i], c)))


def palette256(rows):
    colours = list(VGA16)
    for row in rows:
        for c in row:
            if c is not None and c not in colours and len(colours) < 256:
                colours.append(c)
    while len(colours) < 256:
        colours.append((0, 0, 0))
    return colours


def dib(rows, bpp):
    size = len(rows)
    palette = VGA16 if bpp == 4 else palette256(rows)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, bpp, 0, 0, 0, 0,
                         len(palette), 0)
    pal = b"".join(struct.pack("BBBB", b, g, r, 0) for (r, g, b) in palette)
    xor_stride = ((size * bpp + 31) // 32) * 4
    and_stride = ((size + 31) // 32) * 4
    xor = bytearray()
    mask = bytearray()
    for row in reversed(rows):  # DIBs are stored bottom row first
        indices = [0 if c is None else nearest(palette, c) for c in row]
        line = bytearray()
        if bpp == 4:
            for i in range(0, size, 2):
                line.append((indices[i] << 4) | indices[i + 1])
        else:
            line.extend(indices)
        line.extend(b"\0" * (xor_stride - len(line)))
        xor.extend(line)
        bits = bytearray(and_stride)
        for x, c in enumerate(row):
            if c is None:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask.extend(bits)
    return header + pal + bytes(xor) + bytes(mask), len(palette)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "resources",
                                                              "koraven.ico")
    images = [(32, 4), (32, 8), (16, 4)]
    blobs = []
    for size, bpp in images:
        data, colours = dib(picture(size), bpp)
        blobs.append((size, bpp, colours, data))
    directory = struct.pack("<HHH", 0, 1, len(blobs))
    offset = 6 + 16 * len(blobs)
    entries = b""
    for size, bpp, colours, data in blobs:
        count = colours if colours < 256 else 0
        entries += struct.pack("<BBBBHHII", size, size, count, 0, 1, bpp, len(data), offset)
        offset += len(data)
    with open(out, "wb") as f:
        f.write(directory + entries + b"".join(b[3] for b in blobs))


if __name__ == "__main__":
    main()
