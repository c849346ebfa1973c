#!/usr/bin/env bash
# import-libraries.sh ARCHITECTURE EXPORTS LIBDIR: links a consumer that calls
# every export through each import library and checks that every call imports
# the export name with its ordinal hint: each library with GNU ld (lld in
# MinGW mode on ARM64, which GNU ld does not know) and with lld-link, which on
# win32 links with /safeseh a consumer that clang compiled for the MSVC
# target. ARCHITECTURE is win32, win64 or arm64; EXPORTS is the list of
# exports, "name symbol ordinal" a line.
set -euo pipefail
architecture=$1 exports_list=$2 libdir=$3
case "$architecture" in
  win32) gcc=i686-w64-mingw32-gcc machine=x86 target=i686-windows-msvc entry=(-Wl,-e,0) safeseh=-safeseh ;;
  win64) gcc=x86_64-w64-mingw32-gcc machine=x64 target=x86_64-windows-msvc entry=(-Wl,-e,0) safeseh= ;;
  arm64) gcc="$(dirname "$0")/../../cmake/aarch64-w64-mingw32-clang" machine=arm64 target=aarch64-windows-msvc
    entry=(-nostdlib -Wl,-e,consume) safeseh= ;;
  *) echo "unknown architecture $architecture"; exit 2 ;;
esac
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# A stdcall symbol Name@N -> a declaration with N / 4 int arguments; a
# plain one (win64, arm64) -> one without.
entries=$(awk '{print $1, ($2 ~ /@/ ? $2 : $2 "@0"), $3}' "$exports_list")
{
  while read -r export symbol ordinal; do
    name=${symbol%@*} bytes=${symbol#*@}
    args=$(for ((i = 0; i < bytes / 4; ++i)); do printf 'int%s' $([ $i -lt $((bytes / 4 - 1)) ] && echo ,); done)
    echo "int __stdcall $name(${args:-void});"
  done <<<"$entries"
  echo "int __stdcall consume(void) { int sum = 0;"
  while read -r export symbol ordinal; do
    name=${symbol%@*} bytes=${symbol#*@}
    args=$(for ((i = 0; i < bytes / 4; ++i)); do printf '0%s' $([ $i -lt $((bytes / 4 - 1)) ] && echo ,); done)
    echo "  sum += $name($args);"
  done <<<"$entries"
  echo "  return sum; }"
} > "$work/consumer.c"
expected=$(awk '{print $3, $1}' "$exports_list" | sort)

"$gcc" -c "$work/consumer.c" -o "$work/consumer.o"
clang-16 --target=$target -c "$work/consumer.c" -o "$work/consumer.obj"
imports() {
  llvm-readobj --coff-imports "$1" |
    awk '/Name: Brindlewick.dll/ {on=1} /^}/ {on=0} on && /Symbol:/ {gsub(/[()]/, "", $3); print $3, $2}' | sort
}
# mingw LIBRARY and msvc LIBRARY: what the DLL linked by GNU ld or by
# lld-link imports, "ordinal name" a line.
mingw() {
  "$gcc" -shared -nostartfiles "${entry[@]}" -o "$work/mingw.dll" "$work/consumer.o" "$libdir/$1" && imports "$work/mingw.dll"
}
msvc() {
  lld-link -dll -noentry -machine:$machine $safeseh -out:"$work/msvc.dll" "$work/consumer.obj" "$libdir/$1" >/dev/null &&
    imports "$work/msvc.dll"
}

fail=0
for library in libBrindlewick.dll.a Brindlewick.lib; do
  for linker in mingw msvc; do
    got=$($linker "$library") || got="the link failed"
    if [ "$got" != "$expected" ]; then
      echo "$library linked by $linker: imports differ from the export definition"
      diff <(echo "$expected") <(echo "$got") || true
      fail=1
    fi
  done
done
[ "$fail" -eq 0 ] &&
  echo "both import libraries import all $(wc -l <<<"$expected") exports by name and ordinal with GNU ld and lld-link${safeseh:+ /safeseh}"
exit "$fail"
