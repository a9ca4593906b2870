#!/usr/bin/env python3
"""Makes Velmora's pictures in resources/ from their sources in resources/pictures/.

The sources are SVG files and, for the icons' 16- and 32-pixel images, pixel grids (README.md,
"Pictures", says how to change them). The SVGs are rasterised by librsvg's rsvg-convert
(package librsvg2-bin) for every scale of resources/scales.txt. The output is deterministic:
running the tool again gives byte-identical files.

    python3 tools/draw_pictures.py     # writes resources/* and resources/icons/*
"""

import argparse
import math
import os
import re
import struct
import subprocess
import tempfile
import zlib

# The standard 16-colour VGA palette, in the order the 4-bit pictures index it, and the letter
# that names each colour in the pixel grids.
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
LETTERS = "KMEONPTSGRLYBFCW"

# The icons: file, source, the side in pixels at 100 %, and the source of its sizes below 32
# pixels where the picture is drawn otherwise when small (the window icon has no room for its
# title).
ICONS = [
    ("velmora.ico", "velmora", 32, "velmora-small"),
    ("exit.ico", "exit", 16, None),
    ("about.ico", "about", 32, None),
    ("arrow_up.ico", "arrow_up", 32, None),
    ("search.ico", "search", 32, None),
    ("copy.ico", "copy", 32, None),
    ("tick.ico", "tick", 32, None),
]
GRID_SIDES = (16, 32)
SPLASH_SIZE = (488, 298)


def read_scales(resources):
    """The scales of resources/scales.txt, as factors."""
    with open(os.path.join(resources, "scales.txt")) as f:
        return [int(line) / 100 for line in f if line.strip().isdigit()]


def device(logical, scale):
    """Logical pixels to device pixels, as resources/scales.txt says."""
    return math.floor(logical * scale + 0.5)


# ---------------------------------------------------------------------------
# Pictures: width, height and rows of (r, g, b, a)


class Picture:
    def __init__(self, width, height, rows):
        self.width, self.height, self.rows = width, height, rows

    def flipped(self):
        return Picture(self.width, self.height, self.rows[::-1])


def read_grid(path):
    with open(path) as f:
        lines = [line.rstrip("\n") for line in f if line.strip()]
    rows = [
        [(0, 0, 0, 0) if ch == "." else VGA[LETTERS.index(ch)] + (255,) for ch in line]
        for line in lines
    ]
    if any(len(row) != len(rows) for row in rows):
        raise SystemExit(f"{path}: a grid must be square")
    return Picture(len(rows), len(rows), rows)


def rasterise(svg, zoom, width, height, stylesheet=""):
    """The SVG drawn by rsvg-convert zoom times as large, from the top left corner of a picture
    of width by height pixels (one zoom across and down: a splash 373 pixels high at 125 % is
    372.5 pixels drawn)."""
    with tempfile.TemporaryDirectory() as scratch:
        style = os.path.join(scratch, "style.css")
        with open(style, "w") as f:
            f.write(stylesheet)
        command = ["rsvg-convert", "--stylesheet", style, "--zoom", repr(zoom)]
        command += ["--page-width", str(width), "--page-height", str(height), svg]
        png = subprocess.run(command, check=True, stdout=subprocess.PIPE).stdout
    return read_png(png)


def read_png(data):
    """An 8-bit RGB or RGBA PNG, as rsvg-convert writes it."""
    pos, idat = 8, b""
    while pos < len(data):
        length, kind = struct.unpack_from(">I4s", data, pos)
        body = data[pos + 8 : pos + 8 + length]
        if kind == b"IHDR":
            width, height, depth, colour, _, _, interlace = struct.unpack(">IIBBBBB", body)
            if depth != 8 or colour not in (2, 6) or interlace:
                raise SystemExit("rsvg-convert wrote a PNG other than 8-bit RGB or RGBA")
            step = 4 if colour == 6 else 3
        elif kind == b"IDAT":
            idat += body
        pos += 12 + length
    raw, stride = zlib.decompress(idat), step * width
    prior, rows = bytearray(stride), []
    for y in range(height):
        start = y * (stride + 1)
        kind, line = raw[start], bytearray(raw[start + 1 : start + 1 + stride])
        for i in range(stride):  # undo the row's filter
            a, b = line[i - step] if i >= step else 0, prior[i]
            c = prior[i - step] if i >= step else 0
            p = a + b - c
            guess = [
                0,
                a,
                b,
                (a + b) // 2,
                min((abs(p - a), 0, a), (abs(p - b), 1, b), (abs(p - c), 2, c))[2],
            ]
            line[i] = (line[i] + guess[kind]) & 255
        rows.append(
            [
                tuple(line[step * x : step * x + 3]) + (line[step * x + 3] if step == 4 else 255,)
                for x in range(width)
            ]
        )
        prior = line
    return Picture(width, height, rows)


