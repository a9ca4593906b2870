#!/usr/bin/env bash
# The tracked sources keep one format: C++ as .clang-format says, Python as black does (with
# pyproject.toml). A difference fails, naming the files; `clang-format -i FILE` and `black FILE`
# mend them.
# Usage: format_check.sh <source folder>
set -uo pipefail
cd "$1" || exit 1
command -v clang-format >/dev/null || { echo "FAIL: clang-format is missing (./test installs it)"; exit 1; }
command -v black >/dev/null || { echo "FAIL: black is missing (./test installs it)"; exit 1; }
status=0
mapfile -t cpp < <(git ls-files '*.cpp' '*.h')
mapfile -t python < <(git ls-files '*.py')
clang-format --dry-run -Werror "${cpp[@]}" || status=1
black --check --quiet "${python[@]}" || { black --check "${python[@]}" 2>&1 | grep would; status=1; }
(( status == 0 )) && echo "PASS: ${#cpp[@]} C++ and ${#python[@]} Python files in their format"
exit $status
