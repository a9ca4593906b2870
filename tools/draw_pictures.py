#!/usr/bin/env python3
"""Draws Velmora's pictures and writes them into resources/.

Every picture is drawn here from pixel grids and simple rasterised shapes, so the
pictures can be changed and rebuilt without an image editor. Only the standard
library is used. The output is deterministic: running the script twice gives
byte-identical files, so the committed files show exactly what changed.

    python3 tools/draw_pictures.py                 # writes resources/* and resources/icons/*
    python3 tools/draw_pictures.py --preview DIR   # also writes enlarged PNGs to look at
"""

import argparse
import math
import os
import struct
import zlib

# The standard 16-colour VGA palette, in the order the 4-bit pictures index it.
VGA = [
    (0, 0, 0),
    (128, 0, 0),
    (0, 128, 0),
    (128, 128, 0),
    (0, 0, 128),
    (128, 0, 128),
    (0, 128, 128),
    (192, 192, 192),
    (128, 128, 128),
    (255, 0, 0),
    (0, 255, 0),
    (255, 255, 0),
    (0, 0, 255),
    (255, 0, 255),
    (0, 255, 255),
    (255, 255, 255),
]

# Letters used in the pixel grids below; '.' leaves a pixel as it is.
INK = {
    "K": 0,
    "M": 1,
    "E": 2,
    "O": 3,
    "N": 4,
    "P": 5,
    "T": 6,
    "S": 7,
    "G": 8,
    "R": 9,
    "L": 10,
    "Y": 11,
    "B": 12,
    "F": 13,
    "C": 14,
    "W": 15,
}
BLACK, SILVER, GREY = 0, 7, 8
RED, YELLOW, BLUE, CYAN, WHITE = 9, 11, 12, 14, 15


# ---------------------------------------------------------------------------
# File formats


def ico_bytes(images, pngs=()):
    """An ICO file holding 4-bit images; each image's mask marks its transparent pixels.

    pngs are (size, PNG bytes) pairs stored as they are, as Windows Vista and later read the
    large sizes of an icon."""
    count = len(images) + len(pngs)
    header = struct.pack("<HHH", 0, 1, count)
    bodies = []
    for img in images:
        w, h = img.width, img.height
        xor_stride = (w * 4 + 31) // 32 * 4
        and_stride = (w + 31) // 32 * 4
        xor = bytearray()
        mask = bytearray()
        for y in reversed(range(h)):  # BMP rows run bottom-up
            row = bytearray(xor_stride)
            bits = bytearray(and_stride)
            for x in range(w):
                transparent = img.clear[y][x]
                # A transparent pixel's colour is black so the AND/XOR pair leaves the ground alone.
                index = 0 if transparent else img.px[y][x]
                row[x // 2] |= index << (4 if x % 2 == 0 else 0)
                if transparent:
                    bits[x // 8] |= 0x80 >> (x % 8)
            xor += row
            mask += bits
        info = struct.pack("<IiiHHIIiiII", 40, w, 2 * h, 1, 4, 0, len(xor) + len(mask), 0, 0, 16, 0)
        palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in VGA)
        bodies.append(info + palette + bytes(xor) + bytes(mask))
    offset = 6 + 16 * count
    entries = b""
    for img, body in zip(images, bodies):
        entries += struct.pack(
            "<BBBBHHII", img.width % 256, img.height % 256, 16, 0, 1, 4, len(body), offset
        )
        offset += len(body)
    for size, png in pngs:  # a size of 256 is written as 0
        entries += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(png), offset)
        offset += len(png)
    return header + entries + b"".join(bodies) + b"".join(png for _, png in pngs)


def bmp24_bytes(img):
    """An uncompressed 24-bit BMP of an RGB picture."""
    w, h = img.width, img.height
    stride = (w * 3 + 3) // 4 * 4
    pixels = bytearray()
    for y in reversed(range(h)):
        row = bytearray(stride)
        src = img.rows[y]
        for x in range(w):
            r, g, b = src[3 * x], src[3 * x + 1], src[3 * x + 2]
            row[3 * x : 3 * x + 3] = bytes((b, g, r))
        pixels += row
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    head = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(pixels), 0, 0, 14 + len(info))
    return head + info + bytes(pixels)


def png_bytes(width, height, rgba_rows, channels=4):
    """A PNG of 8-bit rows, RGBA or (channels=3) RGB."""

    def chunk(kind, data):
        return (
            struct.pack(">I", len(data))
            + kind
            + data
            + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)
        )

    raw = b"".join(b"\x00" + bytes(row) for row in rgba_rows)
    return (
        b"\x89PNG\r\n\x1a\n"
        + chunk(
            b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6 if channels == 4 else 2, 0, 0, 0)
        )
        + chunk(b"IDAT", zlib.compress(raw, 9))
        + chunk(b"IEND", b"")
    )


# ---------------------------------------------------------------------------
# Rasterising


def spans(contours, width, height):
    """Pixel runs (y, x0, x1) whose centres lie inside the contours (even-odd rule)."""
    edges = []
    for pts in contours:
        for i in range(len(pts)):
            (xa, ya), (xb, yb) = pts[i], pts[(i + 1) % len(pts)]
            if ya != yb:
                edges.append((xa, ya, xb, yb))
    if not edges:
        return
    top = max(0, math.floor(min(min(e[1], e[3]) for e in edges)))
    bottom = min(height - 1, math.ceil(max(max(e[1], e[3]) for e in edges)))
    for y in range(top, bottom + 1):
        cy = y + 0.5
        xs = sorted(
            xa + (cy - ya) * (xb - xa) / (yb - ya)
            for xa, ya, xb, yb in edges
            if (ya <= cy < yb) or (yb <= cy < ya)
        )
        for i in range(0, len(xs) - 1, 2):
            x0 = max(0, math.ceil(xs[i] - 0.5))
            x1 = min(width, math.ceil(xs[i + 1] - 0.5))
            if x1 > x0:
                yield y, x0, x1


def superellipse(cx, cy, rx, ry, n=3.0, steps=120, start=0.0, end=2 * math.pi):
    """Points on |x/rx|^n + |y/ry|^n = 1, counter-clockwise from angle start to end."""
    pts = []
    for i in range(steps + 1):
        t = start + (end - start) * i / steps
        c, s = math.cos(t), math.sin(t)
        pts.append(
            (
                cx + rx * math.copysign(abs(c) ** (2 / n), c),
                cy + ry * math.copysign(abs(s) ** (2 / n), s),
            )
        )
    if end - start >= 2 * math.pi:
        pts.pop()
    return pts