def sixteen_colours(picture):
    """Each pixel clear or opaque, in the nearest of the 16 colours (crisp edges leave every
    pixel in a colour of the drawing already)."""

    def nearest(r, g, b):
        return min(VGA, key=lambda c: (c[0] - r) ** 2 + (c[1] - g) ** 2 + (c[2] - b) ** 2)

    rows = [
        [(0, 0, 0, 0) if a < 128 else nearest(r, g, b) + (255,) for r, g, b, a in row]
        for row in picture.rows
    ]
    return Picture(picture.width, picture.height, rows)


def draw_icon(source, size, sources, small=None):
    """The icon's image of size pixels: its pixel grid, or its SVG (small's below 32 pixels)
    rasterised."""
    grid = os.path.join(sources, f"{source}-{size}.txt")
    if size in GRID_SIDES and os.path.exists(grid):
        return read_grid(grid)
    svg = os.path.join(sources, (small if small and size < 32 else source) + ".svg")
    with open(svg) as f:
        units = float(re.search(r'viewBox="0 0 ([0-9.]+)', f.read()).group(1))
    # Outlines and hairlines a whole number of pixels thick at every size.
    line, hair = max(1, size // 32) * units / size, units / size
    stylesheet = ".outline { stroke-width: %r }\n.hairline { stroke-width: %r }\n" % (line, hair)
    return sixteen_colours(rasterise(svg, size / units, size, size, stylesheet))


# ---------------------------------------------------------------------------
# File formats


def ico_bytes(images, pngs=()):
    """An ICO file of 4-bit images; each image's mask marks its clear pixels. pngs are (size,
    PNG bytes) pairs stored as they are, as Windows Vista and later read an icon's large sizes."""
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in VGA)
    bodies = []
    for img in images:
        w, h = img.width, img.height
        xor_stride, and_stride = (w * 4 + 31) // 32 * 4, (w + 31) // 32 * 4
        xor, mask = bytearray(), bytearray()
        for row in reversed(img.rows):  # BMP rows run bottom-up
            line, bits = bytearray(xor_stride), bytearray(and_stride)
            for x, (r, g, b, a) in enumerate(row):
                # A clear pixel's colour is black, so the AND/XOR pair leaves the ground alone.
                index = VGA.index((r, g, b)) if a else 0
                line[x // 2] |= index << (4 if x % 2 == 0 else 0)
                if not a:
                    bits[x // 8] |= 0x80 >> (x % 8)
            xor += line
            mask += bits
        info = struct.pack("<IiiHHIIiiII", 40, w, 2 * h, 1, 4, 0, len(xor) + len(mask), 0, 0, 16, 0)
        bodies.append(info + palette + bytes(xor) + bytes(mask))
    count = len(images) + len(pngs)
    offset, entries = 6 + 16 * count, b""
    for img, body in zip(images, bodies):
        entries += struct.pack(
            "<BBBBHHII", img.width % 256, img.height % 256, 16, 0, 1, 4, len(body), offset
        )
        offset += len(body)
    for size, png in pngs:  # a size of 256 is written as 0
        entries += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(png), offset)
        offset += len(png)
    header = struct.pack("<HHH", 0, 1, count)
    return header + entries + b"".join(bodies) + b"".join(png for _, png in pngs)


def bmp24_bytes(img):
    """An uncompressed 24-bit BMP."""
    stride = (img.width * 3 + 3) // 4 * 4
    pixels = bytearray()
    for row in reversed(img.rows):
        line = b"".join(bytes((b, g, r)) for r, g, b, _ in row)
        pixels += line + bytes(stride - len(line))
    info = struct.pack(
        "<IiiHHIIiiII", 40, img.width, img.height, 1, 24, 0, len(pixels), 2835, 2835, 0, 0
    )
    head = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(pixels), 0, 0, 14 + len(info))
    return head + info + bytes(pixels)


