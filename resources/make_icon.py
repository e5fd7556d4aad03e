#!/usr/bin/env python3
"""Draws the program icon and writes resources/morvessa.ico.

The picture: a sheet of page code (coloured code lines on a page with a folded
corner) under a magnifying glass. Each of the three sizes (48, 32, 16 pixels)
has its own layout in whole pixels, so edges land on pixel boundaries and the
16-pixel image stays crisp instead of being a blurred copy of the large one.

The images are 32-bit BGRA DIBs with an AND mask (classic icon entries, not
PNG), which every Windows version and windres accept. Standard library only.

    python3 resources/make_icon.py [--preview out.png]
"""

import math
import os
import struct
import sys
import zlib

SUPERSAMPLES = 8  # per axis: 64 samples per pixel for the anti-aliasing


class Canvas:
    """Premultiplied RGBA in floats; shapes are composited with "over"."""

    def __init__(self, size):
        self.size = size
        self.pixels = [[0.0, 0.0, 0.0, 0.0] for _ in range(size * size)]

    def fill(self, inside, colour, bounds=None):
        """Paints every pixel by the share of its samples for which inside(x, y)
        holds. colour is (r, g, b, a) in 0..1 or a function of (x, y) giving it."""
        size = self.size
        x0, y0, x1, y1 = bounds or (0, 0, size, size)
        x0, y0 = max(0, int(math.floor(x0))), max(0, int(math.floor(y0)))
        x1, y1 = min(size, int(math.ceil(x1))), min(size, int(math.ceil(y1)))
        step = 1.0 / SUPERSAMPLES
        offsets = [(i + 0.5) * step for i in range(SUPERSAMPLES)]
        for py in range(y0, y1):
            for px in range(x0, x1):
                hits = 0
                for oy in offsets:
                    for ox in offsets:
                        if inside(px + ox, py + oy):
                            hits += 1
                if not hits:
                    continue
                coverage = hits / (SUPERSAMPLES * SUPERSAMPLES)
                r, g, b, a = colour(px + 0.5, py + 0.5) if callable(colour) else colour
                a *= coverage
                dst = self.pixels[py * size + px]
                keep = 1.0 - a
                dst[0] = r * a + dst[0] * keep
                dst[1] = g * a + dst[1] * keep
                dst[2] = b * a + dst[2] * keep
                dst[3] = a + dst[3] * keep

    def rgba_bytes(self):
        """Straight (not premultiplied) RGBA rows, top row first."""
        out = bytearray()
        for r, g, b, a in self.pixels:
            if a <= 0.0:
                out += b"\0\0\0\0"
                continue
            out += bytes(min(255, int(round(c / a * 255))) for c in (r, g, b))
            out.append(min(255, int(round(a * 255))))
        return bytes(out)


def hex_colour(text, alpha=1.0):
    text = text.lstrip("#")
    return tuple(int(text[i:i + 2], 16) / 255 for i in (0, 2, 4)) + (alpha,)


def vertical_gradient(top_y, bottom_y, top, bottom):
    def colour(_x, y):
        t = min(1.0, max(0.0, (y - top_y) / max(1e-6, bottom_y - top_y)))
        return tuple(a + (b - a) * t for a, b in zip(top, bottom))
    return colour


# --- shapes: each a test "is (x, y) inside" -------------------------------

def polygon(points):
    def inside(x, y):
        result = False
        j = len(points) - 1
        for i, (xi, yi) in enumerate(points):
            xj, yj = points[j]
            if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                result = not result
            j = i
        return result
    return inside


def inset_convex(points, distance):
    """The convex polygon (clockwise on screen) moved inwards by distance."""
    lines = []
    count = len(points)
    for i in range(count):
        (ax, ay), (bx, by) = points[i], points[(i + 1) % count]
        length = math.hypot(bx - ax, by - ay)
        nx, ny = -(by - ay) / length, (bx - ax) / length  # inward for clockwise
        lines.append(((ax + nx * distance, ay + ny * distance), (bx - ax, by - ay)))
    result = []
    for i in range(count):
        (p, d), (q, e) = lines[i - 1], lines[i]
        cross = d[0] * e[1] - d[1] * e[0]
        t = ((q[0] - p[0]) * e[1] - (q[1] - p[1]) * e[0]) / cross
        result.append((p[0] + d[0] * t, p[1] + d[1] * t))
    return result


def circle(cx, cy, radius):
    r2 = radius * radius
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r2


def ring(cx, cy, outer, inner):
    o2, i2 = outer * outer, inner * inner
    return lambda x, y: i2 <= (x - cx) ** 2 + (y - cy) ** 2 <= o2


