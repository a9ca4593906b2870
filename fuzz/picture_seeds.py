#!/usr/bin/env python3
"""Writes the pictures of RTF files as inputs of the picture fuzzer (fuzz_pictures.cpp): a kind,
\\picw, \\pich, \\picwbpl and bits per pixel, a size to draw at, then the picture's bytes.

    fuzz/picture_seeds.py OUT_DIR FILE.rtf...

Only hex pictures are taken, and at most MAX_BYTES of each: seeds are starting points, and the
fuzzer's inputs are short.
"""
import hashlib
import re
import struct
import sys
from pathlib import Path

MAX_BYTES = 16384
# The harness's kinds, in rtf::Picture::Kind's order.
KINDS = {
    b"pngblip": 1,
    b"jpegblip": 2,
    b"emfblip": 3,
    b"wmetafile": 4,
    b"dibitmap": 5,
    b"wbitmap": 6,
    b"pmmetafile": 7,
    b"macpict": 8,
}
WORD = re.compile(rb"\\([a-z]+)(-?\d+)? ?")
HEX = re.compile(rb"[0-9a-fA-F\s]+")


def pictures(rtf):
    """(kind, width, height, bytes per line, bits per pixel, bytes) of each \\pict group."""
    for start in (m.end() for m in re.finditer(rb"\\pict(?![a-z])", rtf)):
        at, kind, numbers = start, 0, {}
        while True:
            word = WORD.match(rtf, at)
            if word is None:
                break
            name, value = word.group(1), int(word.group(2) or 0)
            kind = KINDS.get(name, kind)
            numbers[name] = value
            at = word.end()
        while at < len(rtf) and rtf[at : at + 1] == b"{":  # \*\blipuid and the like
            at = rtf.find(b"}", at) + 1
            at = WORD.match(rtf, at).end() if WORD.match(rtf, at) else at
        digits = HEX.match(rtf, at)
        if digits is None:
            continue
        text = re.sub(rb"\s", b"", digits.group(0))[: 2 * MAX_BYTES]
        data = bytes.fromhex(text[: len(text) // 2 * 2].decode())
        bits = numbers.get(b"wbmbitspixel", numbers.get(b"picbpp", 0))
        bpl = numbers.get(b"picwbpl", numbers.get(b"wbmwidthbytes", 0))
        yield kind, numbers.get(b"picw", 0), numbers.get(b"pich", 0), bpl, bits, data


def clamp16(value):
    return max(-32768, min(32767, value))


def main():
    out = Path(sys.argv[1])
    out.mkdir(parents=True, exist_ok=True)
    count = 0
    for name in sys.argv[2:]:
        for kind, width, height, bpl, bits, data in pictures(Path(name).read_bytes()):
            seed = (
                struct.pack(
                    "<BhhhBBB",
                    kind,
                    clamp16(width),
                    clamp16(height),
                    clamp16(bpl),
                    bits & 0xFF,
                    31,
                    23,
                )
                + data
            )
            (out / hashlib.sha1(seed).hexdigest()[:16]).write_bytes(seed)
            count += 1
    print(f"{count} pictures written to {out}")


if __name__ == "__main__":
    main()
