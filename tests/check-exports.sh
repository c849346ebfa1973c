#!/usr/bin/env bash
# check-exports.sh DLL DEF [win32|win64]: checks the export and import
# tables of the built DLL against the .def file: every name with its
# ordinal, the ordinal base, and imports from nothing but KERNEL32, USER32
# and msvcrt. The 64-bit DLL must not export the extender's entry points.
set -euo pipefail
dll=$1 def=$2 architecture=${3:-win32}
objdump=x86_64-w64-mingw32-objdump # reads both architectures
dump=$($objdump -p "$dll")
fail=0

format=$([ "$architecture" = win64 ] && echo pei-x86-64 || echo pei-i386)
grep -q "file format $format\$" <<<"$($objdump -f "$dll")" || { echo "not a $format file"; fail=1; }
grep -qE '^Name[[:space:]]+[0-9a-f]+ Brindlewick\.dll$' <<<"$dump" || { echo "export directory does not name Brindlewick.dll"; fail=1; }

lowest=$(awk '/@[0-9]+/ {sub(/.*@/, ""); print}' "$def" | sort -n | head -1)
base=$(awk '/^Ordinal Base/ {print $3}' <<<"$dump")
[ "$base" = "$lowest" ] || { echo "ordinal base $base, expected $lowest"; fail=1; }

# Exported names with their ordinals, as the export address table lists them.
exported=$(awk '/\[Ordinal\/Name Pointer\] Table/ {on=1; next} on && NF==0 {on=0} on {gsub(/[][]/, " "); print $1 + '"$base"', $2}' <<<"$dump" | sort)
expected=$(awk '$1 != "LIBRARY" && $1 != "EXPORTS" && NF {sub(/.*@/, "", $NF); print $NF, $1}' "$def" | sort)
if [ "$architecture" = win64 ] && grep -q WILExtender <<<"$exported$expected"; then
  echo "the 64-bit DLL exports the extender's entry points, whose records are 32-bit"
  fail=1
fi
if [ "$exported" != "$expected" ]; then
  echo "exports differ from the .def file:"
  diff <(echo "$expected") <(echo "$exported") || true
  fail=1
fi

imports=$(awk '/DLL Name:/ {print $3}' <<<"$dump" | sort -u | tr '\n' ' ')
for name in $imports; do
  case "$name" in KERNEL32.dll|USER32.dll|msvcrt.dll) ;; *) echo "unexpected import: $name"; fail=1 ;; esac
done
[ "$fail" -eq 0 ] && echo "exports and imports as defined: $(wc -l <<<"$expected") exports; imports $imports"
exit "$fail"