def capsule(ax, ay, bx, by, radius):
    """A thick line with round ends."""
    dx, dy = bx - ax, by - ay
    length2 = dx * dx + dy * dy or 1e-9
    r2 = radius * radius

    def inside(x, y):
        t = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / length2))
        px, py = ax + dx * t - x, ay + dy * t - y
        return px * px + py * py <= r2
    return inside


def both(first, second):
    return lambda x, y: first(x, y) and second(x, y)


def outside(shape):
    return lambda x, y: not shape(x, y)


# --- the picture -----------------------------------------------------------

INK = hex_colour("#4A5668")          # page outline
PAPER_TOP = hex_colour("#FFFFFF")
PAPER_BOTTOM = hex_colour("#E9EEF5")
FOLD = hex_colour("#C9D3E0")
LENS_RIM = hex_colour("#1E5BB8")
LENS_RIM_DARK = hex_colour("#123E85")
GLASS = hex_colour("#C8E4FF", 0.62)
SHINE = hex_colour("#FFFFFF", 0.95)
HANDLE = hex_colour("#39404D")
HANDLE_LIGHT = hex_colour("#6B7585")
SHADOW = hex_colour("#000000", 0.18)

CODE_COLOURS = {
    "tag": hex_colour("#2F6FD6"),
    "attr": hex_colour("#E07B28"),
    "text": hex_colour("#8793A3"),
    "script": hex_colour("#2E9E58"),
    "style": hex_colour("#A052C0"),
}

# Per size, in pixels: page box, folded corner, outline width, code lines as
# (y, x from, x to, kind), lens centre and radii, handle ends and thickness.
LAYOUTS = {
    48: dict(page=(6, 2, 36, 45), fold=10, outline=2.0,
             line_half=1.5,
             lines=[(15.5, 11, 19, "tag"), (15.5, 21, 26, "attr"),
                    (20.5, 14, 29, "text"),
                    (25.5, 14, 21, "style"), (25.5, 23, 31, "attr"),
                    (30.5, 11, 20, "tag"),
                    (35.5, 14, 24, "script"),
                    (40.5, 11, 17, "tag")],
             lens=(31.0, 30.0, 10.5, 7.5), handle=((38.6, 37.6), (44.5, 43.5), 3.0)),
    32: dict(page=(4, 1, 24, 30), fold=7, outline=1.0,
             line_half=1.0,
             lines=[(10, 7, 12, "tag"), (10, 14, 17, "attr"),
                    (14, 9, 19, "text"),
                    (18, 9, 14, "style"), (18, 16, 20, "attr"),
                    (22, 7, 13, "script"),
                    (26, 7, 11, "tag")],
             lens=(21.0, 20.0, 7.0, 5.0), handle=((26.0, 25.0), (29.8, 28.8), 2.1)),
    16: dict(page=(1, 0, 12, 16), fold=4, outline=1.0,
             line_half=0.5,
             lines=[(5.5, 3, 7, "tag"), (7.5, 4, 9, "attr"),
                    (9.5, 3, 6, "script"), (11.5, 4, 7, "text"),
                    (13.5, 3, 6, "tag")],
             lens=(10.5, 10.0, 4.5, 3.0), handle=((13.3, 12.8), (15.2, 14.7), 1.4)),
}


