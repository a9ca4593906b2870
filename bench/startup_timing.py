#!/usr/bin/env python3
"""Start-up timing of the built program on an X server of its own.

Runs build/bin/velmora several times in a folder holding the sample book, with the logging
category velmora.timing switched on (it only adds lines to stderr), and reports per run:
  - process start to the splash painted (goal: at most 150 ms),
  - main window shown to the book painted in the view (goal: at most 60 ms).
The program's timestamps are on the steady clock (CLOCK_MONOTONIC), as is time.monotonic_ns(),
so the process start is the moment just before it is spawned here.

    python3 bench/startup_timing.py [--runs 5] [--build build]
"""

import argparse
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time


def start_xvfb(work):
    display_file = os.path.join(work, "display")
    with open(display_file, "w") as out:
        xvfb = subprocess.Popen(
            [
                "Xvfb",
                "-displayfd",
                str(out.fileno()),
                "-screen",
                "0",
                "1280x1024x24",
                "-nolisten",
                "tcp",
            ],
            pass_fds=(out.fileno(),),
            stderr=subprocess.DEVNULL,
        )
    for _ in range(100):
        with open(display_file) as f:
            number = f.read().strip()
        if number:
            return xvfb, ":" + number
        time.sleep(0.1)
    xvfb.kill()
    sys.exit("Xvfb did not start")


def one_run(velmora, folder, display):
    env = dict(os.environ, DISPLAY=display, QT_LOGGING_RULES="velmora.timing.debug=true")
    env.pop("QT_QPA_PLATFORM", None)
    started = time.monotonic_ns()
    program = subprocess.Popen([velmora], cwd=folder, env=env, stderr=subprocess.PIPE, text=True)
    events = {}
    deadline = time.monotonic() + 20
    for line in program.stderr:
        if line.startswith("velmora.timing: "):
            words = line.split()
            events[" ".join(words[1:-1])] = int(words[-1])
        if "book painted" in events or time.monotonic() > deadline:
            break
    program.terminate()
    program.wait(timeout=10)
    needed = ("splash painted", "main window shown", "book painted")
    if not all(name in events for name in needed):
        sys.exit("missing timestamps: got %s" % sorted(events))
    return (
        (events["splash painted"] - started) / 1e6,
        (events["book painted"] - events["main window shown"]) / 1e6,
    )


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--build", default=os.path.join(os.path.dirname(__file__), "..", "build"))
    args = parser.parse_args()
    velmora = os.path.abspath(os.path.join(args.build, "bin", "velmora"))
    book = os.path.abspath(os.path.join(args.build, "book", "Velmora.rtf"))
    for needed in (velmora, book):
        if not os.path.exists(needed):
            sys.exit("missing %s: build the targets velmora and sample_book first" % needed)

    with tempfile.TemporaryDirectory() as work:
        shutil.copy(book, os.path.join(work, "Velmora.rtf"))
        xvfb, display = start_xvfb(work)
        try:
            splash, book_paint = [], []
            for run in range(args.runs):
                to_splash, to_book = one_run(velmora, work, display)
                splash.append(to_splash)
                book_paint.append(to_book)
                print(
                    "run %d: start to splash painted %6.1f ms, main window shown to book "
                    "painted %6.1f ms" % (run + 1, to_splash, to_book)
                )
        finally:
            xvfb.terminate()
            xvfb.wait()
    print(
        "median: start to splash %.1f ms (goal 150), shown to book %.1f ms (goal 60)"
        % (statistics.median(splash), statistics.median(book_paint))
    )


if __name__ == "__main__":
    main()
