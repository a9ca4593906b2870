#!/usr/bin/env python3
"""Checks a screenshot of the main window (a binary PPM of its client area at scale 1).

Each check is an argument; the exit status is 0 when all hold:
  buttons            every picture button shows its picture, not a blank face
  boxes              the number box, the search box and the size box each show their text
  view               the view shows text
  view-differs:FILE  the view shows something else than in the screenshot FILE
  pictures           the view shows the three pictures of pictures_book.py, each its size
Usage: windows_screen_checks.py SHOT.ppm CHECK...
"""

import sys

# Client-area rectangles in pixels (twips / 15): left, top, width, height.
BUTTONS = {
    "cmdFund": (8, 8, 25, 25),
    "cmdRrethProg": (40, 8, 25, 25),
    "cmdFillimDoc": (88, 56, 17, 25),
    "cmdFundDoc": (112, 56, 17, 25),
    "cmdKerkim": (112, 104, 25, 25),
    "cmdCopy": (56, 152, 25, 25),
}
# The boxes, with the width of the drop-down arrow at their right, which is no text.
BOXES = {
    "cmbNrHadithi": (8, 56, 65, 21, 18),
    "txtKerkim": (8, 104, 97, 21, 0),
    "CmbNrFonti": (8, 152, 41, 21, 18),
}
VIEW_LEFT = 144
# pictures_book.py's pictures: colour, width and height in pixels.
PICTURES = {
    "PNG": ((220, 20, 20), 80, 40),
    "JPEG": ((20, 20, 220), 60, 40),
    "metafile": ((20, 200, 20), 60, 40),
}
# A button's bevel and a box's frame are drawn within this many pixels of the edge.
FRAME = 3


def read_ppm(path):
    with open(path, "rb") as f:
        data = f.read()
    fields, pos = [], 0
    while len(fields) < 4:  # magic, width, height, maximum; comments start with '#'
        while data[pos : pos + 1].isspace():
            pos += 1
        if data[pos : pos + 1] == b"#":
            pos = data.index(b"\n", pos)
            continue
        end = pos
        while not data[end : end + 1].isspace():
            end += 1
        fields.append(data[pos:end])
        pos = end
    if fields[0] != b"P6" or fields[3] != b"255":
        raise ValueError(f"{path}: not an 8-bit binary PPM")
    width, height = int(fields[1]), int(fields[2])
    return width, height, data[pos + 1 :]


class Shot:
    def __init__(self, path):
        self.width, self.height, self.data = read_ppm(path)

    def pixel(self, x, y):
        i = 3 * (y * self.width + x)
        return self.data[i], self.data[i + 1], self.data[i + 2]

    def count(self, left, top, right, bottom, wanted):
        return sum(
            1
            for y in range(top, min(bottom, self.height))
            for x in range(left, min(right, self.width))
            if wanted(self.pixel(x, y))
        )


def dark(rgb):
    return sum(rgb) < 300


def ink(rgb):
    """A picture's pixel: dark, or a clear colour, unlike the greys of a button face."""
    return sum(rgb) < 240 or max(rgb) - min(rgb) > 90


def check_buttons(shot):
    ok = True
    for name, (left, top, width, height) in BUTTONS.items():
        pixels = shot.count(
            left + FRAME, top + FRAME, left + width - FRAME, top + height - FRAME, ink
        )
        print(f"{name}: {pixels} picture pixels")
        ok &= pixels >= 10
    return ok


def check_boxes(shot):
    ok = True
    for name, (left, top, width, height, arrow) in BOXES.items():
        right = left + width - arrow - FRAME
        pixels = shot.count(left + FRAME, top + FRAME, right, top + height - FRAME, dark)
        print(f"{name}: {pixels} text pixels")
        ok &= pixels >= 4
    return ok


def check_view(shot):
    pixels = shot.count(VIEW_LEFT, 0, shot.width, 150, dark)
    print(f"view: {pixels} text pixels in its first 150 rows")
    return pixels >= 100


def check_view_differs(shot, other_path):
    other = Shot(other_path)
    changed = sum(
        1
        for y in range(min(shot.height, other.height))
        for x in range(VIEW_LEFT, min(shot.width, other.width))
        if shot.pixel(x, y) != other.pixel(x, y)
    )
    print(f"view: {changed} pixels changed")
    return changed >= 500


def box_of(shot, colour):
    """left, top, right, bottom of the view's pixels near colour; None when there are none."""
    xs, ys = [], []
    for y in range(shot.height):
        for x in range(VIEW_LEFT, shot.width):
            if all(abs(a - b) < 40 for a, b in zip(shot.pixel(x, y), colour)):
                xs.append(x)
                ys.append(y)
    return (min(xs), min(ys), max(xs), max(ys)) if xs else None


def check_pictures(shot):
    ok = True
    for name, (colour, width, height) in PICTURES.items():
        box = box_of(shot, colour)
        if box is None:
            print(f"{name}: not drawn")
            ok = False
            continue
        w, h = box[2] - box[0] + 1, box[3] - box[1] + 1
        print(f"{name}: {w}x{h} at {box[0]},{box[1]}, {width}x{height} expected")
        ok &= abs(w - width) <= 2 and abs(h - height) <= 2
    return ok


def main():
    shot = Shot(sys.argv[1])
    ok = True
    for check in sys.argv[2:]:
        name, _, argument = check.partition(":")
        if name == "buttons":
            ok &= check_buttons(shot)
        elif name == "boxes":
            ok &= check_boxes(shot)
        elif name == "view":
            ok &= check_view(shot)
        elif name == "pictures":
            ok &= check_pictures(shot)
        elif name == "view-differs":
            ok &= check_view_differs(shot, argument)
        else:
            sys.exit(f"unknown check {check}")
    sys.exit(0 if ok else 1)


if __name__ == "__main__":
    main()
