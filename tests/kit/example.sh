#!/usr/bin/env bash
# example.sh SOURCE BUILD: makes the ZIP package, unpacks it, builds the
# example against it with find_package and runs it under Wine.
set -euo pipefail
src=$1 build=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

(cd "$build" && cpack -G ZIP >/dev/null)
unzip -q "$build/Brindlewick-1.0.0.9-win32.zip" -d "$work/package"
cmake -S "$src/examples" -B "$work/example" -DCMAKE_TOOLCHAIN_FILE="$src/cmake/mingw-i686.cmake" \
  -DCMAKE_PREFIX_PATH="$work/package" -DCMAKE_C_FLAGS="-Wall -Wextra -Werror" >/dev/null
cmake --build "$work/example" >/dev/null
cp "$work/package/bin/Brindlewick.dll" "$work/example/"

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
