#!/usr/bin/env bash
# check-format.sh ROOT: every C and C++ source of the repository, tracked or
# new, is laid out as .clang-format says.
set -euo pipefail
cd "$1"
mapfile -t files < <(git ls-files --cached --others --exclude-standard '*.c' '*.cpp' '*.h' '*.hpp')
[ ${#files[@]} -gt 0 ] || { echo "no sources found"; exit 1; }
clang-format --dry-run --Werror "${files[@]}"
echo "${#files[@]} sources laid out as .clang-format says"
