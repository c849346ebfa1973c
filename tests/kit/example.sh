#!/usr/bin/env bash
# example.sh SOURCE BUILD KIT ARCHITECTURE: makes the ZIP kit KIT.zip,
# unpacks it, checks that it is complete, builds the example against it with
# find_package alone and runs it under Wine; a project of the other
# architecture must be refused with a message naming the right kit.
set -euo pipefail
src=$1 build=$2 kit=$3 architecture=$4
case "$architecture" in
  win32) toolchain=mingw-i686 prefix=i686-w64-mingw32 other=win64 other_toolchain=mingw-x86_64 ;;
  win64) toolchain=mingw-x86_64 prefix=x86_64-w64-mingw32 other=win32 other_toolchain=mingw-i686 ;;
esac
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

(cd "$build" && cpack -G ZIP >/dev/null)
unzip -q "$build/$kit.zip" -d "$work/package"
files=(README.md LICENSE CHANGELOG.md bin/Brindlewick.dll bin/Brindlewick.dll.debug bin/Brindlewick.pdb
  include/Brindlewick.h include/BrindlewickCodes.h include/BrindlewickVersion.h lib/libBrindlewick.dll.a lib/Brindlewick.lib
  lib/Brindlewick.def lib/cmake/Brindlewick/BrindlewickConfig.cmake lib/pkgconfig/brindlewick.pc
  share/doc/Brindlewick/REFERENCE.md share/doc/Brindlewick/examples/log_example.c)
[ "$architecture" = win64 ] || files+=(include/BrindlewickExtender.h bin/bwcall.exe)
for file in "${files[@]}"; do
  [ -s "$work/package/$file" ] || { echo "$kit.zip lacks $file"; exit 1; }
done
[ "$architecture" = win32 ] || [ ! -e "$work/package/include/BrindlewickExtender.h" ] ||
  { echo "$kit.zip holds the 32-bit extender header"; exit 1; }

# The symbols: a DLL without them that names its .debug file by name and
# CRC-32 (the gzip trailer's), and the file that has them.
dll="$work/package/bin/Brindlewick.dll"
"$prefix-objcopy" --dump-section .gnu_debuglink="$work/debuglink" "$dll"
crc=$(gzip -c "$dll.debug" | tail -c 8 | head -c 4 | od -An -tx4 | tr -d ' ')
link=$(od -An -tx4 -j $(( $(stat -c %s "$work/debuglink") - 4 )) "$work/debuglink" | tr -d ' ')
[ "$(head -c 21 "$work/debuglink")" = Brindlewick.dll.debug ] && [ "$crc" = "$link" ] ||
  { echo "the DLL does not link its debug symbols"; exit 1; }
"$prefix-objdump" -h "$dll.debug" | grep -q '\.debug_info' || { echo "no debug information"; exit 1; }
! "$prefix-objdump" -h "$dll" | grep -q '\.debug_' || { echo "the DLL is not stripped"; exit 1; }

configure() {
  cmake -S "$work/package/share/doc/Brindlewick/examples" -B "$work/$1" -DCMAKE_TOOLCHAIN_FILE="$src/cmake/$2.cmake" \
    -DCMAKE_PREFIX_PATH="$work/package" -DCMAKE_C_FLAGS="-Wall -Wextra -Werror"
}
if configure wrong "$other_toolchain" >"$work/wrong.log" 2>&1 || ! grep -qF "${kit%-*}-$other.zip" "$work/wrong.log"; then
  echo "a project of the other architecture was not refused clearly:"
  cat "$work/wrong.log"
  exit 1
fi
configure example "$toolchain" >/dev/null
cmake --build "$work/example" >/dev/null
cp "$dll" "$work/example/"

# pkg-config gives what a build without CMake needs.
flags=$(PKG_CONFIG_PATH="$work/package/lib/pkgconfig" pkg-config --cflags --libs brindlewick)
"$prefix-gcc" -Wall -Wextra -Werror "$work/package/share/doc/Brindlewick/examples/log_example.c" $flags -o "$work/pkg-config.exe"

cd "$work/example"
printf 'earlier entry\r\n' > example.log
output=$("$src/cmake/wine-run" log_example.exe example.log | tr -d '\r')
echo "$output"
expected=$'Friday, 30 May 2008 at 14:07\n-1,234,567'
[ "$output" = "$expected" ] || { echo "expected:"; echo "$expected"; exit 1; }

log=$(cat example.log)
echo "$log"
stamp='[0-9]{4}/[0-9]{2}/[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2} '
grep -qE "^earlier entry"$'\r'"\$" <<<"$log" || { echo "the earlier entry was not kept"; exit 1; }
grep -qE "^${stamp}Backup started"$'\r'"\$" <<<"$log" || { echo "no stamped first line"; exit 1; }
grep -qE "^ {20}source: C:\\\\data"$'\r'"\$" <<<"$log" || { echo "continuation not indented"; exit 1; }
grep -qE "^ {20}target: D:\\\\backup"$'\r'"\$" <<<"$log" || { echo "last line not indented"; exit 1; }
echo "the example wrote its log as expected"
