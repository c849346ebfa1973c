#!/usr/bin/env bash
# reproducible.sh SOURCE BUILD TOOLCHAIN: builds Brindlewick.dll again, in a
# folder of another name and depth and without a compiler cache, and compares
# the DLL, its debug symbols and its PDB byte for byte with those of BUILD.
set -euo pipefail
src=$1 build=$2 toolchain=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
unset CMAKE_C_COMPILER_LAUNCHER CMAKE_CXX_COMPILER_LAUNCHER
cmake -S "$src" -B "$work/again/build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$work/again/build" --target Brindlewick -j 2 >/dev/null
for file in Brindlewick.dll Brindlewick.dll.debug Brindlewick.pdb; do
  cmp "$build/$file" "$work/again/build/$file" || { echo "two builds give different $file"; exit 1; }
done
echo "two builds give the same Brindlewick.dll ($(stat -c %s "$build/Brindlewick.dll") bytes), debug symbols and PDB"
