#!/usr/bin/env python3
"""Runs rtfdump over a folder of RTF files with reference texts and reports how close it comes.

usage: corpus_report.py [--list] [--diff] RTFDUMP CORPUS_DIR
CORPUS_DIR holds rtf/NAME.rtf and expected/NAME.txt. A file "matches" when both texts are equal
after folding white space; similarity is difflib's ratio over the word sequences. --list prints
the similarity of each file that differs, --diff also the words that differ (first ten places)."""
import argparse
import difflib
import pathlib
import subprocess
import sys
import time


def words(text):
    return text.split()


def arguments():
    parser = argparse.ArgumentParser(
        description="Compare rtfdump's text with the reference texts of an RTF corpus."
    )
    parser.add_argument("rtfdump", help="the rtfdump executable")
    parser.add_argument("corpus", type=pathlib.Path, help="folder with rtf/ and expected/")
    parser.add_argument(
        "--list", action="store_true", help="the similarity of each file that differs"
    )
    parser.add_argument("--diff", action="store_true", help="also the words that differ")
    return parser.parse_args()


def main():
    args = arguments()
    rtfdump, corpus = args.rtfdump, args.corpus
    show = args.list or args.diff
    diff = args.diff
    total = matched = 0
    ratios, slow, failures = [], [], []
    for rtf in sorted((corpus / "rtf").glob("*.rtf")):
        expected = corpus / "expected" / (rtf.stem + ".txt")
        start = time.monotonic()
        try:
            run = subprocess.run([rtfdump, str(rtf)], capture_output=True, timeout=10)
        except subprocess.TimeoutExpired:
            failures.append((rtf.name, "timeout"))
            continue
        elapsed = time.monotonic() - start
        if elapsed > 1.0:
            slow.append((rtf.name, elapsed))
        if run.returncode not in (0, 1):
            failures.append((rtf.name, f"exit {run.returncode}"))
            continue
        if not expected.exists():
            continue
        total += 1
        got = words(run.stdout.decode("utf-8", "replace"))
        want = words(expected.read_text("utf-8-sig", "replace"))
        if got == want:
            matched += 1
            ratios.append(1.0)
            continue
        matcher = difflib.SequenceMatcher(None, got, want, autojunk=False)
        ratio = matcher.ratio() if len(got) + len(want) < 40000 else matcher.quick_ratio()
        ratios.append(ratio)
        if show:
            print(f"{ratio:.3f}\t{rtf.name}")
        if diff:
            places = [op for op in matcher.get_opcodes() if op[0] != "equal"]
            for _, a1, a2, b1, b2 in places[:10]:
                print(
                    f"\tparser: {' '.join(got[a1:a2])[:200]!r}"
                    f"  reference: {' '.join(want[b1:b2])[:200]!r}"
                )
    print(
        f"files with reference: {total}, equal after folding white space: {matched}"
        f" ({100.0 * matched / max(total, 1):.1f}%), mean word similarity:"
        f" {sum(ratios) / max(len(ratios), 1):.3f}"
    )
    for name, why in failures:
        print(f"FAILED {name}: {why}")
    for name, secs in slow:
        print(f"SLOW {name}: {secs:.2f}s")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
