#!/usr/bin/env python3
"""Writes books of shapes no writer makes on purpose, for timing the view on them.

Qt lays out a paragraph whole and keeps memory for every paragraph however short, so these are
the books that once froze the view or filled the memory:

    one-paragraph.rtf   one paragraph of 5 million characters, Albanian words and spaces
    line-breaks.rtf     one justified paragraph of 3.4 million characters, a \\line every 56
    short-letters.rtf   3 million paragraphs of one letter (18 MB)
    empty.rtf           16 million empty paragraphs (64 MB)
    no-breaks.rtf       one word of 5 million letters: no space or line break at all
    chinese.rtf         one paragraph of 2 million Chinese characters, a comma or stop every
                        few dozen, no space

    python3 bench/odd_books.py OUTDIR
    build/bin/bench_view OUTDIR/one-paragraph.rtf --stalls   (or --rss)

The words are chosen by a seeded generator, so the books are the same on every machine.
"""

import argparse
import pathlib
import random
import string

WORDS = ["fjal\\'eb", "libri", "hadithi", "profeti", "tha", "nj\\'eb", "dit\\'eb", "kur"]


def words(generator, count):
    return " ".join(generator.choice(WORDS) for _ in range(count))


def chinese(generator, count):
    """Characters of the commonest CJK block as \\u escapes, a comma or full stop after every 8 to
    40 of them."""
    text, until_pause = [], generator.randint(8, 40)
    for _ in range(count):
        if until_pause == 0:
            text.append(generator.choice(["\\u65292?", "\\u12290?"]))  # ， 。
            until_pause = generator.randint(8, 40)
        else:
            text.append(f"\\u{generator.randint(0x4E00, 0x9FA5)}?")
            until_pause -= 1
    return "".join(text)


def write(path, body):
    path.write_text("{\\rtf1\\ansi " + body + "\\par}", encoding="ascii")
    print(f"{path}: {path.stat().st_size / 1e6:.1f} MB")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("outdir", type=pathlib.Path)
    out = parser.parse_args().outdir
    out.mkdir(parents=True, exist_ok=True)
    generator = random.Random(1)
    write(out / "one-paragraph.rtf", words(generator, 830_000))
    lines = (words(generator, 10) for _ in range(60_000))
    write(out / "line-breaks.rtf", "\\qj " + "\\line ".join(lines))
    write(out / "short-letters.rtf", "a\\par\n" * 3_000_000)
    write(out / "empty.rtf", "\\par" * 16_000_000)
    alphabet = string.ascii_letters + string.digits + "+/"
    write(out / "no-breaks.rtf", "".join(generator.choices(alphabet, k=5_000_000)))
    write(out / "chinese.rtf", "\\uc1 " + chinese(generator, 2_000_000))


if __name__ == "__main__":
    main()
