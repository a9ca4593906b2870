#!/usr/bin/env python3
"""Whole-process timing of rtfdump on one book, optionally side by side with another command.

Each run starts the process, lets it write its text to /dev/null and waits for it to end, so the
figure includes start-up, reading, converting and writing. Runs of the commands are interleaved,
so that the machine's drift falls on all of them alike. Prints each command's minimum, median,
middle half and maximum in milliseconds, and with --against the ratio of the medians.

    python3 bench/process_timing.py BOOK [--rtfdump build/bin/rtfdump] [--runs 21]
        [--against "OTHER COMMAND"]   (the book's path is appended to OTHER COMMAND)

make_book BOOK --libreoffice writes a book with the control words LibreOffice writes.
"""

import argparse
import shlex
import statistics
import subprocess
import time


def time_once(command):
    start = time.perf_counter()
    subprocess.run(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=False)
    return (time.perf_counter() - start) * 1000


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("book")
    parser.add_argument("--rtfdump", default="build/bin/rtfdump")
    parser.add_argument("--runs", type=int, default=21)
    parser.add_argument("--against", help="another command, given the book as its last argument")
    args = parser.parse_args()

    commands = {"rtfdump": [args.rtfdump, args.book]}
    if args.against:
        commands[args.against] = shlex.split(args.against) + [args.book]
    for command in commands.values():
        time_once(command)  # the book into the page cache, the programs' libraries loaded
    times = {name: [] for name in commands}
    for _ in range(args.runs):
        for name, command in commands.items():
            times[name].append(time_once(command))
    for name, runs in times.items():
        low, median, high = statistics.quantiles(runs, n=4)
        print(
            f"{name}: min {min(runs):.1f} ms, median {median:.1f} ms"
            f" (middle half {low:.1f} to {high:.1f}), max {max(runs):.1f} ms"
        )
    if args.against:
        ratio = statistics.median(times[args.against]) / statistics.median(times["rtfdump"])
        print(f"median ratio: {ratio:.1f}")


if __name__ == "__main__":
    main()