def png_bytes(img, alpha=True):
    """A PNG of 8-bit RGBA, or RGB, rows, each with filter 0 (tests/picture_checks.py reads it)."""

    def chunk(kind, data):
        return (
            struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
        )

    channels = 4 if alpha else 3
    raw = b"".join(b"\x00" + bytes(v for px in row for v in px[:channels]) for row in img.rows)
    header = struct.pack(">IIBBBBB", img.width, img.height, 8, 6 if alpha else 2, 0, 0, 0)
    return (
        b"\x89PNG\r\n\x1a\n"
        + chunk(b"IHDR", header)
        + chunk(b"IDAT", zlib.compress(raw, 9))
        + chunk(b"IEND", b"")
    )


def opaque(img):
    """The splash on white where it is not covered (it is drawn on a white field anyway)."""
    rows = [
        [tuple(round(255 + (v - 255) * a / 255) for v in (r, g, b)) + (255,) for r, g, b, a in row]
        for row in img.rows
    ]
    return Picture(img.width, img.height, rows)


# ---------------------------------------------------------------------------


def write(path, data):
    with open(path, "wb") as f:
        f.write(data)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--out", default=os.path.join(here, "..", "resources"))
    args = parser.parse_args()
    resources = os.path.join(here, "..", "resources")
    sources = os.path.join(resources, "pictures")
    scales = read_scales(resources)

    # Every icon holds its 16- and 32-pixel picture at every scale. Each file keeps the image
    # of its own size first: a plain image read takes the first.
    sides = sorted({device(side, k) for side in (16, 32) for k in scales})
    drawn = {}
    for name, source, side, small in ICONS:
        images = []
        for size in [side] + [n for n in sides if n != side]:
            images.append(draw_icon(source, size, sources, small))
        drawn[name] = images
        write(os.path.join(args.out, name), ico_bytes(images))
        if name == "arrow_up.ico":
            write(
                os.path.join(args.out, "arrow_down.ico"), ico_bytes([i.flipped() for i in images])
            )

    # The splash for each scale: a BMP at 100 %, PNGs above (as BMPs they would add 7 MB).
    splash = os.path.join(sources, "splash.svg")
    for k in scales:
        img = opaque(rasterise(splash, k, device(SPLASH_SIZE[0], k), device(SPLASH_SIZE[1], k)))
        if k == 1:
            write(os.path.join(args.out, "splash.bmp"), bmp24_bytes(img))
        else:
            write(os.path.join(args.out, "splash@%gx.png" % k), png_bytes(img, alpha=False))

    # The program's icon for the desktop's menus (hicolor theme): the window icon's drawings,
    # its SVG as the scalable one; and the Windows program's icon (Explorer, the taskbar, Apps &
    # features), with the large sizes that Explorer's big views ask for.
    icon_dir = os.path.join(args.out, "icons")
    os.makedirs(icon_dir, exist_ok=True)
    by_side = {img.width: img for img in drawn["velmora.ico"]}
    pngs = {}
    for n in (16, 32, 48, 64, 128, 256):
        img = by_side.get(n) or draw_icon("velmora", n, sources)
        pngs[n] = png_bytes(img)
        write(os.path.join(icon_dir, "velmora-%d.png" % n), pngs[n])
    with open(os.path.join(sources, "velmora.svg"), "rb") as f:  # smooth at a desktop's sizes
        svg = f.read().replace(b' shape-rendering="crispEdges"', b"")
    write(os.path.join(icon_dir, "velmora.svg"), svg)
    write(
        os.path.join(icon_dir, "velmora-windows.ico"),
        ico_bytes(drawn["velmora.ico"], [(n, pngs[n]) for n in (128, 256)]),
    )


if __name__ == "__main__":
    main()
