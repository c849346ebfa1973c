#!/usr/bin/env bash
# reference.sh ROOT EXPORTS: every script function of the table and every
# export of the list ("name symbol ordinal" a line) is documented in the reference (and in the runner's help pointer).
set -euo pipefail
root=$1 exports_list=$2
doc="$root/docs/REFERENCE.md"
names=$(grep -oE '(function|constant)\([^"]*"[^"]+"' "$root/extender/script_functions.cpp" | grep -oE '"[^"]+"' | tr -d '"')
exports=$(awk '{print $1}' "$exports_list")
missing=0
for name in $names $exports; do
  grep -qF "\`$name\`" "$doc" || { echo "not in the reference: $name"; missing=1; }
done
grep -q 'docs/REFERENCE.md' "$root/README.md" || { echo "the README does not point to the reference"; missing=1; }
grep -q 'docs/REFERENCE.md' "$root/tools/bwcall.cpp" || { echo "bwcall --help does not point to the reference"; missing=1; }
[ "$missing" -eq 0 ] && echo "the reference covers $(wc -w <<<"$names") script functions and $(wc -w <<<"$exports") exports"
exit "$missing"
