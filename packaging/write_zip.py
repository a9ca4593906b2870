#!/usr/bin/env python3
"""Writes a zip that depends on nothing but the files' names and bytes: entries in the order
given, every one dated by SOURCE_DATE_EPOCH, with no owner, permissions or other extra fields.
(CMake's own zip writer keeps each file's change time, which no one can set.)

Usage: write_zip.py ZIP FOLDER NAME... (the names relative to FOLDER)"""

import os
import sys
import time
import zipfile


def main():
    out, folder, names = sys.argv[1], sys.argv[2], sys.argv[3:]
    stamp = time.gmtime(int(os.environ["SOURCE_DATE_EPOCH"]))[:6]
    with zipfile.ZipFile(out, "w") as archive:
        for name in names:
            entry = zipfile.ZipInfo(name, date_time=stamp)
            entry.compress_type = zipfile.ZIP_DEFLATED
            with open(os.path.join(folder, name), "rb") as f:
                archive.writestr(entry, f.read(), compresslevel=9)


if __name__ == "__main__":
    main()
