# Cross build of the 32-bit DLL and its Windows-side tests with mingw-w64;
# everything is linked statically so that nothing but system DLLs is
# imported.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(mingw_triplet i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
