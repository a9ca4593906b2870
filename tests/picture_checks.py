#!/usr/bin/env python3
"""Checks screenshots of the program, taken at a screen scale, against its drawings.

Every picture must show pixel for pixel the drawing made for that scale, and every text of the
About window must stand whole. Each check is an argument; the exit status is 0 when all hold:
  buttons:SHOT.ppm   the main window's six picture buttons show the drawings for the scale
  tick:SHOT.ppm      the About window's button shows the tick drawn for the scale
  splash:SHOT.ppm    the splash window shows the splash drawn for the scale
  icon:XPROP.txt     every image of the window icon (xprop -notype 32c _NET_WM_ICON) is a
                     drawing of the window icon, and among them are the 16- and the 32-pixel
                     icon drawn for the scale (the small and the large icon Windows asks for)
  about:SHOT.ppm     the About window's e-mail line ends above its button, and the line under
                     the author's name is as long as the name
Usage: picture_checks.py RESOURCES SCALE CHECK...
"""

import itertools
import math
import os
import struct
import sys
import zlib

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from windows_screen_checks import Shot  # noqa: E402

# Client-area rectangles in logical pixels (twips / 15), the picture file and its size.
BUTTONS = {
    "cmdFund": ((8, 8, 25, 25), "exit.ico", 16),
    "cmdRrethProg": ((40, 8, 25, 25), "about.ico", 32),
    "cmdFillimDoc": ((88, 56, 17, 25), "arrow_up.ico", 32),
    "cmdFundDoc": ((112, 56, 17, 25), "arrow_down.ico", 32),
    "cmdKerkim": ((112, 104, 25, 25), "search.ico", 32),
    "cmdCopy": ((56, 152, 25, 25), "copy.ico", 32),
}
COMMAND1 = ((304, 224, 33, 33), "tick.ico", 32)
EMAIL_INK = (255, 255, 128)
NAVY = (0, 30, 80)
WHITE = (255, 255, 255)
# The author's name and the line under it, in logical pixels: the name's box from its top left
# corner, and the line's row.
AUTHOR = (32, 104, 16)
AUTHOR_LINE_Y = 120
# A button's bevel and a box's frame lie within this many logical pixels of its edge.
FRAME = 3


# ---------------------------------------------------------------------------
# The drawings


