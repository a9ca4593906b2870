#!/usr/bin/env python3
"""Prints a Windows shortcut's target and working folder, one per line, as Windows paths.

Reads the Shell Link format ([MS-SHLLINK]): the target from the link information's local base
path (or the relative path), the working folder from the string data.
Usage: lnk_target.py FILE.lnk
"""

import struct
import sys

HAS_ID_LIST, HAS_LINK_INFO, HAS_NAME, HAS_RELATIVE_PATH, HAS_WORKING_DIR, IS_UNICODE = (
    0x1,
    0x2,
    0x4,
    0x8,
    0x10,
    0x80,
)


def read_lnk(data):
    header_size, flags = struct.unpack_from("<I16xI", data, 0)
    if header_size != 0x4C:
        raise ValueError("not a shell link")
    pos = header_size
    if flags & HAS_ID_LIST:
        pos += 2 + struct.unpack_from("<H", data, pos)[0]
    target = None
    if flags & HAS_LINK_INFO:
        info_size, info_header, info_flags = struct.unpack_from("<III", data, pos)
        base_offset = struct.unpack_from("<I", data, pos + 16)[0]
        if info_flags & 1:  # VolumeIDAndLocalBasePath
            if info_header >= 0x24:
                start = end = pos + struct.unpack_from("<I", data, pos + 28)[0]
                while data[end : end + 2] != b"\0\0":
                    end += 2
                target = data[start:end].decode("utf-16-le")
            else:
                end = data.index(b"\0", pos + base_offset)
                target = data[pos + base_offset : end].decode("latin-1")
        pos += info_size

    def string():
        nonlocal pos
        count = struct.unpack_from("<H", data, pos)[0]
        pos += 2
        size = count * 2 if flags & IS_UNICODE else count
        raw = data[pos : pos + size]
        pos += size
        return raw.decode("utf-16-le" if flags & IS_UNICODE else "latin-1")

    if flags & HAS_NAME:
        string()
    relative = string() if flags & HAS_RELATIVE_PATH else None
    working = string() if flags & HAS_WORKING_DIR else None
    return target or relative, working


def main():
    with open(sys.argv[1], "rb") as f:
        target, working = read_lnk(f.read())
    print(target or "")
    print(working or "")


if __name__ == "__main__":
    main()
