# find_package(Brindlewick) for MinGW (and MSVC-style) consumers: the
# imported target Brindlewick::Brindlewick with the header, the import
# library and the DLL.
get_filename_component(_brindlewick_prefix "${CMAKE_CURRENT_LIST_DIR}/../../.." ABSOLUTE)
if(NOT TARGET Brindlewick::Brindlewick)
    add_library(Brindlewick::Brindlewick SHARED IMPORTED)
    if(MSVC)
        set(_brindlewick_implib "${_brindlewick_prefix}/lib/Brindlewick.lib")
    else()
        set(_brindlewick_implib "${_brindlewick_prefix}/lib/libBrindlewick.dll.a")
    endif()
    set_target_properties(Brindlewick::Brindlewick PROPERTIES
        IMPORTED_LOCATION "${_brindlewick_prefix}/bin/Brindlewick.dll"
        IMPORTED_IMPLIB "${_brindlewick_implib}"
        INTERFACE_INCLUDE_DIRECTORIES "${_brindlewick_prefix}/include")
    unset(_brindlewick_implib)
endif()
unset(_brindlewick_prefix)
