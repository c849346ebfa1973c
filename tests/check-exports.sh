#!/usr/bin/env bash
# check-exports.sh DLL EXPORTS [win32|win64|arm64]: checks the built DLL against
# the list of exports ("name symbol ordinal" a line) and against what a DLL that runs inside other people's
# processes may carry: every name with its ordinal and the ordinal base;
# imports from nothing but KERNEL32, msvcrt and, for the 32-bit extender,
# USER32, and none of the thread, process, memory-protection,
# library-loading or exception functions below; at most 64 KiB; no
# thread-local data callbacks, constructors or pseudo-relocations, which no
# start-up code would run; the exploit mitigations switched on; no address
# the loader relocates (code pointers such as the script table's) and no
# import address in writable memory; and the PDB beside the DLL, which its
# debug directory names by file name and which resolves an export to its
# name and source line. The 64-bit and ARM64 DLLs must not export the
# extender's entry points.
set -euo pipefail
dll=$1 exports_list=$2 architecture=${3:-win32}
# The mingw-w64 objdump reads both x86 architectures, Debian's multiarch
# one ARM64 too.
objdump=$([ "$architecture" = arm64 ] && echo objdump || echo x86_64-w64-mingw32-objdump)
dump=$($objdump -p "$dll")
fail=0

# What security scanners flag in such a DLL, and what the C++ exception
# machinery and the C runtime's start-up bring along.
forbidden=(
  '*Thread' '*ThreadContext' '*ThreadPriority' '*ThreadAffinityMask' 'QueueUserAPC' 'Tls*' 'Sleep*'
  '_beginthread*' '_endthread*'
  '*Process' 'CreateProcess*' '*ProcessMemory' '*ProcessAffinityMask' 'DuplicateHandle' 'abort' 'exit' '_exit'
  'Virtual*'
  'LoadLibrary*' 'FreeLibrary*' 'GetProcAddress' 'GetModuleHandle*'
  'RaiseException' '*VectoredExceptionHandler' 'SetUnhandledExceptionFilter' 'IsDebuggerPresent'
)
largest_size=65536
most_tls_callbacks=0

case "$architecture" in
  win32) format=pei-i386 ;;
  win64) format=pei-x86-64 ;;
  arm64) format=pei-aarch64-little ;;
esac
grep -q "file format $format\$" <<<"$($objdump -f "$dll")" || { echo "not a $format file"; fail=1; }
grep -qE '^Name[[:space:]]+[0-9a-f]+ Brindlewick\.dll$' <<<"$dump" || { echo "export directory does not name Brindlewick.dll"; fail=1; }

lowest=$(awk '{print $3}' "$exports_list" | sort -n | head -1)
base=$(awk '/^Ordinal Base/ {print $3}' <<<"$dump")
[ "$base" = "$lowest" ] || { echo "ordinal base $base, expected $lowest"; fail=1; }

# Exported names with their ordinals, as the export address table lists them.
# The table ends at the first line that is not an entry (objdump may warn right after it).
exported=$(awk '/\[Ordinal\/Name Pointer\] Table/ {on=1; next} on && !/^\t\[/ {on=0} on {gsub(/[][]/, " "); print $1 + '"$base"', $2}' <<<"$dump" | sort)
expected=$(awk '{print $3, $1}' "$exports_list" | sort)
if [ "$architecture" != win32 ] && grep -q WILExtender <<<"$exported$expected"; then
  echo "the $architecture DLL exports the extender's entry points, whose records are 32-bit"
  fail=1
fi
if [ "$exported" != "$expected" ]; then
  echo "exports differ from the list:"
  diff <(echo "$expected") <(echo "$exported") || true
  fail=1
fi

allowed_imports=' KERNEL32.dll msvcrt.dll '
[ "$architecture" = win32 ] && allowed_imports+='USER32.dll '
# objdump 2.40 reads ARM64's import lookup entries as 32-bit ones and lists
# only the first function of each DLL: llvm-readobj lists ARM64's imports.
if [ "$architecture" = arm64 ]; then
  import_dump=$(llvm-readobj-16 --coff-imports "$dll")
  imports=$(awk '/^  Name:/ {print $2}' <<<"$import_dump" | sort -u | tr '\n' ' ')