class Indexed:
    """A 16-colour picture; pixels start transparent unless a ground colour is given."""

    def __init__(self, width, height, ground=None):
        self.width, self.height = width, height
        self.px = [[ground or 0] * width for _ in range(height)]
        self.clear = [[ground is None] * width for _ in range(height)]

    def set(self, x, y, colour):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.px[y][x] = colour
            self.clear[y][x] = False

    def rect(self, x0, y0, x1, y1, colour):
        """Fills the rectangle with corners (x0, y0) and (x1, y1), both included."""
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.set(x, y, colour)

    def frame(self, x0, y0, x1, y1, colour):
        for x in range(x0, x1 + 1):
            self.set(x, y0, colour)
            self.set(x, y1, colour)
        for y in range(y0, y1 + 1):
            self.set(x0, y, colour)
            self.set(x1, y, colour)

    def polygon(self, points, colour):
        for y, x0, x1 in spans([points], self.width, self.height):
            for x in range(x0, x1):
                self.set(x, y, colour)

    def grid(self, x, y, rows):
        """Paints a pixel grid whose letters are INK names; '.' leaves the pixel alone."""
        for dy, row in enumerate(rows):
            for dx, ch in enumerate(row):
                if ch != ".":
                    self.set(x + dx, y + dy, INK[ch])

    def text(self, x, y, font, string, colour, spacing=1):
        for ch in string:
            glyph = font[ch]
            for dy, row in enumerate(glyph):
                for dx, bit in enumerate(row):
                    if bit == "#":
                        self.set(x + dx, y + dy, colour)
            x += len(glyph[0]) + spacing
        return x

    def flipped(self):
        """The picture upside down."""
        out = Indexed(self.width, self.height)
        out.px = [row[:] for row in reversed(self.px)]
        out.clear = [row[:] for row in reversed(self.clear)]
        return out

    def rgba_rows(self):
        return [
            [
                v
                for x in range(self.width)
                for v in (VGA[self.px[y][x]] + ((0,) if self.clear[y][x] else (255,)))
            ]
            for y in range(self.height)
        ]


class Rgb:
    """A true-colour picture, one bytearray of R, G, B per row."""

    def __init__(self, width, height, colour=(255, 255, 255)):
        self.width, self.height = width, height
        self.rows = [bytearray(colour) * width for _ in range(height)]

    def rect(self, x0, y0, x1, y1, colour):
        """Fills x0 <= x < x1, y0 <= y < y1."""
        for y in range(max(0, y0), min(self.height, y1)):
            self.rows[y][3 * x0 : 3 * x1] = bytes(colour) * (x1 - x0)

    def blend(self, x, y, colour, alpha):
        if 0 <= x < self.width and 0 <= y < self.height and alpha > 0:
            row, i = self.rows[y], 3 * x
            for k in range(3):
                row[i + k] = round(row[i + k] + (colour[k] - row[i + k]) * min(alpha, 1.0))

    def text(self, x, y, font, string, colour, spacing=1):
        for ch in string:
            glyph = font[ch]
            for dy, row in enumerate(glyph):
                for dx, bit in enumerate(row):
                    if bit == "#":
                        self.blend(x + dx, y + dy, colour, 1.0)
            x += len(glyph[0]) + spacing
        return x

    def rgba_rows(self):
        return [
            [v for x in range(self.width) for v in (*row[3 * x : 3 * x + 3], 255)]
            for row in self.rows
        ]


class Coverage:
    """A supersampled black-and-white mask, turned into smooth edges by averaging."""

    def __init__(self, width, height, factor=4):
        self.width, self.height, self.factor = width, height, factor
        self.sw, self.sh = width * factor, height * factor
        self.bits = bytearray(self.sw * self.sh)

    def paint(self, contours, on=True):
        value = b"\x01" if on else b"\x00"
        f = self.factor
        scaled = [[(x * f, y * f) for x, y in pts] for pts in contours]
        for y, x0, x1 in spans(scaled, self.sw, self.sh):
            start = y * self.sw
            self.bits[start + x0 : start + x1] = value * (x1 - x0)

    def sums(self):
        """Yields each pixel row's covered subsamples per pixel, from 0 to factor squared."""
        f = self.factor
        for y in range(self.height):
            sums = [0] * self.width
            for sub in range(f):
                start = (y * f + sub) * self.sw
                row = self.bits[start : start + self.sw]
                if not any(row):
                    continue
                for x in range(self.width):
                    sums[x] += sum(row[x * f : x * f + f])
            yield y, sums

    def apply(self, img, colour):
        """Lays the mask onto the picture in the given colour."""
        full = self.factor * self.factor
        for y, sums in self.sums():
            for x, s in enumerate(sums):
                if s:
                    img.blend(x, y, colour, s / full)


class Outlines:
    """Takes the contours a Coverage mask would be painted with, to be written as outlines."""

    def __init__(self):
        self.ops = []

    def paint(self, contours, on=True):
        self.ops.append((on, contours))


class Vector:
    """Stands in for an Indexed picture, in its pixel units, but keeps every shape as an SVG
    element: the same drawing code gives the scalable icon."""

    def __init__(self, width, height, ground=None):
        self.width, self.height = width, height
        self.shapes = []
        self.ground = ground
        if ground is not None:
            self.rect(0, 0, width - 1, height - 1, ground)

    @staticmethod
    def colour(index):
        return "#%02x%02x%02x" % VGA[index]

    @staticmethod
    def path(contours):
        return " ".join(
            "M" + " L".join("%g %g" % (round(x, 3), round(y, 3)) for x, y in pts) + "Z"
            for pts in contours
        )

    def set(self, x, y, colour):
        self.rect(x, y, x, y, colour)

    def rect(self, x0, y0, x1, y1, colour):
        """As Indexed.rect: both corners' pixels included."""
        if x1 >= x0 and y1 >= y0:
            self.shapes.append(
                '<rect x="%d" y="%d" width="%d" height="%d" fill="%s"/>'
                % (x0, y0, x1 - x0 + 1, y1 - y0 + 1, self.colour(colour))
            )

    def frame(self, x0, y0, x1, y1, colour):
        self.rect(x0, y0, x1, y0, colour)
        self.rect(x0, y1, x1, y1, colour)
        self.rect(x0, y0, x0, y1, colour)
        self.rect(x1, y0, x1, y1, colour)

    def polygon(self, points, colour):
        self.shapes.append('<path d="%s" fill="%s"/>' % (self.path([points]), self.colour(colour)))

    def lettering(self, ops, colour):
        """Paints the outlines in turn, each adding to the letters or cutting from them. A cut
        is painted in the ground colour: lettering is set on the bare ground, and no mask is
        needed, which not every icon renderer understands."""
        for on, contours in ops:
            self.shapes.append(
                '<path d="%s" fill="%s"/>'
                % (self.path(contours), self.colour(colour if on else self.ground))
            )

    def svg(self):
        return (
            '<svg xmlns="http://www.w3.org/2000/svg" width="%d" height="%d" '
            'viewBox="0 0 %d %d">\n%s\n</svg>\n'
            % (self.width, self.height, self.width, self.height, "\n".join(self.shapes))
        ).encode()


