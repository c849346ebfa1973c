#!/usr/bin/env bash
# reference.sh ROOT EXPORTS BWCALL: every script function of the DLL's table,
# as the runner enumerates it (BWCALL --list), and every export of the list
# ("name symbol ordinal" a line) is documented in the reference (and in the
# runner's help pointer).
set -euo pipefail
root=$1 exports_list=$2 bwcall=$3
doc="$root/docs/REFERENCE.md"
listing=$("$root/cmake/wine-run" "$bwcall" --list | tr -d '\r')
# A row is the id, then a function as "Name(arguments)" or a constant as
# "NAME = value".
names=$(sed -nE 's/^ *[0-9]+ +([A-Za-z_][A-Za-z0-9_]*)( = |\().*/\1/p' <<<"$listing")
[ -n "$names" ] || { echo "bwcall --list named no function"; exit 1; }
exports=$(awk '{print $1}' "$exports_list")
missing=0
for name in $names $exports; do
  grep -qF "\`$name\`" "$doc" || { echo "not in the reference: $name"; missing=1; }
done
grep -q 'docs/REFERENCE.md' "$root/README.md" || { echo "the README does not point to the reference"; missing=1; }
grep -q 'docs/REFERENCE.md' "$root/tools/bwcall.cpp" || { echo "bwcall --help does not point to the reference"; missing=1; }
[ "$missing" -eq 0 ] && echo "the reference covers $(wc -w <<<"$names") script functions and $(wc -w <<<"$exports") exports"
exit "$missing"
