#!/usr/bin/env bash
# check-exports.sh DLL EXPORTS [win32|win64]: checks the built DLL against
# the list of exports ("name symbol ordinal" a line) and against what a DLL that runs inside other people's
# processes may carry: every name with its ordinal and the ordinal base;
# imports from nothing but KERNEL32, USER32 and msvcrt, and none of the
# thread, process, memory-protection, library-loading or exception functions
# below; at most 64 KiB; no thread-local data callbacks. The 64-bit DLL must
# not export the extender's entry points.
set -euo pipefail
dll=$1 exports_list=$2 architecture=${3:-win32}
objdump=x86_64-w64-mingw32-objdump # reads both architectures
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

format=$([ "$architecture" = win64 ] && echo pei-x86-64 || echo pei-i386)
grep -q "file format $format\$" <<<"$($objdump -f "$dll")" || { echo "not a $format file"; fail=1; }
grep -qE '^Name[[:space:]]+[0-9a-f]+ Brindlewick\.dll$' <<<"$dump" || { echo "export directory does not name Brindlewick.dll"; fail=1; }

lowest=$(awk '{print $3}' "$exports_list" | sort -n | head -1)
base=$(awk '/^Ordinal Base/ {print $3}' <<<"$dump")
[ "$base" = "$lowest" ] || { echo "ordinal base $base, expected $lowest"; fail=1; }

# Exported names with their ordinals, as the export address table lists them.
exported=$(awk '/\[Ordinal\/Name Pointer\] Table/ {on=1; next} on && NF==0 {on=0} on {gsub(/[][]/, " "); print $1 + '"$base"', $2}' <<<"$dump" | sort)
expected=$(awk '{print $3, $1}' "$exports_list" | sort)
if [ "$architecture" = win64 ] && grep -q WILExtender <<<"$exported$expected"; then
  echo "the 64-bit DLL exports the extender's entry points, whose records are 32-bit"
  fail=1
fi
if [ "$exported" != "$expected" ]; then
  echo "exports differ from the list:"
  diff <(echo "$expected") <(echo "$exported") || true
  fail=1
fi

imports=$(awk '/DLL Name:/ {print $3}' <<<"$dump" | sort -u | tr '\n' ' ')
for name in $imports; do
  case "$name" in KERNEL32.dll|USER32.dll|msvcrt.dll) ;; *) echo "unexpected import: $name"; fail=1 ;; esac
done

# Imported functions: the member names under each "DLL Name:".
functions=$(awk '/^The Import Tables/ {on=1} /^The Export Tables/ {on=0} on && /^\t[0-9a-f]+\t +[0-9]+ +[^ ]+$/ {print $3}' <<<"$dump")
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
pointer=$([ "$architecture" = win64 ] && echo 8 || echo 4)
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

[ "$fail" -eq 0 ] && echo "exports and imports as defined: $(wc -l <<<"$expected") exports; imports" \
  "$(wc -w <<<"$functions") functions from $imports; $size bytes; $tls_callbacks TLS callbacks"
exit "$fail"
