#!/usr/bin/env python3
"""The parser's cases as files: beside each NAME.rtf, NAME.txt holds what rtfdump prints of it
and NAME.model what rtfdump --model prints. A case that prints otherwise fails with a diff.

    rtf_cases.py RTFDUMP FOLDER            checks every case
    rtf_cases.py RTFDUMP FOLDER --update   writes the outputs again, once a change is reviewed
"""

import difflib
import subprocess
import sys
from pathlib import Path

OUTPUTS = {".txt": [], ".model": ["--model"]}


def main(rtfdump, folder, update=False):
    cases = sorted(Path(folder).glob("*.rtf"))
    failed = []
    for case in cases:
        for suffix, options in OUTPUTS.items():
            run = subprocess.run([rtfdump, *options, case], capture_output=True)
            expected_file = case.with_suffix(suffix)
            if update:
                expected_file.write_bytes(run.stdout)
                continue
            expected = expected_file.read_bytes() if expected_file.exists() else b""
            if run.returncode == 0 and run.stdout == expected:
                continue
            failed.append(expected_file.name)
            sys.stdout.write(run.stderr.decode(errors="replace"))
            sys.stdout.writelines(
                difflib.unified_diff(
                    expected.decode(errors="replace").splitlines(keepends=True),
                    run.stdout.decode(errors="replace").splitlines(keepends=True),
                    str(expected_file),
                    f"rtfdump {' '.join(options + [case.name])}",
                )
            )
    if update:
        print(f"wrote the outputs of {len(cases)} cases")
    elif failed or not cases:
        print(f"FAIL: {len(failed)} outputs of {len(cases)} cases differ")
    else:
        print(f"PASS: {len(cases)} cases")
    return 1 if failed or not cases else 0


if __name__ == "__main__":
    if len(sys.argv) not in (3, 4) or sys.argv[3:] not in ([], ["--update"]):
        sys.exit("usage: rtf_cases.py RTFDUMP FOLDER [--update]")
    sys.exit(main(sys.argv[1], sys.argv[2], update=len(sys.argv) == 4))
