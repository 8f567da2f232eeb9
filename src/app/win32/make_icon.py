#!/usr/bin/env python3
"""Writes quillmere.ico: a disc (the disk image) in 16, 32 and 48 pixels,
32-bit colour with alpha. Standard library only; run it again after a change
and commit the result:  python3 make_icon.py quillmere.ico"""

import struct
import sys

SIZES = (16, 32, 48)
SAMPLES = 4  # per axis, for smooth edges


def coverage(size, x, y):
    """Colour and alpha of one pixel: a blue disc with a hole and a light ring."""
    r, g, b, a = 0.0, 0.0, 0.0, 0.0
    c = size / 2.0
    for sy in range(SAMPLES):
        for sx in range(SAMPLES):
            px = x + (sx + 0.5) / SAMPLES - c
            py = y + (sy + 0.5) / SAMPLES - c
            d = (px * px + py * py) ** 0.5 / c
            if d > 0.97 or d < 0.20:
                continue
            if d < 0.30:
                col = (0.85, 0.88, 0.92)  # hub
            elif 0.58 < d < 0.68:
                col = (0.55, 0.75, 0.95)  # light ring
            else:
                col = (0.13, 0.33, 0.62)  # disc
            r, g, b, a = r + col[0], g + col[1], b + col[2], a + 1
    n = SAMPLES * SAMPLES
    if a == 0:
        return 0, 0, 0, 0
    return int(255 * r / a), int(255 * g / a), int(255 * b / a), int(255 * a / n)


def image(size):
    rows = []
    for y in reversed(range(size)):  # bottom-up
        row = b""
        for x in range(size):
            red, green, blue, alpha = coverage(size, x, y)
            row += struct.pack("BBBB", blue, green, red, alpha)
        rows.append(row)
    pixels = b"".join(rows)
    mask_row = ((size + 31) // 32) * 4
    mask = b"\0" * (mask_row * size)  # alpha decides; the AND mask is all opaque
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(pixels) + len(mask), 0, 0, 0, 0)
    return header + pixels + mask


def main(path):
    images = [image(s) for s in SIZES]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in zip(SIZES, images):
        out += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    out += b"".join(images)
    with open(path, "wb") as f:
        f.write(out)


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "quillmere.ico")
