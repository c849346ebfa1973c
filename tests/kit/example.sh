#!/usr/bin/env bash
# example.sh SOURCE BUILD KIT ARCHITECTURE: makes the ZIP kit KIT.zip,
# unpacks it, checks that it is one folder KIT and complete, builds the
# example against it with find_package alone (with the other kit's package
# on the search path too) and runs it under Wine; a project of the other
# architecture must be refused with a message naming the right kit. Import
# libraries rebuilt from the kit's .def with either dlltool (llvm-dlltool
# alone for ARM64, which GNU dlltool does not know) link the example. Every
# DLL and EXE of the kit passes the security rules; none is signed, and a
# kit made with a throwaway certificate has each signed and verified.
set -euo pipefail
src=$1 build=$2 kit=$3 architecture=$4
bin=$src/cmake
case "$architecture" in
  win32) toolchain=mingw-i686 prefix=i686-w64-mingw32 other=win64 other_toolchain=mingw-x86_64 machine=i386 cpu=i686 ;;
  win64) toolchain=mingw-x86_64 prefix=x86_64-w64-mingw32 other=win32 other_toolchain=mingw-i686 machine=i386:x86-64 cpu=x86_64 ;;
  arm64) toolchain=mingw-aarch64 prefix=aarch64-w64-mingw32 other=win64 other_toolchain=mingw-x86_64 machine=arm64 cpu=aarch64 ;;
esac
# lld: clang for MinGW linking with lld, finding GCC's runtime on x86.
if [ "$architecture" = arm64 ]; then
  cc=$bin/$prefix-clang objcopy=objcopy objdump=objdump dlltools=(llvm-dlltool) run=$bin/wine-run-arm64 lld=("$cc")
else
  cc=$prefix-gcc objcopy=$prefix-objcopy objdump=$prefix-objdump dlltools=(dlltool llvm-dlltool) run=$bin/wine-run
  lld=(clang-16 --target="$prefix" -fuse-ld=lld -L"$(dirname "$("$cc" -print-libgcc-file-name)")")
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

(cd "$build" && cpack -G ZIP >/dev/null)
top=$(unzip -Z1 "$build/$kit.zip" | cut -d/ -f1 | sort -u)
[ "$top" = "$kit" ] || { echo "$kit.zip does not unpack into one folder $kit:"; echo "$top"; exit 1; }
unzip -q "$build/$kit.zip" -d "$work"
package="$work/$kit"
files=(README.md LICENSE CHANGELOG.md THIRD-PARTY-NOTICES.md bin/Brindlewick.dll bin/Brindlewick.dll.debug bin/Brindlewick.pdb
  include/Brindlewick.h include/BrindlewickCodes.h include/BrindlewickVersion.h lib/libBrindlewick.dll.a lib/Brindlewick.lib
  lib/Brindlewick.def lib/libBrindlewick.a lib/Brindlewick-static.lib lib/cmake/Brindlewick/BrindlewickConfig.cmake
  lib/cmake/Brindlewick/BrindlewickConfigVersion.cmake lib/pkgconfig/brindlewick.pc lib/pkgconfig/brindlewick-$architecture.pc
  lib/pkgconfig/brindlewick-static.pc lib/pkgconfig/brindlewick-static-$architecture.pc
  share/doc/Brindlewick/REFERENCE.md share/doc/Brindlewick/examples/log_example.c)
[ "$architecture" != win32 ] || files+=(include/BrindlewickExtender.h)
for file in "${files[@]}"; do
  [ -s "$package/$file" ] || { echo "$kit.zip lacks $file"; exit 1; }
