#!/usr/bin/env python3
"""Writes a small book of three pictures as a word processor embeds them: a red PNG of 80 by 40
pixels, a blue JPEG of 60 by 40 and a Windows metafile that fills 60 by 40 with green, each
shown at its size (15 twips a pixel). windows_screen_checks.py's check "pictures" finds them.

    pictures_book.py OUT.rtf          (the JPEG is made with ImageMagick's convert)
"""
import struct
import subprocess
import sys
import zlib

RED, BLUE, GREEN = (220, 20, 20), (20, 20, 220), (20, 200, 20)


def png(width, height, rgb):
    def chunk(kind, data):
        return (
            struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
        )

    rows = b"".join(b"\0" + bytes(rgb) * width for _ in range(height))
    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
    return (
        b"\x89PNG\r\n\x1a\n"
        + chunk(b"IHDR", header)
        + chunk(b"IDAT", zlib.compress(rows))
        + chunk(b"IEND", b"")
    )


def jpeg(width, height, rgb):
    colour = "rgb(%d,%d,%d)" % rgb
    return subprocess.run(
        ["convert", "-size", f"{width}x{height}", f"xc:{colour}", "-quality", "95", "jpg:-"],
        check=True,
        capture_output=True,
    ).stdout


def metafile(width, height, rgb):
    def record(function, *words):
        return struct.pack("<IH", 3 + len(words), function) + struct.pack(f"<{len(words)}H", *words)

    colour = rgb[0] | rgb[1] << 8
    body = (
        record(0x020C, height, width)  # SetWindowExt
        + record(0x02FC, 0, colour, rgb[2], 0)  # CreateBrushIndirect, solid
        + record(0x012D, 0)  # SelectObject
        + record(0x02FA, 5, 0, 0, 0, 0)  # CreatePenIndirect, no pen
        + record(0x012D, 1)
        + record(0x041B, height, width, 0, 0)  # Rectangle
        + record(0x0000)
    )
    header = struct.pack("<HHHIHIH", 1, 9, 0x300, 9 + len(body) // 2, 2, 8, 0)
    return header + body


def pict(words, data):
    return "{\\pict%s\n%s}" % (words, data.hex())


def main():
    book = (
        "{\\rtf1\\ansi{\\fonttbl{\\f0 Times New Roman;}}\\f0\\fs24 Fotografi\\par "
        + pict("\\pngblip\\picwgoal1200\\pichgoal600", png(80, 40, RED))
        + "\\par "
        + pict("\\jpegblip\\picwgoal900\\pichgoal600", jpeg(60, 40, BLUE))
        + "\\par "
        + pict(
            "\\wmetafile8\\picw1587\\pich1058\\picwgoal900\\pichgoal600", metafile(60, 40, GREEN)
        )
        + "\\par Fund.\\par}"
    )
    with open(sys.argv[1], "w", encoding="ascii") as out:
        out.write(book)


if __name__ == "__main__":
    main()
