# Cross build of the 64-bit DLL and its Windows-side tests with mingw-w64,
# linked statically as the 32-bit build is.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(mingw_triplet x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