done
# Every file of the ZIP is named in its README's table, by its path or by
# a folder of it.
rows=$(grep '^|' "$package/README.md")
while read -r file; do
  path=${file#"$kit"/} named=
  for candidate in "$path" $(d=$path; while [ "$d" != "${d%/*}" ]; do d=${d%/*}; echo "$d/"; done); do
    ! grep -qF "\`$candidate\`" <<<"$rows" || { named=1; break; }
  done
  [ -n "$named" ] || { echo "$kit.zip: its README's table does not name $path"; exit 1; }
done < <(unzip -Z1 "$build/$kit.zip" | grep -v '/$')
[ "$architecture" = win32 ] || [ ! -e "$package/include/BrindlewickExtender.h" ] ||
  { echo "$kit.zip holds the 32-bit extender header"; exit 1; }

mapfile -t binaries < <(find "$package" -name '*.dll' -o -name '*.exe')
"$src/tests/check-exports.sh" --scan "${binaries[@]}" || { echo "a binary of $kit.zip breaks a security rule"; exit 1; }
for binary in "${binaries[@]}"; do
  ! osslsigncode verify -in "$binary" >/dev/null 2>&1 || { echo "$binary is signed though no certificate was given"; exit 1; }
done
openssl req -x509 -newkey rsa:2048 -nodes -keyout "$work/key.pem" -out "$work/certificate.pem" -days 1 \
  -subj "/CN=Brindlewick kit test" -addext extendedKeyUsage=codeSigning -addext keyUsage=digitalSignature,keyCertSign \
  2>/dev/null
(cd "$build" && BRINDLEWICK_SIGN_CERT="$work/certificate.pem" BRINDLEWICK_SIGN_KEY="$work/key.pem" \
  cpack -G ZIP -B "$work/signed" >/dev/null)
unzip -q "$work/signed/$kit.zip" -d "$work/signed/kit"
signed=0
while read -r binary; do
  osslsigncode verify -CAfile "$work/certificate.pem" -in "$binary" >/dev/null || { echo "$binary: no valid signature"; exit 1; }
  signed=$((signed + 1))
done < <(find "$work/signed/kit" -name '*.dll' -o -name '*.exe')
[ "$signed" = "${#binaries[@]}" ] || { echo "$signed of ${#binaries[@]} binaries signed"; exit 1; }

# The symbols: a DLL without them that names its .debug file by name and
# CRC-32 (the gzip trailer's), and the file that has them. objcopy writes a copy:
# given the DLL alone, it would rewrite the DLL that the example runs with.
dll="$package/bin/Brindlewick.dll"
"$objcopy" --dump-section .gnu_debuglink="$work/debuglink" "$dll" "$work/copy.dll"
crc=$(gzip -c "$dll.debug" | tail -c 8 | head -c 4 | od -An -tx4 | tr -d ' ')
link=$(od -An -tx4 -j $(( $(stat -c %s "$work/debuglink") - 4 )) "$work/debuglink" | tr -d ' ')
[ "$(head -c 21 "$work/debuglink")" = Brindlewick.dll.debug ] && [ "$crc" = "$link" ] ||
  { echo "the DLL does not link its debug symbols"; exit 1; }
"$objdump" -h "$dll.debug" | grep -q '\.debug_info' || { echo "no debug information"; exit 1; }
! "$objdump" -h "$dll" | grep -q '\.debug_' || { echo "the DLL is not stripped"; exit 1; }

# configure FOLDER TOOLCHAIN PREFIX_PATH
configure() {
  cmake -S "$package/share/doc/Brindlewick/examples" -B "$work/$1" -DCMAKE_TOOLCHAIN_FILE="$src/cmake/$2.cmake" \
    -DCMAKE_PREFIX_PATH="$3" -DCMAKE_C_FLAGS="-Wall -Wextra -Werror"
}
if configure wrong "$other_toolchain" "$package" >"$work/wrong.log" 2>&1 ||
  ! grep -qF "${kit%-*}-$other.zip" "$work/wrong.log"; then
  echo "a project of the other architecture was not refused clearly:"
  cat "$work/wrong.log"
  exit 1
fi
# With both kits on the search path, each project takes its own, whichever
# comes first (the build's copy of the other kit's package stands in for it).
both="$build/kit-$other;$package"
configure other "$other_toolchain" "$both" >/dev/null
grep -qx "Brindlewick_DIR:PATH=$build/kit-$other/lib/cmake/Brindlewick" "$work/other/CMakeCache.txt" ||
  { echo "a project of the other architecture did not take the other kit"; exit 1; }
configure example "$toolchain" "$both" >/dev/null
cmake --build "$work/example" >/dev/null
cp "$dll" "$work/example/"

# clang with an *-windows-msvc target through its GNU-style driver links
# with lld-link, which takes the package's Brindlewick.lib (on 32-bit it
# refuses the MinGW library's objects). No Windows SDK here: the caller
# declares the export itself and links no runtime.
mkdir "$work/clang"
cat >"$work/clang/CMakeLists.txt" <<'END'
cmake_minimum_required(VERSION 3.25)
project(clang_caller C)
find_package(Brindlewick 1.0 REQUIRED)
add_library(caller SHARED caller.c)
target_link_libraries(caller PRIVATE Brindlewick::Brindlewick)
target_link_options(caller PRIVATE -fuse-ld=lld -nostdlib -Wl,/noentry -Wl,/nodefaultlib)
file(GENERATE OUTPUT static.txt CONTENT "$<TARGET_PROPERTY:Brindlewick::static,IMPORTED_LOCATION>")
END
echo 'char *__stdcall FormatNowAR8J(const char *, int);
__declspec(dllexport) char *__stdcall now(void) { return FormatNowAR8J("^YYYY", 0); }' >"$work/clang/caller.c"
cmake -S "$work/clang" -B "$work/clang/build" -DCMAKE_SYSTEM_NAME=Windows -DCMAKE_C_COMPILER=clang-16 \
  -DCMAKE_C_COMPILER_TARGET=$cpu-windows-msvc -DCMAKE_TRY_COMPILE_TARGET_TYPE=STATIC_LIBRARY \
  -DCMAKE_AR="$(command -v llvm-ar-16)" -DCMAKE_C_STANDARD_LIBRARIES= -DCMAKE_PREFIX_PATH="$both" >/dev/null
cmake --build "$work/clang/build" >/dev/null
llvm-readobj --coff-imports "$work/clang/build/caller.dll" | grep -q 'Symbol: FormatNowAR8J (5)' ||
  { echo "clang with a $cpu-windows-msvc target did not import FormatNowAR8J through the kit"; exit 1; }
[ "$(cat "$work/clang/build/static.txt")" = "$package/lib/Brindlewick-static.lib" ] ||
  { echo "Brindlewick::static is not Brindlewick-static.lib for clang with a $cpu-windows-msvc target"; exit 1; }

# pkg-config gives what a build without CMake needs.
# With both kits on the path, the package named by the architecture is this
# kit's whichever comes first; with a sysroot set, a kit inside it.
flags=$(PKG_CONFIG_PATH="$package/lib/pkgconfig" pkg-config --cflags --libs brindlewick)
"$cc" -Wall -Wextra -Werror "$package/share/doc/Brindlewick/examples/log_example.c" $flags -o "$work/pkg-config.exe"
for path in "$build/kit-$other/lib/pkgconfig:$package/lib/pkgconfig" "$package/lib/pkgconfig:$build/kit-$other/lib/pkgconfig"; do
  [ "$(PKG_CONFIG_PATH=$path pkg-config --cflags --libs "brindlewick-$architecture")" = "$flags" ] ||
    { echo "pkg-config brindlewick-$architecture did not take this kit from $path"; exit 1; }
done
[ "$(PKG_CONFIG_PATH=$path pkg-config --cflags --libs "brindlewick-$other")" != "$flags" ] ||
  { echo "pkg-config brindlewick-$other took this kit"; exit 1; }
[ "$(PKG_CONFIG_SYSROOT_DIR="$work" PKG_CONFIG_PATH="$package/lib/pkgconfig" pkg-config --cflags --libs brindlewick)" = "$flags" ] ||
  { echo "pkg-config with the sysroot that holds the kit gives other paths"; exit 1; }

# The static library links the example into one EXE through pkg-config with
# GNU ld (lld in MinGW mode on ARM64), through Brindlewick::static, and with
# lld-link given Brindlewick-static.lib and the MinGW start-up code and
# runtime that lld's MinGW driver names; each runs in a folder without the
# DLL and imports nothing from it.
static_flags=$(PKG_CONFIG_PATH="$package/lib/pkgconfig" pkg-config --cflags --libs brindlewick-static)
[ "$(PKG_CONFIG_PATH="$package/lib/pkgconfig" pkg-config --cflags --libs "brindlewick-static-$architecture")" = \
  "$static_flags" ] || { echo "brindlewick-static-$architecture is not brindlewick-static"; exit 1; }
for library in libBrindlewick.a Brindlewick-static.lib; do
  sections=$(llvm-objdump-16 -h "$package/lib/$library") symbols=$(llvm-nm-16 "$package/lib/$library" 2>/dev/null)
  grep -q '\.gfids\$y' <<<"$sections" && grep -q ' U _*_stack_chk_guard$' <<<"$symbols" &&
    ! grep -q 'DllMain\|WILExtender' <<<"$symbols" ||
    { echo "$library lacks the DLL's guards or holds what stays in the DLL"; exit 1; }
done
mkdir "$work/static"
example="$package/share/doc/Brindlewick/examples/log_example.c"
"$cc" -Wall -Wextra -Werror "$example" $static_flags -o "$work/static/ld.exe"
"$cc" -Wall -Wextra -Werror -DBRINDLEWICK_STATIC -I"$package/include" -c "$example" -o "$work/static/example.o"
mapfile -t lld_link < <("${lld[@]}" -Wl,-### "$work/static/example.o" "$package/lib/Brindlewick-static.lib" -o "$work/static/lld-link.exe" 2>&1 |
  tail -n 1 | tr ' ' '\n' | sed -e 's/^"//' -e 's/"$//' | grep -v '^$')
[[ "${lld_link[0]}" == *lld-link* ]] || { echo "lld's MinGW driver gave no lld-link command: ${lld_link[*]}"; exit 1; }
lld-link "${lld_link[@]:1}"
cat >"$work/static/CMakeLists.txt" <<'END'
cmake_minimum_required(VERSION 3.25)
project(static_caller C)
find_package(Brindlewick 1.0 REQUIRED)
add_executable(cmake ${EXAMPLE})
target_link_libraries(cmake PRIVATE Brindlewick::static)
END
cmake -S "$work/static" -B "$work/static/build" -DCMAKE_TOOLCHAIN_FILE="$src/cmake/$toolchain.cmake" \
  -DCMAKE_PREFIX_PATH="$both" -DCMAKE_C_FLAGS="-Wall -Wextra -Werror" -DEXAMPLE="$example" >/dev/null
cmake --build "$work/static/build" >/dev/null
cp "$work/static/build/cmake.exe" "$work/static/"
for exe in ld lld-link cmake; do
  dlls=$(llvm-readobj --coff-imports "$work/static/$exe.exe" | sed -n 's/^ *Name: //p' | sort -u | tr '\n' ' ')
  echo "static $exe.exe ($(stat -c %s "$work/static/$exe.exe") bytes) imports: $dlls"
  case "$dlls" in *[Bb]rindlewick*) echo "the static $exe.exe imports the DLL"; exit 1 ;; esac
done

# The kit's .def rebuilds an import library with GNU dlltool and with
# llvm-dlltool; the example linked against either imports what it imports
# through the kit's own library.
imports() {
  "$objdump" -p "$1" | awk '/DLL Name: Brindlewick.dll/ {on=1; getline; next} on && NF==0 {on=0} on {print $2, $3}' | sort
}
[ "$architecture" = arm64 ] || "$prefix-dlltool" -k -d "$package/lib/Brindlewick.def" -D Brindlewick.dll -l "$work/dlltool.lib"
llvm-dlltool -m "$machine" -k -d "$package/lib/Brindlewick.def" -D Brindlewick.dll -l "$work/llvm-dlltool.lib"
for dlltool in "${dlltools[@]}"; do
  library=$dlltool.lib
  "$cc" -Wall -Wextra -Werror "$package/share/doc/Brindlewick/examples/log_example.c" -I"$package/include" \
    "$work/$library" -o "$work/$library.exe"
  [ -n "$(imports "$work/$library.exe")" ] && [ "$(imports "$work/$library.exe")" = "$(imports "$work/pkg-config.exe")" ] ||
    { echo "the import library that $library rebuilt from the kit's .def imports otherwise"; exit 1; }
done

expected=$'Friday, 30 May 2008 at 14:07\n-1,234,567'
cd "$work/static"
for exe in ld lld-link cmake; do
  output=$("$run" "$exe.exe" static.log | tr -d '\r')
  [ "$output" = "$expected" ] || { echo "the static $exe.exe printed:"; echo "$output"; exit 1; }
done
[ "$(grep -c 'Backup started' static.log)" = 3 ] || { echo "the static EXEs did not write their entries"; exit 1; }
echo "the example linked statically runs without the DLL"

cd "$work/example"
printf 'earlier entry\r\n' > example.log
output=$("$run" log_example.exe example.log | tr -d '\r')
echo "$output"
[ "$output" = "$expected" ] || { echo "expected:"; echo "$expected"; exit 1; }

log=$(cat example.log)
echo "$log"
stamp='[0-9]{4}/[0-9]{2}/[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2} '
grep -qE "^earlier entry"$'\r'"\$" <<<"$log" || { echo "the earlier entry was not kept"; exit 1; }
grep -qE "^${stamp}Backup started"$'\r'"\$" <<<"$log" || { echo "no stamped first line"; exit 1; }
grep -qE "^ {20}source: C:\\\\data"$'\r'"\$" <<<"$log" || { echo "continuation not indented"; exit 1; }
grep -qE "^ {20}target: D:\\\\backup"$'\r'"\$" <<<"$log" || { echo "last line not indented"; exit 1; }
echo "the example wrote its log as expected"