def inset(points, d):
    """The polygon moved d pixels inwards along every edge (mitred corners)."""
    n = len(points)
    area = sum(
        points[i][0] * points[(i + 1) % n][1] - points[(i + 1) % n][0] * points[i][1]
        for i in range(n)
    )
    side = 1 if area > 0 else -1  # which normal points inwards
    lines = []
    for i in range(n):
        (xa, ya), (xb, yb) = points[i], points[(i + 1) % n]
        length = math.hypot(xb - xa, yb - ya)
        nx, ny = -(yb - ya) / length * side, (xb - xa) / length * side
        lines.append(((xa + nx * d, ya + ny * d), (xb - xa, yb - ya)))
    out = []
    for i in range(n):
        (p, r), (q, u) = lines[i - 1], lines[i]
        cross = r[0] * u[1] - r[1] * u[0]
        if abs(cross) < 1e-9:
            out.append(q)
            continue
        t = ((q[0] - p[0]) * u[1] - (q[1] - p[1]) * u[0]) / cross
        out.append((p[0] + r[0] * t, p[1] + r[1] * t))
    return out


class Scaled:
    """Draws on an Indexed picture in the units of its design grid (32 or 16 to the side), so
    one drawing serves every size: shapes scale with the picture, while outlines stay a whole
    number of pixels thick and details never blur."""

    def __init__(self, img, unit=32):
        self.img, self.s = img, img.width / unit
        self.line = max(1, img.width // 32)  # outline thickness in pixels

    def X(self, v):
        return math.floor(v * self.s + 0.5)

    def rect(self, x0, y0, x1, y1, colour):
        """Fills from edge (x0, y0) up to edge (x1, y1)."""
        self.img.rect(self.X(x0), self.X(y0), self.X(x1) - 1, self.X(y1) - 1, colour)

    def frame(self, x0, y0, x1, y1, colour, width=None):
        w = width or self.line
        a, b, c, d = self.X(x0), self.X(y0), self.X(x1) - 1, self.X(y1) - 1
        for k in range(w):
            self.img.frame(a + k, b + k, c - k, d - k, colour)

    def boxed(self, x0, y0, x1, y1, fill, edge):
        self.rect(x0, y0, x1, y1, fill)
        self.frame(x0, y0, x1, y1, edge)

    def points(self, pts):
        return [(x * self.s, y * self.s) for x, y in pts]

    def polygon(self, pts, colour):
        self.img.polygon(self.points(pts), colour)

    def outlined(self, pts, fill, edge, width=None):
        scaled = self.points(pts)
        self.img.polygon(scaled, edge)
        self.img.polygon(inset(scaled, width or self.line), fill)

    def stroke(self, a, b, colour, width=None):
        """A straight line from a to b, width pixels thick."""
        (xa, ya), (xb, yb) = self.points([a, b])
        length = math.hypot(xb - xa, yb - ya)
        h = (width or self.line) / 2
        nx, ny = -(yb - ya) / length * h, (xb - xa) / length * h
        self.img.polygon(
            [(xa + nx, ya + ny), (xb + nx, yb + ny), (xb - nx, yb - ny), (xa - nx, ya - ny)], colour
        )

    def rounded(self, x0, y0, x1, y1, n=4.0):
        return [
            (x / self.s, y / self.s)
            for x, y in superellipse(
                (x0 + x1) / 2 * self.s,
                (y0 + y1) / 2 * self.s,
                (x1 - x0) / 2 * self.s,
                (y1 - y0) / 2 * self.s,
                n,
                steps=160,
            )
        ]

    def title(self, x, baseline, string, scale, colour, right=False):
        """Sets string in the title face, scale pixels to a glyph unit, in one flat colour."""
        if right:
            x = x * self.s - title_advance(string, scale)
        else:
            x = x * self.s
        if isinstance(self.img, Vector):
            outlines = Outlines()
            set_title(outlines, x, baseline * self.s, string, scale)
            self.img.lettering(outlines.ops, colour)
            return
        mask = Coverage(self.img.width, self.img.height)
        set_title(mask, x, baseline * self.s, string, scale)
        # Drawn hard, with no blending: a pixel at least half covered is set.
        full = mask.factor * mask.factor
        for y, sums in mask.sums():
            for px, covered in enumerate(sums):
                if covered * 2 >= full:
                    self.img.set(px, y, colour)


# ---------------------------------------------------------------------------
# Small bitmap fonts

# 3 to 5 pixels wide, 7 rows: caps and ascenders 7 rows, x-height 5. For the 32-pixel icon.
TINY = {
    "V": ["#...#", "#...#", "#...#", "#...#", ".#.#.", ".#.#.", "..#.."],
    "e": ["...", "...", ".#.", "#.#", "###", "#..", ".##"],
    "l": ["#", "#", "#", "#", "#", "#", "#"],
    "m": [".....", ".....", "##.#.", "#.#.#", "#.#.#", "#.#.#", "#.#.#"],
    "o": ["...", "...", ".#.", "#.#", "#.#", "#.#", ".#."],
    "r": ["...", "...", "#.#", "##.", "#..", "#..", "#.."],
    "a": ["...", "...", "##.", "..#", ".##", "#.#", ".##"],
}

# 5 rows, for "2.0" on the icon.
TINY_FIGURES = {
    "2": ["##.", "..#", ".#.", "#..", "###"],
    ".": [".", ".", ".", ".", "#"],
    "0": [".#.", "#.#", "#.#", "#.#", ".#."],
}

# A plain face, 9 rows: caps and ascenders 9 rows high, x-height 7, no descenders needed.
SMALL = {
    " ": [".."] * 9,
    "B": ["####.", "#...#", "#...#", "#...#", "####.", "#...#", "#...#", "#...#", "####."],
    "V": [
        "#.....#",
        "#.....#",
        ".#...#.",
        ".#...#.",
        ".#...#.",
        "..#.#..",
        "..#.#..",
        "...#...",
        "...#...",
    ],
    "L": ["#....", "#....", "#....", "#....", "#....", "#....", "#....", "#....", "#####"],
    "M": [
        "#.....#",
        "##...##",
        "#.#.#.#",
        "#..#..#",
        "#.....#",
        "#.....#",
        "#.....#",
        "#.....#",
        "#.....#",
    ],
    "a": ["....", "....", ".###.", "....#", ".####", "#...#", "#...#", "#..##", ".##.#"],
    "h": ["#....", "#....", "####.", "#...#", "#...#", "#...#", "#...#", "#...#", "#...#"],
    "i": ["#", ".", "#", "#", "#", "#", "#", "#", "#"],
    "k": ["#....", "#....", "#...#", "#..#.", "#.#..", "##...", "#.#..", "#..#.", "#...#"],
    "m": [
        ".......",
        ".......",
        "###.##.",
        "#..#..#",
        "#..#..#",
        "#..#..#",
        "#..#..#",
        "#..#..#",
        "#..#..#",
    ],
    "o": [".....", ".....", ".###.", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."],
    "r": ["....", "....", "#.##", "##..", "#...", "#...", "#...", "#...", "#..."],
    "s": [".....", ".....", ".####", "#....", "#....", ".###.", "....#", "....#", "####."],
    "t": [".#..", ".#..", "####", ".#..", ".#..", ".#..", ".#..", ".#..", "..##"],
    "u": [".....", ".....", "#...#", "#...#", "#...#", "#...#", "#...#", "#...#", ".####"],
}
SMALL["a"] = [r.ljust(5, ".") for r in SMALL["a"]]
SMALL["t"] = [r.ljust(4, ".") for r in SMALL["t"]]


def text_width(font, string, spacing=1):
    return sum(len(font[ch][0]) for ch in string) + spacing * (len(string) - 1)


# ---------------------------------------------------------------------------
# The 16-colour pictures
#
# The main window's buttons are smaller than their pictures (25 by 25 pixels, the arrow
# buttons 17 by 25) and show the centre of the picture, cutting off the rest; so each
# drawing keeps to the middle of its 32-pixel square.


def window_icon():
    img = Indexed(32, 32, ground=YELLOW)
    x = (32 - text_width(TINY, "Velmora")) // 2
    img.text(x, 1, TINY, "Velmora", BLACK)
    # An open book, its pages rising from the spine, on a maroon cover.
    img.grid(
        3,
        10,
        [
            "...KKKKK..........KKKKK...",
            "..KWWWWWKKK....KKKWWWWWK..",
            ".KWWWWWWWWWK..KWWWWWWWWWK.",
            ".KWGGGGGWWWWKKWWWWGGGGGWK.",
            ".KWWWWWWWWWWKKWWWWWWWWWWK.",
            ".KWGGGGGGGGWKKWGGGGGGGGWK.",
            ".KWWWWWWWWWWKKWWWWWWWWWWK.",
            ".KWGGGGGGGGWKKWGGGGGGGGWK.",
            ".KWWWWWWWWWWKKWWWWWWWWWWK.",
            ".KWGGGGGGGGWKKWGGGGGGGGWK.",
            ".KWWWWWWWWWWKKWWWWWWWWWWK.",
            ".KWGGGGGGWWWKKWGGGGGWWWWK.",
            "MKWWWWWWWWWWKKWWWWWWWWWWKM",
            "MKKKKKKWWWWWKKWWWWWKKKKKKM",
            "MMMMMMMKKKKKKKKKKKKMMMMMMM",
            ".MMMMMMMMMMMMMMMMMMMMMMMM.",
        ],
    )
    img.text(32 - text_width(TINY_FIGURES, "2.0") - 1, 26, TINY_FIGURES, "2.0", RED)
    return img


def exit_picture():
    img = Indexed(16, 16)
    # The door stands open towards us on its left hinge; the arrow leaves through the frame.
    img.grid(
        0,
        0,
        [
            "................",
            "K..KKKKKKKKK....",
            "KKKKSSSSSSSK....",
            "KMMKSWWWWWSK....",
            "KMMKSWWWWWSK....",
            "KMMKSWWWWWSKB...",
            "KMMKSWWWWWSKBB..",
            "KMMKSWWBBBBBBBBB",
            "KMOKSWWBBBBBBBBB",
            "KMMKSWWWWWSKBB..",
            "KMMKSWWWWWSKB...",
            "KMMKSWWWWWSK....",
            "KMMKSWWWWWSK....",
            "KMKKSWWWWWSK....",
            "KK.KSWWWWWSK....",
            "...KKKKKKKKK....",
        ],
    )
    return img


def about_picture():
    img = Indexed(32, 32, ground=SILVER)
    # Monitor case, screen and stand.
    img.rect(6, 4, 25, 19, WHITE)
    img.frame(6, 4, 25, 19, BLACK)
    img.rect(7, 18, 24, 18, GREY)
    img.rect(9, 6, 22, 15, BLUE)
    img.frame(8, 5, 23, 16, GREY)
    img.rect(10, 7, 15, 7, CYAN)
    img.rect(10, 9, 18, 9, CYAN)
    img.rect(10, 11, 13, 11, CYAN)
    img.set(21, 18, RED)
    img.rect(12, 20, 19, 20, GREY)
    img.frame(10, 21, 21, 21, BLACK)
    # Keyboard in perspective, with its keys.
    img.polygon([(5, 23), (24, 23), (26, 28), (3, 28)], BLACK)
    img.polygon([(6, 24), (23, 24), (24.6, 27.2), (4.4, 27.2)], WHITE)
    for row, (y, x0, x1) in enumerate([(24, 7, 22), (25, 6, 23), (26, 5, 24)]):
        for x in range(x0 + row % 2, x1, 2):
            img.set(x, y, GREY)
    # Mouse and its cord.
    img.rect(27, 24, 28, 27, WHITE)
    img.frame(26, 23, 29, 28, BLACK)
    img.set(26, 23, SILVER)
    img.set(29, 23, SILVER)
    img.set(26, 28, SILVER)
    img.set(29, 28, SILVER)
    img.set(27, 22, BLACK)
    img.set(26, 21, BLACK)
    img.set(25, 21, BLACK)
    return img


def arrow_up_picture():
    """A black arrow inside the middle of the picture, where a narrow button shows it."""
    img = Indexed(32, 32)
    for i, y in enumerate(range(6, 13)):
        img.rect(15 - i, y, 16 + i, y, BLACK)
    img.rect(13, 13, 18, 25, BLACK)
    return img


def search_picture():
    img = Indexed(32, 32)
    img.grid(
        5,
        4,
        [
            "...KKKK......KKKK...",
            "...KSSK......KSSK...",
            "...KKKK......KKKK...",
            "..KKKKKK....KKKKKK..",
            "..KKKKKKKKKKKKKKKK..",
            "..KKKKKKKSSKKKKKKK..",
            ".KKKKKKKKKKKKKKKKKK.",
            ".KKGKKKKKK..KKGKKKKK",
            ".KKGKKKKKK..KKGKKKKK",
            ".KKKKKKKKK..KKKKKKKK",
            ".KKKKKKKKK..KKKKKKKK",
            ".KGGGGGGKK..KGGGGGGK",
            ".KGSSWGGKK..KGSSWGGK",
            ".KKKKKKKKK..KKKKKKKK",
        ],
    )
    img.grid(
        4,
        20,
        [
            "..................B...",
            "..................BB..",
            "BB..BB..BB..BB..BBBBB.",
            "BB..BB..BB..BB..BBBBBB",
            "................BBBBB.",
            "..................BB..",
            "..................B...",
        ],
    )
    return img


def copy_picture():
    img = Indexed(32, 32)

    def page(x0, y0, x1, y1, edge, lines):
        img.rect(x0, y0, x1, y1, WHITE)
        img.frame(x0, y0, x1, y1, edge)
        for y, end in lines:
            img.rect(x0 + 2, y0 + y, x0 + end, y0 + y, GREY)

    page(5, 4, 18, 20, BLACK, [(3, 10), (5, 11), (7, 9), (9, 11), (11, 8), (13, 10)])
    page(12, 10, 26, 27, BLUE, [(3, 11), (5, 12), (7, 10), (9, 12), (11, 9), (13, 12), (15, 8)])
    return img


def tick_picture():
    img = Indexed(32, 32)
    img.polygon([(3, 16), (8, 12), (13, 18), (25, 4), (30, 8), (13, 28)], BLACK)
    return img


def small_tick_picture():
    # Drawn by hand: the large tick scaled down loses its even stroke.
    img = Indexed(16, 16)
    img.grid(
        0,
        1,
        [
            ".............KK.",
            "............KKKK",
            "...........KKKK.",
            "..........KKKK..",
            ".........KKKK...",
            "........KKKK....",
            ".KK....KKKK.....",
            "KKKK..KKKK......",
            ".KKKKKKKK.......",
            "..KKKKKK........",
            "...KKKK.........",
            "....KK..........",
        ],
    )
    return img


# The same pictures drawn to any size, for screens scaled to 150 and 200 per cent (and the
# 16-pixel images of the 32-pixel pictures). The hand-set pixel grids above stay the images
# at their own sizes; these follow their layout in the grid's units.


def open_book(d, left, top):
    """The icon's book, 26 by 16 units from (left, top): two pages on a maroon cover."""

    def at(pts):
        return [(left + x, top + y) for x, y in pts]

    d.polygon(at([(0, 12), (26, 12), (26, 15), (25, 16), (1, 16), (0, 15)]), INK["M"])
    page = [
        (1, 1.6),
        (2.5, 0.3),
        (5, 0),
        (7.5, 0.3),
        (10, 1),
        (13, 2.4),
        (13, 15),
        (9, 14),
        (1, 14),
    ]
    d.outlined(at(page), WHITE, BLACK)
    d.outlined(at([(26 - x, y) for x, y in page]), WHITE, BLACK)
    thin = max(1, d.line // 2)
    lines = [(3, 8), (3, 11), (3, 11), (3, 11), (3, 9)]
    for row, (start, end) in enumerate(lines):
        if d.s < 1 and row % 2:
            continue  # a line a pixel would leave no paper between them
        y = (top + 3 + 2 * row) * d.s
        for x0, x1 in ((left + start, left + end), (left + 26 - end, left + 26 - start)):
            d.img.rect(d.X(x0), round(y), d.X(x1) - 1, round(y) + thin - 1, GREY)


def window_icon_at(size, canvas=Indexed):
    img = canvas(size, size, ground=YELLOW)
    d = Scaled(img)
    if size < 32:  # no room for lettering: the book alone, filling the square
        open_book(Scaled(img, 28), 1, 6)
        return img
    # Glyph units to pixels: the name about as wide as the hand-set one, the figures as tall.
    name, figures = 0.0025 * size, 0.0017 * size
    d.title(16 - title_advance("Velmora", name) / d.s / 2, 8.5, "Velmora", name, BLACK)
    open_book(d, 3, 10)
    # Set apart by hand: at this size the face's own spacing would close up on the point.
    x = 31
    for figure in reversed("2.0"):
        d.title(x, 31, figure, figures, RED, right=True)
        x -= title_advance(figure, figures) / d.s + 1
    return img


def exit_picture_at(size):
    img = Indexed(size, size)
    d = Scaled(img, 16)
    d.rect(3, 1, 12, 16, BLACK)
    d.rect(3 + 1, 1 + 1, 12 - 1, 16 - 1, SILVER)
    d.rect(5, 3, 10, 15, WHITE)
    d.outlined([(0, 1), (4, 2.4), (4, 13.6), (0, 15)], INK["M"], BLACK)
    d.rect(2, 7.6, 2.8, 8.8, INK["O"])
    d.rect(7, 7, 13, 9, BLUE)
    d.polygon([(12, 4.6), (16, 8), (12, 11.4)], BLUE)
    return img


def about_picture_at(size):
    img = Indexed(size, size, ground=SILVER)
    d = Scaled(img)
    d.boxed(6, 4, 26, 20, WHITE, BLACK)
    d.rect(6, 18, 26, 19, GREY)
    d.frame(6, 4, 26, 20, BLACK)
    d.boxed(8, 5, 24, 17, BLUE, GREY)
    for y, end in ((7, 16), (9, 19), (11, 14), (13, 17)):
        d.rect(10, y, end, y + 0.5 + 0.5 / d.s, CYAN)
    d.rect(21, 18, 22, 19, RED)
    d.rect(12, 20, 20, 21, GREY)
    d.rect(10, 21, 22, 22, BLACK)
    # Keyboard in perspective, with its keys in rows that follow the slant.
    board = [(5, 23), (24, 23), (26, 28.2), (3, 28.2)]
    d.outlined(board, WHITE, BLACK)
    rows = 3 if size <= 32 else 4
    for r in range(rows):
        y = 24 + 3.2 * (r + 0.5) / rows
        spread = (y - 23) / 5.2 * 2
        x0, x1 = 6 - spread + 0.6, 23 + spread - 0.6
        keys = int((x1 - x0) * d.s / 2.5) if size > 32 else int(x1 - x0) // 2
        for k in range(keys):
            kx = x0 + (x1 - x0) * (k + 0.5) / keys
            d.img.set(math.floor(kx * d.s), math.floor(y * d.s), GREY)
    # Mouse and its cord.
    d.outlined(d.rounded(26, 23, 30, 29.2), WHITE, BLACK)
    d.stroke((27.8, 23.4), (27, 21.6), BLACK)
    d.stroke((27.2, 21.8), (25, 21.4), BLACK)
    return img


def arrow_up_picture_at(size):
    img = Indexed(size, size)
    d = Scaled(img)
    d.polygon([(15.5, 6), (16.5, 6), (23.5, 13), (8.5, 13)], BLACK)
    d.rect(13, 13, 19, 26, BLACK)
    return img


def search_picture_at(size):
    img = Indexed(size, size)
    d = Scaled(img)
    for x in (8, 18):  # eyepieces
        d.boxed(x, 4, x + 4, 7, SILVER, BLACK)
    d.polygon(d.rounded(7, 6.6, 13, 11, 5), BLACK)
    d.polygon(d.rounded(17, 6.6, 23, 11, 5), BLACK)
    d.rect(8, 8, 22, 10, BLACK)
    d.rect(14, 9, 16, 10, SILVER)
    for x0, x1 in ((6, 15), (17, 25)):  # barrels and their lenses
        d.polygon(d.rounded(x0, 9.6, x1, 18, 6), BLACK)
        d.rect(x0 + 2, 11, x0 + 2.5 + 0.5 / d.s, 13, GREY)
        d.rect(x0 + 1, 15, x1 - 1 - (x0 == 6) * 1, 17, GREY)
        d.rect(x0 + 1, 16, x0 + 3, 17, SILVER)
        d.rect(x0 + 3, 16, x0 + 3.6 + 0.4 / d.s, 17 - 0.5 + 0.5 / d.s, WHITE)
    for k in range(4):  # the way the search goes
        d.polygon(d.rounded(4 + 4 * k, 22, 6 + 4 * k, 24, 3), BLUE)
    d.rect(20, 22, 23, 24, BLUE)
    d.polygon([(22, 19.6), (26, 23), (22, 26.4)], BLUE)
    return img


def copy_picture_at(size):
    img = Indexed(size, size)
    d = Scaled(img)
    thin = 1 / d.s

    def page(x0, y0, x1, y1, edge, lines):
        fold = 3
        d.outlined([(x0, y0), (x1 - fold, y0), (x1, y0 + fold), (x1, y1), (x0, y1)], WHITE, edge)
        d.outlined([(x1 - fold, y0), (x1, y0 + fold), (x1 - fold, y0 + fold)], SILVER, edge)
        for y, end in lines[::2] if size < 32 else lines:
            d.rect(x0 + 2, y0 + y, x0 + end + 1, y0 + y + max(thin, 1 if size < 32 else 0), GREY)

    page(5, 4, 19, 21, BLACK, [(3, 8), (5, 11), (7, 9), (9, 11), (11, 8), (13, 10)])
    page(12, 10, 27, 28, BLUE, [(3, 9), (5, 12), (7, 10), (9, 12), (11, 9), (13, 12), (15, 8)])
    return img


def tick_picture_at(size):
    img = Indexed(size, size)
    Scaled(img).polygon([(3, 16), (8, 12), (13, 18), (25, 4), (30, 8), (13, 28)], BLACK)
    return img


# ---------------------------------------------------------------------------
# The title face: a condensed bold grotesque, drawn as outlines

# Glyph units: caps 100 high, x-height 72, y upwards from the baseline. Round letters pass
# the lines by OVER so they look as tall as the flat ones.
STEM, THIN, OVER = 16, 13, 1.5
XH, CAP, ASC = 72, 100, 104
ROUND = 2.8  # superellipse exponent: squarish bowls, typical of condensed faces


def box(x0, y0, x1, y1):
    return [(x0, y0), (x1, y0), (x1, y1), (x0, y1)]


def bowl(x0, y0, x1, y1, n=ROUND):
    return superellipse((x0 + x1) / 2, (y0 + y1) / 2, (x1 - x0) / 2, (y1 - y0) / 2, n)


def arch(x0, x1, top, join, bottom, n=ROUND):
    """The upper half of a bowl from x0 to x1, with straight sides down to bottom."""
    half = superellipse(
        (x0 + x1) / 2, join, (x1 - x0) / 2, top - join, n, steps=60, start=0.0, end=math.pi
    )
    return half + [(x0, bottom), (x1, bottom)]


def ring(x0, y0, x1, y1, stem=STEM, thin=THIN):
    return [
        (True, bowl(x0, y0, x1, y1)),
        (False, bowl(x0 + stem, y0 + thin, x1 - stem, y1 - thin, ROUND + 0.6)),
    ]


def glyph_V():
    return 58, [(True, [(0, CAP), (18, CAP), (29, 22), (40, CAP), (58, CAP), (39, 0), (19, 0)])]


def glyph_e():
    w = 48
    return w, ring(0, -OVER, w, XH + OVER) + [
        (True, box(STEM - 1, 31, w - STEM + 1, 31 + THIN - 2)),
        (False, box(w - STEM - 5, 16, w + 1, 31)),
    ]


def glyph_l():
    return STEM, [(True, box(0, 0, STEM, ASC))]


def hump(x0, x1):
    """One arch of n, m and r: the outer bowl top, and the counter under it open to the baseline."""
    return (
        (True, arch(x0, x1, XH + OVER, 38, 0)),
        (False, arch(x0 + STEM, x1 - STEM, XH + OVER - THIN, 38, -1, ROUND + 0.6)),
    )


def glyph_m():
    counter = 16
    mid = STEM + counter
    right = 2 * mid
    # The left stem starts square at the x-height; each arch springs from the stem before it.
    first, second = hump(-4, mid + STEM), hump(mid - 4, right + STEM)
    return right + STEM, [
        first[0],
        second[0],
        first[1],
        second[1],
        (True, box(mid, 0, mid + STEM, 38)),
        (True, box(0, 0, STEM, XH)),
        (False, box(-5, -5, 0, ASC)),
    ]


def glyph_o():
    return 48, ring(0, -OVER, 48, XH + OVER)


def glyph_r():
    ops = list(hump(-4, 44))
    ops += [
        (False, box(STEM + 6, -1, 50, 48)),
        (False, box(34, 40, 50, 80)),
        (True, box(0, 0, STEM, XH)),
        (False, box(-5, -5, 0, ASC)),
    ]
    return 34, ops


def glyph_a():
    w = 46
    return w, [
        (True, arch(0, w, XH + OVER, 44, 30)),
        (False, arch(STEM - 1, w - STEM, XH + OVER - THIN, 44, 20, ROUND + 0.6)),
        (False, box(-1, 20, STEM - 1, 50)),
        (True, bowl(0, -OVER, w - 4, 44)),
        (False, bowl(STEM - 2, THIN - 4, w - STEM, 44 - THIN + 2, ROUND + 0.6)),
        (True, box(w - STEM, 0, w, 48)),
    ]


# Figures are drawn on the cap height and set smaller than the letters.
def glyph_2():
    w = 54
    return w, [
        (True, arch(0, w, CAP + OVER, 68, 58)),
        (False, arch(STEM + 1, w - STEM, CAP + OVER - THIN - 2, 68, 40, ROUND + 0.6)),
        (False, box(-1, 40, STEM + 1, 66)),
        (True, [(w - STEM, 66), (w, 66), (w, 56), (STEM + 6, 16), (0, 16), (0, 22)]),
        (True, box(0, 0, w, 18)),
    ]


def glyph_0():
    return 54, ring(0, -OVER, 54, CAP + OVER, STEM + 1, THIN + 2)


def glyph_dot():
    return STEM + 2, [(True, box(0, 0, STEM + 2, STEM + 2))]


TITLE_FACE = {
    "V": glyph_V,
    "e": glyph_e,
    "l": glyph_l,
    "m": glyph_m,
    "o": glyph_o,
    "r": glyph_r,
    "a": glyph_a,
    "2": glyph_2,
    "0": glyph_0,
    ".": glyph_dot,
}
TRACKING = 6  # glyph units between letters: tight, as condensed display type is set
KERNING = {("V", "e"): -6, ("V", "o"): -6, ("V", "a"): -6}


def title_advances(string):
    """Each letter's distance from the start of the string, in glyph units, and the total."""
    x, starts = 0.0, []
    for i, ch in enumerate(string):
        if i:
            x += TRACKING + KERNING.get((string[i - 1], ch), 0)
        starts.append(x)
        x += TITLE_FACE[ch]()[0]
    return starts, x


def title_advance(string, scale):
    return title_advances(string)[1] * scale


def set_title(mask, x, baseline, string, scale):
    """Paints the string into the mask with its baseline at y; returns the x after it."""
    starts, total = title_advances(string)
    for ch, start in zip(string, starts):
        ops = TITLE_FACE[ch]()[1]
        for on, contour in ops:
            mask.paint(
                [[(x + (start + gx) * scale, baseline - gy * scale) for gx, gy in contour]], on
            )
    return x + total * scale


# ---------------------------------------------------------------------------
# The splash picture

# The splash window is one pixel narrower and lower than its picture: the last column and
# row are never seen, so the layout is centred on what is.
SPLASH_W, SPLASH_H = 488, 298
PAPER = (255, 255, 255)
TITLE_INK = (0, 0, 0)
SUBTITLE_INK = (40, 40, 40)
STRIP_TOP = 272
PAINTS = [(250, 204, 20), (120, 50, 160)]  # yellow, purple


class Lcg:
    """A small fixed random sequence, so the brush band never changes between runs."""

    def __init__(self, seed):
        self.state = seed

    def next(self):
        self.state = (self.state * 1103515245 + 12345) & 0x7FFFFFFF
        return self.state / 0x7FFFFFFF

    def between(self, lo, hi):
        return lo + (hi - lo) * self.next()


def smooth(values, position):
    """Reads a row of values as a smooth curve at position 0..1."""
    f = min(max(position, 0.0), 1.0) * (len(values) - 1)
    i = min(int(f), len(values) - 2)
    t = f - i
    t = t * t * (3 - 2 * t)
    return values[i] + (values[i + 1] - values[i]) * t


def brush_stroke(img, rnd, x, colour, width, k=1):
    """One soft diagonal stroke leaning right: full where the brush lands at the bottom,
    thinning and breaking into dry bristle streaks where it lifts off at the top. Drawn k
    times as large (x and width stay in the picture's own pixels): the same stroke, finer."""
    angle = math.radians(rnd.between(56, 68))
    length = rnd.between(72, 96) * k
    bend = rnd.between(-5, 5) * k
    opacity = rnd.between(0.7, 0.95)
    shade = rnd.between(-0.08, 0.08)
    colour = tuple(min(255, max(0, round(c * (1 + shade)))) for c in colour)
    x0, y0 = x * k, (STRIP_TOP + rnd.between(4, 14)) * k
    dx, dy = math.cos(angle), -math.sin(angle)
    nx, ny = -dy, dx
    pressure = [rnd.between(0.72, 1.0) for _ in range(7)]
    bristles = [rnd.between(0.0, 1.0) for _ in range(9)]
    half = width * k / 2
    xs = (x0, x0 + dx * length)
    left, right = int(min(xs) - half - 6), int(max(xs) + half + 6)
    top = int(y0 + dy * length - half - 6)
    for py in range(max(0, top), min(round(STRIP_TOP * k), int(y0 + half) + 1)):
        for px in range(max(0, left), min(img.width, right + 1)):
            rx, ry = px + 0.5 - x0, py + 0.5 - y0
            along = (rx * dx + ry * dy) / length
            if not 0 <= along <= 1:
                continue
            offset = rx * nx + ry * ny - bend * 4 * along * (1 - along)
            reach = half * (1.0 - 0.3 * along)
            if abs(offset) >= reach:
                continue
            across = (offset / reach + 1) / 2
            edge = min(1.0, (reach - abs(offset)) / (2.5 * k))
            ends = min(1.0, along * 10, (1 - along) * 3)
            # Dry streaks appear only in the last part of the stroke, more towards its end.
            dryness = (smooth(bristles, across) - (along - 0.62) * 2.6) / 0.2 + 0.5
            dry = 0.12 + 0.88 * min(1.0, max(0.0, dryness))
            alpha = opacity * edge * ends * dry * smooth(pressure, across)
            img.blend(px, py, colour, alpha)


def doubled_glyph(rows):
    """A bitmap glyph at twice its size, its diagonal steps filled in (the EPX rule) rather
    than left as blocks, so the lettering keeps its shape on a finer screen."""

    def at(x, y):
        return 0 <= y < len(rows) and 0 <= x < len(rows[0]) and rows[y][x] == "#"

    out = [[""] * (2 * len(rows[0])) for _ in range(2 * len(rows))]
    for y in range(len(rows)):
        for x in range(len(rows[0])):
            p = at(x, y)
            a, b, c, d = at(x, y - 1), at(x + 1, y), at(x - 1, y), at(x, y + 1)
            quads = [
                a if c == a and c != d and a != b else p,
                b if a == b and a != c and b != d else p,
                c if d == c and d != b and c != a else p,
                d if b == d and b != a and d != c else p,
            ]
            for i, on in enumerate(quads):
                out[2 * y + i // 2][2 * x + i % 2] = "#" if on else "."
    return ["".join(row) for row in out]


# The screen scales a Windows laptop ships with, and the sizes of a 16- and a 32-pixel picture
# at each: every picture is drawn for every one of them, so none is ever shown resampled.
SCALES = (1, 1.25, 1.5, 1.75, 2, 2.5)
ICON_SIDES = sorted({round(side * k) for side in (16, 32) for k in SCALES})


def small_text(img, x, y, string, colour, spacing, k):
    """Sets string in the small face k times as large, from (x, y) in the picture's own
    pixels. At k = 1 it is the bitmap itself; at other sizes the bitmap doubled with its
    diagonal steps filled in, laid onto the finer pixels by how much of each it covers."""
    if k == 1:
        img.text(x, y, SMALL, string, colour, spacing)
        return
    mask = Coverage(img.width, img.height)
    cell = k / 2  # a doubled glyph's pixel, in the picture's pixels
    for ch in string:
        rows = doubled_glyph(SMALL[ch])
        for dy, row in enumerate(rows):
            for dx, bit in enumerate(row):
                if bit == "#":
                    x0, y0 = x * k + dx * cell, y * k + dy * cell
                    mask.paint(
                        [[(x0, y0), (x0 + cell, y0), (x0 + cell, y0 + cell), (x0, y0 + cell)]]
                    )
        x += len(SMALL[ch][0]) + spacing
    mask.apply(img, colour)


def splash_size(k):
    """The splash drawn k times as large covers a window k times as large, whole pixels."""
    return math.ceil(SPLASH_W * k - 1e-9), math.ceil(SPLASH_H * k - 1e-9)


def splash_picture(k=1):
    """The splash, or with k > 1 the same picture drawn for a screen scaled k times."""
    img = Rgb(*splash_size(k), PAPER)

    rnd = Lcg(2000)
    x = -50.0
    while x < SPLASH_W:
        for colour in PAINTS:
            brush_stroke(img, rnd, x + rnd.between(-6, 6), colour, rnd.between(18, 30), k)
            x += rnd.between(12, 20)
    img.rect(0, round(STRIP_TOP * k), img.width, img.height, (0, 0, 0))
    mark = "VLM"  # the maker's mark
    small_text(
        img,
        SPLASH_W - 1 - 10 - text_width(SMALL, mark, 2),
        STRIP_TOP + 8,
        mark,
        (255, 255, 255),
        2,
        k,
    )

    scale, small = 0.8, 0.6
    title_w = title_advance("Velmora", scale) + 16 * scale + title_advance("2.0", scale * small)
    left = round((SPLASH_W - 1 - title_w) / 2)
    baseline = 124
    mask = Coverage(img.width, img.height)
    end = set_title(mask, left * k, baseline * k, "Velmora", scale * k)
    set_title(mask, end + 16 * scale * k, baseline * k, "2.0", scale * small * k)
    mask.apply(img, TITLE_INK)

    subtitle = "Botim i shkurtuar"
    small_text(img, left + 2, baseline + 20, subtitle, SUBTITLE_INK, 1, k)
    return img


# ---------------------------------------------------------------------------
# Writing


def write(path, data):
    with open(path, "wb") as f:
        f.write(data)


def preview_rows(img, scale):
    """The picture enlarged, with a checkerboard where it is transparent."""
    src = img.rgba_rows()
    out = []
    for y in range(img.height * scale):
        row = []
        for x in range(img.width * scale):
            r, g, b, a = src[y // scale][4 * (x // scale) : 4 * (x // scale) + 4]
            if a == 0:
                r = g = b = 204 if ((x // 4 + y // 4) % 2) else 238
            row += (r, g, b, 255)
        out.append(row)
    return out


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--out", default=os.path.join(here, "..", "resources"))
    parser.add_argument("--preview", metavar="DIR", help="also write enlarged PNGs here")
    args = parser.parse_args()

    # Each file keeps its hand-set images first, as before (a plain image read takes the first),
    # then holds the drawing at every size a scaled screen asks for.
    def sizes(first, draw, flip=False):
        images = first + [draw(n) for n in ICON_SIDES if n not in [img.width for img in first]]
        return [img.flipped() for img in images] if flip else images

    icons = {
        "velmora.ico": sizes([window_icon()], window_icon_at),
        "exit.ico": sizes([exit_picture()], exit_picture_at),
        "about.ico": sizes([about_picture()], about_picture_at),
        "arrow_up.ico": sizes([arrow_up_picture()], arrow_up_picture_at),
        "arrow_down.ico": sizes([arrow_up_picture()], arrow_up_picture_at, flip=True),
        "search.ico": sizes([search_picture()], search_picture_at),
        "copy.ico": sizes([copy_picture()], copy_picture_at),
        "tick.ico": sizes([tick_picture(), small_tick_picture()], tick_picture_at),
    }
    for name, images in icons.items():
        write(os.path.join(args.out, name), ico_bytes(images))
    splash = splash_picture()
    write(os.path.join(args.out, "splash.bmp"), bmp24_bytes(splash))
    # The larger drawings as PNG: as BMPs they would add 7 MB to the program.
    for k in SCALES[1:]:
        img = splash_picture(k)
        write(
            os.path.join(args.out, "splash@%gx.png" % k),
            png_bytes(img.width, img.height, img.rows, channels=3),
        )

    # The program's icon for the desktop's menus (hicolor theme), the window icon's drawings.
    icon_dir = os.path.join(args.out, "icons")
    os.makedirs(icon_dir, exist_ok=True)
    drawn = {img.width: img for img in icons["velmora.ico"]}
    pngs = {}
    for n in (16, 32, 48, 64, 128, 256):
        img = drawn.get(n) or window_icon_at(n)
        pngs[n] = png_bytes(n, n, img.rgba_rows())
        write(os.path.join(icon_dir, "velmora-%d.png" % n), pngs[n])
    write(os.path.join(icon_dir, "velmora.svg"), window_icon_at(256, Vector).svg())
    # The Windows program's icon (Explorer, the taskbar, Apps & features): the window icon's
    # images, and the large sizes that Explorer's big views ask for.
    write(
        os.path.join(icon_dir, "velmora-windows.ico"),
        ico_bytes(icons["velmora.ico"], [(n, pngs[n]) for n in (128, 256)]),
    )

    if args.preview:
        os.makedirs(args.preview, exist_ok=True)
        # Every image at about 256 pixels, one icon file a row, from small to large.
        tiles = [
            preview_rows(img, 256 // img.width)
            for images in icons.values()
            for img in sorted(images, key=lambda i: i.width)
        ]
        per_row, gap = 4, 8
        sheet = []
        for first in range(0, len(tiles), per_row):
            group = tiles[first : first + per_row]
            for y in range(256):
                row = []
                for tile in group:  # a 48-pixel image fills only 240 of the 256
                    row += tile[y] if y < len(tile) else [255] * len(tile[0])
                    row += [255] * 4 * (256 - len(tile[0]) // 4 + gap)
                sheet.append(row + [255] * (4 * (256 + gap) * per_row - len(row)))
            sheet += [[255] * 4 * (256 + gap) * per_row for _ in range(gap)]
        write(
            os.path.join(args.preview, "icons.png"),
            png_bytes((256 + gap) * per_row, len(sheet), sheet),
        )
        write(
            os.path.join(args.preview, "splash.png"),
            png_bytes(splash.width, splash.height, splash.rgba_rows()),
        )


if __name__ == "__main__":
    main()