def draw(size):
    layout = LAYOUTS[size]
    canvas = Canvas(size)
    left, top, right, bottom = layout["page"]
    fold = layout["fold"]
    page = [(left, top), (right - fold, top), (right, top + fold),
            (right, bottom), (left, bottom)]

    # The page: outline, then paper inside it, then the folded corner.
    canvas.fill(polygon(page), INK, (left, top, right, bottom))
    paper = inset_convex(page, layout["outline"])
    canvas.fill(polygon(paper),
                vertical_gradient(top, bottom, PAPER_TOP, PAPER_BOTTOM),
                (left, top, right, bottom))
    corner = [(right - fold, top), (right, top + fold), (right - fold, top + fold)]
    canvas.fill(polygon(corner), INK, (right - fold, top, right, top + fold))
    canvas.fill(polygon(inset_convex(corner, layout["outline"])), FOLD,
                (right - fold, top, right, top + fold))

    half = layout["line_half"]
    for y, x_from, x_to, kind in layout["lines"]:
        if size == 16:
            # One pixel tall with square ends: round caps would blur to grey.
            shape = polygon([(x_from, y - half), (x_to, y - half),
                             (x_to, y + half), (x_from, y + half)])
        else:
            shape = capsule(x_from + half, y, x_to - half, y, half)
        canvas.fill(shape, CODE_COLOURS[kind], (x_from - 1, y - 2, x_to + 1, y + 2))

    # The magnifier: soft shadow, handle, glass, rim, and a glint on the glass.
    cx, cy, outer, inner = layout["lens"]
    (hx0, hy0), (hx1, hy1), handle_half = layout["handle"]
    box = (cx - outer - 2, cy - outer - 2, size, size)
    if size > 16:
        canvas.fill(circle(cx + 1, cy + 1.2, outer), SHADOW, box)
    canvas.fill(capsule(hx0, hy0, hx1, hy1, handle_half), HANDLE, box)
    if size > 16:
        canvas.fill(capsule(hx0 + 0.6, hy0 - 0.2, hx1 - 0.4, hy1 - 1.2,
                            handle_half * 0.35), HANDLE_LIGHT, box)
    canvas.fill(circle(cx, cy, inner), GLASS, box)
    rim_colour = vertical_gradient(cy - outer, cy + outer, LENS_RIM, LENS_RIM_DARK)
    canvas.fill(ring(cx, cy, outer, inner), rim_colour, box)
    if size > 16:
        glint = both(ring(cx, cy, inner * 0.74, inner * 0.56),
                     lambda x, y: x < cx - inner * 0.15 and y < cy - inner * 0.15)
        canvas.fill(glint, SHINE, box)
    else:
        canvas.fill(circle(cx - 1.2, cy - 1.2, 0.8), SHINE, box)
    return canvas.rgba_bytes()


# --- file formats ----------------------------------------------------------

def dib_entry(size, rgba):
    """BITMAPINFOHEADER, BGRA rows bottom-up, then the 1-bit AND mask (set
    where the pixel is fully transparent, for the rare reader ignoring alpha)."""
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0,
                         size * size * 4, 0, 0, 0, 0)
    colour = bytearray()
    mask = bytearray()
    mask_stride = ((size + 31) // 32) * 4
    for row in range(size - 1, -1, -1):
        row_mask = bytearray(mask_stride)
        for col in range(size):
            r, g, b, a = rgba[(row * size + col) * 4:(row * size + col) * 4 + 4]
            colour += bytes((b, g, r, a))
            if a == 0:
                row_mask[col // 8] |= 0x80 >> (col % 8)
        mask += row_mask
    return header + bytes(colour) + bytes(mask)


def ico_file(images):
    """images: list of (size, dib bytes)."""
    head = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    directory = b""
    for size, data in images:
        directory += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32,
                                 len(data), offset)
        offset += len(data)
    return head + directory + b"".join(data for _, data in images)


def png_file(width, height, rgba):
    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data
                + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))
    raw = b"".join(b"\0" + rgba[y * width * 4:(y + 1) * width * 4] for y in range(height))
    return (b"\x89PNG\r\n\x1a\n"
            + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def preview_sheet(rendered, zoom=8):
    """All sizes side by side, enlarged without smoothing, on a checkerboard
    and on white, to judge the pictures by eye."""
    gap = 8
    width = sum(size * zoom + gap for size in rendered) + gap
    height = max(rendered) * zoom * 2 + gap * 3
    sheet = bytearray(b"\xff\xff\xff\xff" * width * height)
    x = gap
    for size, rgba in rendered.items():
        for band in range(2):
            y0 = gap + band * (max(rendered) * zoom + gap)
            for py in range(size * zoom):
                for px in range(size * zoom):
                    sx, sy = px // zoom, py // zoom
                    r, g, b, a = rgba[(sy * size + sx) * 4:(sy * size + sx) * 4 + 4]
                    if band == 0:
                        back = 200 if ((px // 8) + (py // 8)) % 2 else 240
                    else:
                        back = 255
                    mix = [(c * a + back * (255 - a)) // 255 for c in (r, g, b)]
                    i = ((y0 + py) * width + x + px) * 4
                    sheet[i:i + 4] = bytes(mix + [255])
        x += size * zoom + gap
    return png_file(width, height, bytes(sheet))


def main(argv):
    here = os.path.dirname(os.path.abspath(__file__))
    rendered = {size: draw(size) for size in (48, 32, 16)}
    with open(os.path.join(here, "morvessa.ico"), "wb") as out:
        out.write(ico_file([(size, dib_entry(size, rgba)) for size, rgba in rendered.items()]))
    if len(argv) == 3 and argv[1] == "--preview":
        with open(argv[2], "wb") as out:
            out.write(preview_sheet(rendered))
    elif len(argv) != 1:
        sys.exit(__doc__)


if __name__ == "__main__":
    main(sys.argv)
