#!/usr/bin/env python3
"""Draws the program icon and writes resources/Replaydock.ico.

A strip of film with a play triangle: 16, 32 and 48 px as 32-bit bitmaps, 256 px as PNG,
all drawn from the same shapes with supersampling. Standard library only.
"""
import struct
import sys
import zlib
from pathlib import Path

BODY = (0x26, 0x32, 0x38)    # the film
HOLE = (0xEC, 0xEF, 0xF1)    # its sprocket holes
PLAY = (0xFF, 0xA7, 0x26)    # the play triangle


def in_round_rect(x, y, x0, y0, x1, y1, r):
    if x < x0 or x > x1 or y < y0 or y > y1:
        return False
    cx = min(max(x, x0 + r), x1 - r)
    cy = min(max(y, y0 + r), y1 - r)
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def in_triangle(x, y, a, b, c):
    def side(p, q):
        return (q[0] - p[0]) * (y - p[1]) - (q[1] - p[1]) * (x - p[0])
    d1, d2, d3 = side(a, b), side(b, c), side(c, a)
    return (d1 >= 0 and d2 >= 0 and d3 >= 0) or (d1 <= 0 and d2 <= 0 and d3 <= 0)


HOLES = [(cx, cy) for cy in (0.20, 0.80) for cx in (0.20, 0.40, 0.60, 0.80)]
TRIANGLE = ((0.39, 0.33), (0.39, 0.67), (0.69, 0.50))


def colour_at(x, y):
    """The topmost shape's colour at a point of the unit square, or None (transparent)."""
    if in_triangle(x, y, *TRIANGLE):
        return PLAY
    for cx, cy in HOLES:
        if in_round_rect(x, y, cx - 0.05, cy - 0.045, cx + 0.05, cy + 0.045, 0.02):
            return HOLE
    if in_round_rect(x, y, 0.04, 0.10, 0.96, 0.90, 0.09):
        return BODY
    return None


def render(size, samples):
    """Rows top to bottom of (r, g, b, a), straight alpha."""
    rows = []
    n = samples * samples
    for py in range(size):
        row = []
        for px in range(size):
            r = g = b = a = 0
            for sy in range(samples):
                for sx in range(samples):
                    c = colour_at((px + (sx + 0.5) / samples) / size,
                                  (py + (sy + 0.5) / samples) / size)
                    if c:
                        r += c[0]
                        g += c[1]
                        b += c[2]
                        a += 1
            if a:
                row.append((round(r / a), round(g / a), round(b / a), round(255 * a / n)))
            else:
                row.append((0, 0, 0, 0))
        rows.append(row)
    return rows


def png(rows):
    size = len(rows)
    raw = b"".join(b"\0" + bytes(v for p in row for v in p) for row in rows)

    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data +
                struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))
    return (b"\x89PNG\r\n\x1a\n" +
            chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def dib(rows):
    """BITMAPINFOHEADER, BGRA bottom-up, then the AND mask (set where fully transparent)."""
    size = len(rows)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = b"".join(bytes((p[2], p[1], p[0], p[3])) for row in reversed(rows) for p in row)
    stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        line = bytearray(stride)
        for x, p in enumerate(row):
            if p[3] == 0:
                line[x // 8] |= 0x80 >> (x % 8)
        mask += line
    return header + pixels + bytes(mask)


def main():
    out = Path(sys.argv[1]) if len(sys.argv) > 1 else \
        Path(__file__).resolve().parent.parent / "resources" / "Replaydock.ico"
    images = [(s, dib(render(s, 6))) for s in (16, 32, 48)] + [(256, png(render(256, 3)))]
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    data = b""
    for size, blob in images:
        directory += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(blob),
                                 offset + len(data))
        data += blob
    out.write_bytes(directory + data)
    print(f"{out}: {len(directory) + len(data)} bytes")


if __name__ == "__main__":
    main()
