#!/usr/bin/env bash
# arm64-setup.sh: what the ARM64 build's test programs need and Debian does
# not package for aarch64 Windows, made once per machine under $root and
# kept: the arm64 Wine unpacked privately (apt would remove the x86 wine64
# to install it), and a sysroot with the mingw-w64 C runtime, compiler-rt's
# builtins and libc++ built for aarch64-w64-mingw32 from Debian's sources.
# The shipped DLL needs none of it. Called by setup.sh as root; each part is
# rebuilt only when its stamp names other source versions.
set -euo pipefail
root=/opt/brindlewick-arm64
target=aarch64-w64-mingw32
jobs=$(nproc)

mkdir -p "$root"
exec 9>"$root/.lock"
flock 9

# The versions of Debian's packages each part is made from, as installed
# here (the arm64 Wine is the same version as the x86 one).
version() { dpkg-query -W -f='${Version}' "$1"; }
wine_version=$(version wine64)
mingw_version=$(version mingw-w64-common)
llvm_version=$(version llvm-16)
current() { [ -f "$root/$1.stamp" ] && [ "$(cat "$root/$1.stamp")" = "$2" ]; }

work=$(mktemp -d "$root/.work.XXXXXX")
trap 'rm -rf "$work"' EXIT
# The builds' output goes to a log, shown when a step fails.
log=$root/setup.log
exec 3>&1 >"$log" 2>&1
trap 'say "failed, the end of $log:"; tail -n 40 "$log" >&3' ERR
say() { echo "arm64-setup: $*" >&3; }

# The arm64 Wine: the packages apt would install, unpacked. Its wineserver
# script names the host's wineserver64; it gets the one beside it. binfmt_misc
# lets the Wine processes start one another under qemu.
if ! current wine "$wine_version"; then
  say "unpacking the arm64 Wine $wine_version"
  mkdir "$work/debs" "$work/wine"
  (cd "$work/debs" && apt-get install -s --no-install-recommends wine64:arm64 libwine:arm64 |
    awk '/^Inst / {print $2}' | xargs apt-get download)
  for deb in "$work"/debs/*.deb; do dpkg-deb -x "$deb" "$work/wine"; done
  sed -i 's#^wineserver\(32\|64\)=.*#wineserver\1=$(dirname "$0")/wineserver\1#' "$work/wine/usr/lib/wine/wineserver"
  rm -rf "$root/wine"
  mv "$work/wine" "$root/wine"
  echo "$wine_version" >"$root/wine.stamp"
fi

# The sources, once for both runtime parts.
sources() {
  [ -d "$work/src" ] && return
  mkdir "$work/src"
  (cd "$work/src" && apt-get source --download-only mingw-w64 llvm-toolchain-16)
}

# The C runtime against Debian's mingw-w64 headers, which the sysroot
# shares: import libraries by llvm-dlltool, the start-up code and libmingwex.
sysroot=$root/sysroot
if ! current crt "$mingw_version"; then
  say "building the mingw-w64 $mingw_version C runtime for $target"
  sources
  rm -rf "$sysroot"
  mkdir -p "$sysroot/$target"
  ln -s /usr/share/mingw-w64/include "$sysroot/$target/include"
  tar -xjf "$work"/src/mingw-w64_*.orig.tar.bz2 -C "$work"
  mkdir "$work/crt"
  (cd "$work/crt" && "$work"/mingw-w64-v*/mingw-w64-crt/configure --host=$target --prefix="$sysroot/$target" \
    --disable-dependency-tracking --disable-lib32 --disable-lib64 --enable-libarm64 --with-default-msvcrt=msvcrt \
    CC="clang-16 --target=$target --sysroot=$sysroot" AR=llvm-ar-16 RANLIB=llvm-ranlib-16 DLLTOOL=llvm-dlltool-16 \
    CFLAGS=-O2 && make -j"$jobs" 2>&1 && make install)
  rm -f "$root/runtimes.stamp"
  echo "$mingw_version" >"$root/crt.stamp"
fi

# compiler-rt's builtins go in a resource folder of their own, with clang's
# headers; libunwind, libc++abi and libc++ static, the ABI library inside
# libc++.a, threads through the Win32 API.
resources=$root/clang
if ! current runtimes "$llvm_version"; then
  say "building compiler-rt's builtins and libc++ $llvm_version for $target"
  sources
  llvm=$work/llvm-toolchain-16_16.0.6
  tar -xJf "$work"/src/llvm-toolchain-16_*.orig.tar.xz -C "$work" --wildcards --no-wildcards-match-slash \
    '*/cmake' '*/llvm/cmake' '*/llvm/utils' '*/runtimes' '*/libcxx' '*/libcxxabi' '*/libunwind' '*/compiler-rt'
  rm -rf "$resources"
  mkdir -p "$resources/lib/windows"
  ln -s /usr/lib/llvm-16/lib/clang/16/include "$resources/include"
  compiler=$(cd "$(dirname "$0")" && pwd)/$target-clang
  cross=(-DCMAKE_SYSTEM_NAME=Windows -DCMAKE_SYSTEM_PROCESSOR=aarch64 -DCMAKE_BUILD_TYPE=Release
    -DCMAKE_C_COMPILER="$compiler" -DCMAKE_CXX_COMPILER="$compiler++" -DCMAKE_C_COMPILER_TARGET=$target
    -DCMAKE_CXX_COMPILER_TARGET=$target -DCMAKE_ASM_COMPILER_TARGET=$target -DCMAKE_AR=/usr/bin/llvm-ar-16
    -DCMAKE_RANLIB=/usr/bin/llvm-ranlib-16 -DCMAKE_C_COMPILER_WORKS=ON -DCMAKE_CXX_COMPILER_WORKS=ON
    -DCMAKE_TRY_COMPILE_TARGET_TYPE=STATIC_LIBRARY)
  cmake -S "$llvm/compiler-rt/lib/builtins" -B "$work/builtins" "${cross[@]}" -DCOMPILER_RT_DEFAULT_TARGET_ONLY=ON \
    -DCOMPILER_RT_OUTPUT_DIR="$work/builtins/out"
  cmake --build "$work/builtins" -j "$jobs"
  cp "$work"/builtins/out/lib/windows/libclang_rt.builtins-aarch64.a "$resources/lib/windows/"
  cmake -S "$llvm/runtimes" -B "$work/runtimes" "${cross[@]}" -DCMAKE_INSTALL_PREFIX="$sysroot" \
    -DLLVM_PATH="$llvm/llvm" -DLLVM_ENABLE_RUNTIMES="libunwind;libcxxabi;libcxx" \
    -DLIBUNWIND_ENABLE_SHARED=OFF -DLIBUNWIND_USE_COMPILER_RT=ON \
    -DLIBCXXABI_ENABLE_SHARED=OFF -DLIBCXXABI_USE_COMPILER_RT=ON -DLIBCXXABI_USE_LLVM_UNWINDER=ON \
    -DLIBCXX_ENABLE_SHARED=OFF -DLIBCXX_ENABLE_STATIC_ABI_LIBRARY=ON -DLIBCXX_USE_COMPILER_RT=ON \
    -DLIBCXX_CXX_ABI=libcxxabi -DLIBCXX_INCLUDE_TESTS=OFF -DLIBCXX_INCLUDE_BENCHMARKS=OFF \
    -DLIBCXX_ENABLE_ABI_LINKER_SCRIPT=OFF -DLIBCXX_HAS_WIN32_THREAD_API=ON
  cmake --build "$work/runtimes" -j "$jobs"
  cmake --install "$work/runtimes"
  echo "$llvm_version" >"$root/runtimes.stamp"
fi
