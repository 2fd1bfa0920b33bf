#!/usr/bin/env python3
"""Draws the program's icons and writes them as .ico files (32 bits per pixel).

Run from anywhere: python3 res/make-icons.py. The output is checked in; rerun
after changing the artwork. The drawing is plain geometry sampled 4x4 per pixel,
so the result is the same on every machine.
"""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


def inside_box(x, y):
    """The open box: a front face and a lid, in a 1x1 unit square."""
    # Front face of the box.
    if 0.18 <= x <= 0.82 and 0.48 <= y <= 0.90:
        return (176, 112, 58) if y > 0.56 else (140, 86, 40)
    # Back rim seen through the opening.
    if 0.18 <= x <= 0.82 and 0.40 <= y < 0.48:
        return (96, 58, 26)
    return None


def quill(x, y):
    """A quill feather dipping into the box from the upper right."""
    # Distance from the shaft line from (0.30, 0.62) to (0.86, 0.08).
    ax, ay, bx, by = 0.30, 0.62, 0.86, 0.08
    dx, dy = bx - ax, by - ay
    t = ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy)
    if t < 0 or t > 1:
        return None
    px, py = ax + t * dx, ay + t * dy
    dist = ((x - px) ** 2 + (y - py) ** 2) ** 0.5
    width = 0.025 + 0.11 * max(0.0, min(1.0, (t - 0.25) / 0.5)) * (1 - max(0.0, (t - 0.75) / 0.25))
    if dist <= width:
        return (30, 82, 160) if dist > width * 0.35 or t < 0.25 else (235, 242, 250)
    return None


def arrow(x, y):
    """The header icon's mark: a down arrow into the box."""
    if 0.43 <= x <= 0.57 and 0.06 <= y <= 0.36:
        return (30, 110, 200)
    if 0.36 <= y <= 0.56 and abs(x - 0.5) <= (0.56 - y) * 0.9:
        return (30, 110, 200)
    return None


def render(size, layers):
    pixels = []
    samples = 4
    for row in range(size):
        line = []
        for col in range(size):
            acc = [0, 0, 0, 0]
            for sy in range(samples):
                for sx in range(samples):
                    x = (col + (sx + 0.5) / samples) / size
                    y = (row + (sy + 0.5) / samples) / size
                    colour = None
                    for layer in layers:
                        c = layer(x, y)
                        if c is not None:
                            colour = c
                    if colour is not None:
                        acc[0] += colour[0]
                        acc[1] += colour[1]
                        acc[2] += colour[2]
                        acc[3] += 255
            n = samples * samples
            a = acc[3] // n
            if a:
                cover = acc[3] // 255
                line.append((acc[0] // cover, acc[1] // cover, acc[2] // cover, a))
            else:
                line.append((0, 0, 0, 0))
        pixels.append(line)
    return pixels


def dib(pixels):
    size = len(pixels)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    xor = b''.join(bytes((b, g, r, a)) for row in reversed(pixels) for (r, g, b, a) in row)
    mask_row = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(pixels):
        bits = bytearray(mask_row)
        for i, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits[i // 8] |= 0x80 >> (i % 8)
        mask += bits
    return header + xor + bytes(mask)


def write_ico(path, images):
    blobs = [dib(p) for p in images]
    out = struct.pack('<HHH', 0, 1, len(blobs))
    offset = 6 + 16 * len(blobs)
    for pixels, blob in zip(images, blobs):
        size = len(pixels)
        out += struct.pack('<BBBBHHII', size % 256, size % 256, 0, 0, 1, 32, len(blob), offset)
        offset += len(blob)
    with open(path, 'wb') as f:
        f.write(out + b''.join(blobs))


write_ico(os.path.join(HERE, 'install.ico'), [render(32, [inside_box, quill])])
write_ico(os.path.join(HERE, 'header.ico'), [render(32, [inside_box, arrow]), render(16, [inside_box, arrow])])