else
  imports=$(awk '/DLL Name:/ {print $3}' <<<"$dump" | sort -u | tr '\n' ' ')
fi
for name in $imports; do
  [[ $allowed_imports == *" $name "* ]] || { echo "unexpected import: $name"; fail=1; }
done

# Imported functions: the member names under each "DLL Name:".
if [ "$architecture" = arm64 ]; then
  functions=$(awk '/^  Symbol:/ {print $2}' <<<"$import_dump")
else
  functions=$(awk '/^The Import Tables/ {on=1} /^The Export Tables/ {on=0} on && /^\t[0-9a-f]+\t +[0-9]+ +[^ ]+$/ {print $3}' <<<"$dump")
fi
for function in $functions; do
  for pattern in "${forbidden[@]}"; do
    # shellcheck disable=SC2053
    [[ $function == $pattern ]] && { echo "forbidden import: $function"; fail=1; }
  done
done

size=$(stat -c %s "$dll")
[ "$size" -le "$largest_size" ] || { echo "the DLL has $size bytes, more than $largest_size"; fail=1; }

# TLS callbacks: the directory's AddressOfCallBacks (its fourth pointer)
# points to a list of addresses that ends with 0. Addresses are mapped to
# the file through the section table.
pointer=$([ "$architecture" = win32 ] && echo 4 || echo 8)
image_base=$((16#$(awk '/^ImageBase/ {print $2}' <<<"$dump")))
sections=$($objdump -h "$dll" | awk '$1 ~ /^[0-9]+$/ {print $3, $4, $6}')
word_at() { # virtual address -> the pointer-sized word there
  local size vma offset
  while read -r size vma offset; do
    if (($1 >= 16#$vma && $1 < 16#$vma + 16#$size)); then
      od -An -t u$pointer -j $((16#$offset + $1 - 16#$vma)) -N $pointer "$dll" | tr -d ' '
      return
    fi
  done <<<"$sections"
  echo 0
}
tls_callbacks=0
tls_directory=$((16#$(awk '/Thread Storage Directory/ {print $3}' <<<"$dump")))
if ((tls_directory != 0)); then
  list=$(word_at $((image_base + tls_directory + 3 * pointer)))
  while ((list != 0)) && (($(word_at "$list") != 0)); do
    tls_callbacks=$((tls_callbacks + 1))
    list=$((list + pointer))
  done
fi
[ "$tls_callbacks" -le "$most_tls_callbacks" ] || { echo "$tls_callbacks TLS callbacks, at most $most_tls_callbacks"; fail=1; }

# The oldest Windows that loads the DLL: XP, XP x64 for the 64-bit one, and
# Windows 10, the first ARM64 Windows.
case "$architecture" in
  win32) oldest=5.1 ;;
  win64) oldest=5.2 ;;
  arm64) oldest=10.0 ;;
esac
for field in OSystem Subsystem; do
  version=$(awk "/^Major${field}Version/ {major = \$2} /^Minor${field}Version/ {print major \".\" \$2}" <<<"$dump")
  [ "$version" = "$oldest" ] || { echo "the headers ask for Windows $version ($field), not $oldest"; fail=1; }
done

# The exploit mitigations: address randomization, no executable data,
# Control Flow Guard; on x64 and ARM64 high-entropy addresses, on x64 CET
# shadow stacks, which ARM64 does not have, on x86 no SEH handlers or only
# those of a SafeSEH table.
characteristics=$((16#$(awk '/^DllCharacteristics/ {print $2}' <<<"$dump")))
mitigations=(DYNAMIC_BASE:0x40 NX_COMPAT:0x100 GUARD_CF:0x4000)
readobj=$(llvm-readobj-16 --coff-load-config --coff-debug-directory "$dll")
if [ "$architecture" = win64 ]; then
  mitigations+=(HIGH_ENTROPY_VA:0x20)
  grep -q IMAGE_DLL_CHARACTERISTICS_EX_CET_COMPAT <<<"$readobj" || { echo "not marked CET-compatible"; fail=1; }
elif [ "$architecture" = arm64 ]; then
  mitigations+=(HIGH_ENTROPY_VA:0x20)
elif (($(awk '/SEHandlerCount:/ {print $2}' <<<"$readobj") == 0)); then
  mitigations+=(NO_SEH:0x400)
fi
for mitigation in "${mitigations[@]}"; do
  ((characteristics & ${mitigation#*:})) || { echo "no ${mitigation%:*}"; fail=1; }
done
grep -q 'GuardCFFunctionTable: 0x[0-9A-F]*[1-9A-F]' <<<"$readobj" || { echo "no Control Flow Guard function table"; fail=1; }

# Writable sections as RVA ranges; no base relocation and no import address
# may lie in one.
hex='function hex(s, n, i) { for (i = 1; i <= length(s); i++) n = n * 16 + index("0123456789abcdef", substr(tolower(s), i, 1)) - 1; return n }'
writable=$($objdump -h "$dll" | awk -v base="$image_base" "$hex"'$1 ~ /^[0-9]+$/ {size = $3; vma = $4; next}
  size != "" && /ALLOC/ && !/READONLY/ {print hex(vma) - base, hex(size)} {size = ""}')
in_writable() { # RVA... -> those inside a writable section
  awk -v ranges="$writable" 'BEGIN {n = split(ranges, r, /[ \n]/)}
    {for (i = 1; i < n; i += 2) if ($1 >= r[i] && $1 < r[i] + r[i + 1]) print $1}'
}
relocated=$(awk "$hex"'/^\treloc / && $6 != "ABSOLUTE" {gsub(/[][]/, "", $5); print hex($5)}' <<<"$dump" | in_writable)
[ -z "$relocated" ] || { echo "addresses the loader relocates lie in writable sections: $(wc -w <<<"$relocated")"; fail=1; }
iat=$(awk "$hex"'/Import Address Table Directory/ {print hex($3)}' <<<"$dump" | in_writable)
[ -z "$iat" ] || { echo "the import address table is writable"; fail=1; }

# The PDB: named by file name alone, and with names and lines. Its public
# symbols also place the lists that a C runtime's start-up would walk.
pdb=${dll%.dll}.pdb
grep -q "pdb $(basename "$pdb"))\$" <<<"$dump" || { echo "the debug directory does not name $(basename "$pdb")"; fail=1; }
publics=$(llvm-pdbutil-16 dump --publics "$pdb" 2>&1) || { echo "no PDB $pdb"; fail=1; }
address_of() { # public symbol -> its virtual address, or 0
  local place section offset
  place=$(awk -v name="\`$1\`" '$NF == name {getline; sub(/.*addr = /, ""); print; exit}' <<<"$publics")
  [ -n "$place" ] || { echo 0; return; }
  section=$((10#${place%:*})) offset=$((10#${place#*:}))
  echo $((16#$(awk -v n="$section" 'NR == n {print $2}' <<<"$sections") + offset))
}
prefix=$([ "$architecture" = win32 ] && echo _ || true)
constructors=$(address_of "${prefix}__CTOR_LIST__")
((constructors == 0)) || (($(word_at $((constructors + pointer))) == 0)) || { echo "constructors to run"; fail=1; }
(($(address_of "${prefix}__RUNTIME_PSEUDO_RELOC_LIST__") == $(address_of "${prefix}__RUNTIME_PSEUDO_RELOC_LIST_END__"))) ||
  { echo "pseudo-relocations to apply"; fail=1; }
export=$([ "$architecture" = win32 ] && echo _FormatNowAR8J@8 || echo FormatNowAR8J)
symbolized=$(llvm-symbolizer-16 --obj="$dll" "$(address_of "$export")" 2>&1 | head -2 | tr '\n' ' ')
[[ $symbolized =~ ^FormatNowAR8J\ .*format\.cpp:[1-9] ]] || { echo "the PDB resolves FormatNowAR8J to: $symbolized"; fail=1; }

[ "$fail" -eq 0 ] && echo "exports and imports as defined: $(wc -l <<<"$expected") exports; imports" \
  "$(wc -w <<<"$functions") functions from $imports; $size bytes; $tls_callbacks TLS callbacks;" \
  "mitigations and the PDB in place"
exit "$fail"
