#!/usr/bin/env python3
"""The parser's cases as files: beside each NAME.rtf, NAME.txt holds what rtfdump prints of it
and NAME.model what rtfdump --model prints. A case that prints otherwise fails with a diff, and
so does an output with no NAME.rtf beside it.

    rtf_cases.py [--run RUNNER] RTFDUMP FOLDER   checks every case (RUNNER: wine_run.sh, say)
    rtf_cases.py RTFDUMP FOLDER --update         writes the outputs again, once a change is
                                                 reviewed; a case rtfdump fails on is named and
                                                 left as it was
"""

import argparse
import concurrent.futures
import difflib
import subprocess
import sys
from pathlib import Path

OUTPUTS = {".txt": [], ".model": ["--model"]}


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--run", help="a program that runs rtfdump (Wine for rtfdump.exe)")
    parser.add_argument("rtfdump")
    parser.add_argument("folder", type=Path)
    parser.add_argument("--update", action="store_true")
    args = parser.parse_args()
    runner = [args.run] if args.run else []

    cases = sorted(args.folder.glob("*.rtf"))
    failed = []
    for orphan in sorted(p for s in OUTPUTS for p in args.folder.glob("*" + s)):
        if not orphan.with_suffix(".rtf").exists():
            failed.append(orphan.name)
            print(f"{orphan}: no {orphan.with_suffix('.rtf').name} beside it")
    # Several at a time: under Wine each run takes a second or more, mostly waiting.
    jobs = [(case, suffix, options) for case in cases for suffix, options in OUTPUTS.items()]
    with concurrent.futures.ThreadPoolExecutor(max_workers=4) as pool:
        runs = list(
            pool.map(
                lambda job: subprocess.run(
                    runner + [args.rtfdump, *job[2], str(job[0])], capture_output=True
                ),
                jobs,
            )
        )
    for (case, suffix, options), run in zip(jobs, runs):
        expected_file = case.with_suffix(suffix)
        if run.returncode != 0:
            failed.append(expected_file.name)
            print(f"rtfdump {' '.join(options + [case.name])} failed ({run.returncode}):")
            sys.stdout.write(run.stderr.decode(errors="replace"))
            continue
        if args.update:
            expected_file.write_bytes(run.stdout)
            continue
        expected = expected_file.read_bytes() if expected_file.exists() else b""
        if run.stdout == expected:
            continue
        failed.append(expected_file.name)
        sys.stdout.writelines(
            difflib.unified_diff(
                expected.decode(errors="replace").splitlines(keepends=True),
                run.stdout.decode(errors="replace").splitlines(keepends=True),
                str(expected_file),
                f"rtfdump {' '.join(options + [case.name])}",
            )
        )
    if failed or not cases:
        print(f"FAIL: {len(failed)} outputs of {len(cases)} cases")
        return 1
    print(f"{'wrote the outputs of' if args.update else 'PASS:'} {len(cases)} cases")
    return 0


if __name__ == "__main__":
    sys.exit(main())