def read_ico(path):
    """The 4-bit images of an .ico file, by side: rows of (r, g, b) or None where clear."""
    data = open(path, "rb").read()
    count = struct.unpack_from("<H", data, 4)[0]
    images = {}
    for i in range(count):
        _, _, _, _, _, bits, _, offset = struct.unpack_from("<BBBBHHII", data, 6 + 16 * i)
        if bits != 4:
            continue
        header, width, double_height = struct.unpack_from("<Iii", data, offset)
        height = double_height // 2
        palette = [tuple(data[offset + header + 4 * k + c] for c in (2, 1, 0)) for k in range(16)]
        pixels = offset + header + 64
        xor_stride = (width * 4 + 31) // 32 * 4
        and_stride = (width + 31) // 32 * 4
        mask = pixels + xor_stride * height
        rows = []
        for y in range(height):
            src = height - 1 - y  # rows run bottom-up
            row = []
            for x in range(width):
                byte = data[pixels + src * xor_stride + x // 2]
                index = byte >> 4 if x % 2 == 0 else byte & 15
                clear = data[mask + src * and_stride + x // 8] & (0x80 >> (x % 8))
                row.append(None if clear else palette[index])
            rows.append(row)
        images[width] = rows
    return images


def read_bmp24(path):
    data = open(path, "rb").read()
    offset = struct.unpack_from("<I", data, 10)[0]
    width, height = struct.unpack_from("<ii", data, 18)
    stride = (width * 3 + 3) // 4 * 4
    rows = []
    for y in range(height):
        start = offset + (height - 1 - y) * stride
        rows.append([tuple(data[start + 3 * x + c] for c in (2, 1, 0)) for x in range(width)])
    return rows


def read_png_rgb(path):
    """An 8-bit RGB PNG written by tools/draw_pictures.py (every row with filter 0)."""
    data = open(path, "rb").read()
    pos, idat, width, height = 8, b"", 0, 0
    while pos < len(data):
        length, kind = struct.unpack_from(">I4s", data, pos)
        body = data[pos + 8 : pos + 8 + length]
        if kind == b"IHDR":
            width, height, depth, colour = struct.unpack_from(">IIBB", body)
            assert (depth, colour) == (8, 2), "not an 8-bit RGB PNG"
        elif kind == b"IDAT":
            idat += body
        pos += 12 + length
    raw = zlib.decompress(idat)
    stride = 1 + 3 * width
    rows = []
    for y in range(height):
        line = raw[y * stride : (y + 1) * stride]
        assert line[0] == 0, "a filtered row"
        rows.append([tuple(line[1 + 3 * x : 4 + 3 * x]) for x in range(width)])
    return rows


def device(logical, scale):
    """Logical pixels to device pixels, as resources/scales.txt says."""
    return int(math.floor(logical * scale + 0.5))


# ---------------------------------------------------------------------------
# The checks


def find_drawing(shot, drawing, area, guess, reach=3):
    """Looks for the drawing on the screenshot with its top left corner within reach of guess:
    every opaque pixel of it inside area (left, top, right, bottom, device pixels) must be the
    screenshot's. Returns (compared pixels, mismatches, (x, y)) of the best place."""
    left, top, right, bottom = area
    best = (0, 1 << 30, guess)
    for dy in range(-reach, reach + 1):
        for dx in range(-reach, reach + 1):
            ox, oy = guess[0] + dx, guess[1] + dy
            compared = wrong = 0
            for y, row in enumerate(drawing):
                sy = oy + y
                if not top <= sy < bottom:
                    continue
                for x, colour in enumerate(row):
                    sx = ox + x
                    if colour is None or not left <= sx < right:
                        continue
                    compared += 1
                    wrong += shot.pixel(sx, sy) != colour
            if (wrong, -compared) < (best[1], -best[0]):
                best = (compared, wrong, (ox, oy))
    return best


def check_button(shot, resources, scale, name, rect, picture, side, drop=0):
    """Whether the button shows the drawing for the scale. drop: how many logical pixels
    the button may stand lower than its place."""
    x, y, w, h = rect
    drawings = read_ico(os.path.join(resources, picture))
    size = device(side, scale)
    if size not in drawings:
        print(f"{name}: no {size}-pixel drawing in {picture}")
        return False
    best = (0, 1 << 30, None)
    for lower in range(drop + 1):
        inner = (
            device(x + FRAME, scale),
            device(y + lower + FRAME, scale),
            device(x + w - FRAME, scale),
            device(y + lower + h - FRAME, scale),
        )
        guess = (
            round((x + w / 2) * scale - size / 2),
            round((y + lower + h / 2) * scale - size / 2),
        )
        found = find_drawing(shot, drawings[size], inner, guess)
        if (found[1], -found[0]) < (best[1], -best[0]):
            best = found
    compared, wrong, place = best
    print(f"{name}: the {size}-pixel drawing, {compared} pixels compared, {wrong} differ")
    return place if compared >= 20 and wrong == 0 else None


def check_buttons(path, resources, scale):
    shot = Shot(path)
    ok = True
    for name, (rect, picture, side) in BUTTONS.items():
        ok &= check_button(shot, resources, scale, name, rect, picture, side) is not None
    return ok


def command1_top(shot, resources, scale):
    """The About window's button shows the tick drawn for the scale: the top of the button
    (device pixels), found from where its picture is, or None. A face taller than the one the
    window was drawn for moves the button down a few pixels."""
    (x, y, w, h), picture, side = COMMAND1
    place = check_button(shot, resources, scale, "Command1", (x, y, w, h), picture, side, drop=6)
    if place is None:
        return None
    return place[1] - round((h * scale - device(side, scale)) / 2)


def check_tick(path, resources, scale):
    return command1_top(Shot(path), resources, scale) is not None


def check_splash(path, resources, scale):
    shot = Shot(path)
    name = "splash.bmp" if scale == 1 else "splash@%gx.png" % scale
    file = os.path.join(resources, name)
    drawing = read_bmp24(file) if scale == 1 else read_png_rgb(file)
    wrong = sum(
        1
        for y in range(shot.height)
        for x in range(shot.width)
        if shot.pixel(x, y) != drawing[y][x]
    )
    print(f"splash: {shot.width}x{shot.height} pixels against {name}, {wrong} differ")
    width = int(os.environ["VELMORA_SPLASH_SIZE"].split("x")[0])  # set by e2e_common.sh
    return shot.width >= device(width, scale) - 1 and wrong == 0


def check_icon(path, resources, scale):
    """xprop prints _NET_WM_ICON as one list: width, height, then width * height ARGB values,
    for each image in turn."""
    text = open(path).read()
    values = [int(v, 0) for v in text.split("=", 1)[1].replace(",", " ").split()]
    drawings = read_ico(os.path.join(resources, "velmora.ico"))
    ok, sides, pos = True, set(), 0
    while pos + 2 <= len(values):
        width, height = values[pos], values[pos + 1]
        pixels = values[pos + 2 : pos + 2 + width * height]
        pos += 2 + width * height
        sides.add(width)
        drawing = drawings.get(width)
        if drawing is None or width != height:
            print(f"icon: a {width}x{height} image, for which no drawing was made")
            ok = False
            continue
        wrong = sum(
            1
            for i, argb in enumerate(pixels)
            if (argb >> 24) != 255
            or ((argb >> 16) & 255, (argb >> 8) & 255, argb & 255) != drawing[i // width][i % width]
        )
        print(f"icon: the {width}-pixel image, {wrong} pixels differ from the drawing")
        ok &= wrong == 0
    wanted = {device(16, scale), device(32, scale)}
    if not wanted <= sides:
        print(f"icon: images of {sorted(sides)} pixels, without {sorted(wanted - sides)}")
        ok = False
    return ok


def check_about(path, resources, scale):
    shot = Shot(path)
    ok = True
    # The button and the white focus ring drawn around it: the ring's rows found at the
    # button's middle column, within a few pixels of its edges.
    (x, y, w, h), _, _ = COMMAND1
    top = command1_top(shot, resources, scale)
    if top is None:
        return False
    left, right = device(x, scale), device(x + w, scale)
    bottom = top + device(h, scale) - 1
    middle = (left + right) // 2
    reach = device(5, scale)

    # The ring: past the gap beside the button, the white rows up to the first that is not (a
    # white letter a few rows further is a text, not the ring).
    def ring_rows(rows):
        rows = list(itertools.dropwhile(lambda sy: shot.pixel(middle, sy) != WHITE, rows))
        return list(itertools.takewhile(lambda sy: shot.pixel(middle, sy) == WHITE, rows))

    ring_above = ring_rows(range(top - 1, top - reach - 1, -1))
    ring_below = ring_rows(range(bottom + 1, bottom + reach + 1))
    drawn_top = min(ring_above, default=top)
    # The e-mail line above: none of its ink under what the button draws, nor next to it.
    ink = [
        (sx, sy)
        for sy in range(device(200, scale), top + device(8, scale))
        for sx in range(device(120, scale), right)
        if shot.pixel(sx, sy) == EMAIL_INK
    ]
    lowest = max((sy for _, sy in ink), default=-1)
    print(f"about: e-mail ink down to row {lowest}, the button and its ring from {drawn_top}")
    ok &= bool(ink) and lowest < drawn_top - 1
    # Where the focus ring shows, nothing touches it from above or below (the terms of use):
    # the rows just outside it are the window's navy across its width.
    edges = ([min(ring_above) - 1] if ring_above else []) + (
        [max(ring_below) + 1] if ring_below else []
    )
    for row in edges:
        touching = [sx for sx in range(left - reach, right + reach) if shot.pixel(sx, row) != NAVY]
        if touching:
            print(f"about: a text touches the button's ring in row {row} at {touching[:4]}")
            ok = False
    # The underline: at least as long as the name above it, both ends.
    name_x, name_y, name_h = AUTHOR
    white = WHITE
    name_ink = [
        sx
        for sy in range(device(name_y, scale), device(name_y + name_h, scale))
        for sx in range(device(name_x - 4, scale), device(200, scale))
        if min(shot.pixel(sx, sy)) >= 160  # white letters, their smoothed edges included
    ]
    line_y = device(AUTHOR_LINE_Y, scale)
    line = [
        sx
        for sx in range(device(name_x - 4, scale), device(200, scale))
        if shot.pixel(sx, line_y) == white
    ]
    if not name_ink or not line:
        print("about: no name or no line under it")
        return False
    print(
        f"about: the name from {min(name_ink)} to {max(name_ink)}, "
        f"its line from {min(line)} to {max(line)}"
    )
    return ok and min(line) <= min(name_ink) and max(line) >= max(name_ink)


def main():
    resources, scale = sys.argv[1], float(sys.argv[2])
    ok = True
    for check in sys.argv[3:]:
        name, _, path = check.partition(":")
        if name == "buttons":
            ok &= check_buttons(path, resources, scale)
        elif name == "tick":
            ok &= check_tick(path, resources, scale)
        elif name == "splash":
            ok &= check_splash(path, resources, scale)
        elif name == "icon":
            ok &= check_icon(path, resources, scale)
        elif name == "about":
            ok &= check_about(path, resources, scale)
        else:
            sys.exit(f"unknown check {check}")
    sys.exit(0 if ok else 1)


if __name__ == "__main__":
    main()
