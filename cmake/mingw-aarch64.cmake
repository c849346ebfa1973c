# Cross build of the ARM64 DLL and its Windows-side tests with clang-16 and
# lld-16, as Debian has no GCC for aarch64 Windows: the compiler is
# clang-16 with the sysroot that setup.sh builds (cmake/aarch64-w64-mingw32-clang),
# and the programs of the build run under the arm64 Wine in qemu.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ARM64)
set(CMAKE_C_COMPILER ${CMAKE_CURRENT_LIST_DIR}/aarch64-w64-mingw32-clang)
set(CMAKE_CXX_COMPILER ${CMAKE_CURRENT_LIST_DIR}/aarch64-w64-mingw32-clang++)
set(CMAKE_RC_COMPILER llvm-windres-16)
# The resource compiler preprocesses with the same compiler, for the headers.
set(CMAKE_RC_FLAGS_INIT
    "--target=aarch64-w64-mingw32 \"--preprocessor=${CMAKE_CURRENT_LIST_DIR}/aarch64-w64-mingw32-clang -E -xc -DRC_INVOKED\"")
set(CMAKE_AR /usr/bin/llvm-ar-16)
set(CMAKE_RANLIB /usr/bin/llvm-ranlib-16)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run-arm64)
