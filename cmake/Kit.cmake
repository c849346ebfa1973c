# The kit of one architecture: the import libraries, the checks of the public
# headers, and the ZIP with everything a native caller needs.

# The kit's export definition, from which a caller's tools rebuild an import
# library.
set(kit_definition ${CMAKE_BINARY_DIR}/kit/Brindlewick.def)
write_definition(${kit_definition} kit "${export_rows}")

# The import libraries, built from the plain list of exports.
set(import_libraries ${CMAKE_BINARY_DIR}/lib/libBrindlewick.dll.a ${CMAKE_BINARY_DIR}/lib/Brindlewick.lib)
add_custom_command(OUTPUT ${import_libraries}
    COMMAND ${PROJECT_SOURCE_DIR}/cmake/import-libraries.sh ${architecture} ${export_table}
        ${CMAKE_BINARY_DIR}/lib
    DEPENDS ${export_table} ${PROJECT_SOURCE_DIR}/cmake/import-libraries.sh
    COMMENT "Import libraries of Brindlewick.dll")
add_custom_target(import_libraries ALL DEPENDS ${import_libraries})

# The public headers compile strictly, with every warning, in each language
# a caller may use.
function(header_check language standard source)
    set(target header_check_${language}${standard})
    add_library(${target} OBJECT ${source})
    set_target_properties(${target} PROPERTIES
        ${language}_STANDARD ${standard} ${language}_STANDARD_REQUIRED ON ${language}_EXTENSIONS OFF)
    target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR}/include)
    target_compile_options(${target} PRIVATE ${warnings} -Wpedantic -Wconversion -Wshadow
        $<$<COMPILE_LANGUAGE:C>:-Wstrict-prototypes>)
endfunction()
foreach(standard 90 99 11)
    header_check(C ${standard} ${PROJECT_SOURCE_DIR}/tests/kit/header_check.c)
endforeach()
foreach(standard 98 20)
    header_check(CXX ${standard} ${PROJECT_SOURCE_DIR}/tests/kit/header_check.cpp)
endforeach()

# The ZIP, all in one folder named like it: bin/ (the DLL and its debug
# symbols), include/, lib/ (import libraries, the export definition, the
# CMake and pkg-config packages), the reference and the example, a README
# for someone who has only the ZIP, the licence, the notices of the
# toolchain's libraries linked in, and the changes. The 32-bit kit adds the
# extender's header. The runner is not in it: GCC builds it, without Control
# Flow Guard or a load configuration, and every binary of a kit passes the
# security rules.
set(kit_headers ${PROJECT_SOURCE_DIR}/include/Brindlewick.h ${generated}/BrindlewickCodes.h
    ${PROJECT_SOURCE_DIR}/include/BrindlewickVersion.h)
# Each kit's architecture as its reader calls it, and the kit of the other
# architecture that a project of this one's pointer size or processor is
# most likely to want instead.
set(kit_kind_win32 32-bit)
set(kit_kind_win64 "64-bit x64")
set(kit_kind_arm64 ARM64)
set(kit_other_win32 win64)
set(kit_other_win64 win32)
set(kit_other_arm64 win64)
set(kit_dlltool_machine_win32 i386)
set(kit_dlltool_machine_win64 i386:x86-64)
set(kit_dlltool_machine_arm64 arm64)
set(kit_triplet_win32 i686-w64-mingw32)
set(kit_triplet_win64 x86_64-w64-mingw32)
if(architecture STREQUAL win32)
    list(APPEND kit_headers ${PROJECT_SOURCE_DIR}/include/BrindlewickExtender.h)
endif()
set(kit_name Brindlewick-${PROJECT_VERSION}-${architecture})
# The CMake package: this kit's, and the other kit's package alone, which
# the kit test puts on the search path beside this kit.
function(configure_package folder kit_architecture)
    set(kit_kind ${kit_kind_${kit_architecture}})
    set(kit_other ${kit_other_${kit_architecture}})
    set(kit_other_kind ${kit_kind_${kit_other}})
    set(kit_name Brindlewick-${PROJECT_VERSION}-${kit_architecture})
    configure_file(${PROJECT_SOURCE_DIR}/kit/BrindlewickConfig.cmake.in ${folder}/BrindlewickConfig.cmake @ONLY)
    configure_file(${PROJECT_SOURCE_DIR}/kit/BrindlewickConfigVersion.cmake.in ${folder}/BrindlewickConfigVersion.cmake
        @ONLY)
endfunction()
set(kit_kind ${kit_kind_${architecture}})
set(kit_other ${kit_other_${architecture}})
set(kit_other_kind ${kit_kind_${kit_other}})
configure_package(${CMAKE_BINARY_DIR}/kit ${architecture})
configure_package(${CMAKE_BINARY_DIR}/kit-${kit_other}/lib/cmake/Brindlewick ${kit_other})
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/kit-${kit_other}/include)
configure_file(${PROJECT_SOURCE_DIR}/kit/brindlewick.pc.in kit/brindlewick.pc @ONLY)
# The pkg-config package under its architecture's name too, so that several
# kits on one PKG_CONFIG_PATH are told apart; the other kit's for the kit
# test, as for the CMake package.
function(configure_pkg_config file kit_architecture)
    set(architecture ${kit_architecture})
    set(kit_kind ${kit_kind_${kit_architecture}})
    configure_file(${PROJECT_SOURCE_DIR}/kit/brindlewick.pc.in ${file} @ONLY)
endfunction()
configure_pkg_config(${CMAKE_BINARY_DIR}/kit/brindlewick-${architecture}.pc ${architecture})
configure_pkg_config(${CMAKE_BINARY_DIR}/kit-${kit_other}/lib/pkgconfig/brindlewick-${kit_other}.pc ${kit_other})
# Where a kit's reader finds the source: the release names its place.
set(BRINDLEWICK_SOURCE_URL "" CACHE STRING "Where the kits' README says the source is")
if(BRINDLEWICK_SOURCE_URL)
    set(kit_source "The source of version ${PROJECT_VERSION}, with how to build and test it, is at\n${BRINDLEWICK_SOURCE_URL}.")
else()
    set(kit_source "This kit names no place for its source: ask whoever gave it to you for the source of\nversion ${PROJECT_VERSION}.")
endif()
set(kit_dlltool_machine ${kit_dlltool_machine_${architecture}})
set(kit_dlltool_llvm "    llvm-dlltool -m ${kit_dlltool_machine} -k -d lib/Brindlewick.def -D Brindlewick.dll -l Brindlewick.lib")
if(architecture STREQUAL arm64)
    set(kit_dlltool_tools "`-m arm64` for llvm-dlltool; GNU dlltool knows no ARM64")
    set(kit_dlltool_lines "${kit_dlltool_llvm}")
else()
    set(kit_dlltool_tools "GNU dlltool with the prefix `${kit_triplet_${architecture}}-`, llvm-dlltool with `-m ${kit_dlltool_machine}`")
    set(kit_dlltool_lines "    ${kit_triplet_${architecture}}-dlltool -k -d lib/Brindlewick.def -D Brindlewick.dll -l libBrindlewick.dll.a\n${kit_dlltool_llvm}")
endif()
configure_file(${PROJECT_SOURCE_DIR}/kit/README.md.in kit/README.md @ONLY)
# The notices name what this kit's binaries hold and which tools built them.
set(kit_notice_dll_win32 "libgcc's stack probe (`___chkstk_ms`); the mingw-w64 import stubs of KERNEL32, USER32 and msvcrt")
set(kit_notice_dll_win64 "libgcc's stack probe (`___chkstk_ms`); the mingw-w64 import stubs of KERNEL32 and msvcrt")
set(kit_notice_dll_arm64 "no toolchain code: its own stack probe, and import stubs of KERNEL32 and msvcrt that llvm-dlltool wrote from Brindlewick's own lists")
set(kit_notice_dll ${kit_notice_dll_${architecture}})
if(architecture STREQUAL arm64)
    set(kit_notice_cxx_headers "the C++ headers of LLVM's libc++")
else()
    set(kit_notice_cxx_headers "GCC's C++ headers")
endif()
configure_file(${PROJECT_SOURCE_DIR}/kit/THIRD-PARTY-NOTICES.md.in kit/THIRD-PARTY-NOTICES.md @ONLY)

install(FILES $<TARGET_FILE:Brindlewick> $<TARGET_FILE:Brindlewick>.debug DESTINATION bin)
install(FILES $<TARGET_FILE_DIR:Brindlewick>/Brindlewick.pdb DESTINATION bin)
install(FILES ${kit_headers} DESTINATION include)
install(FILES ${import_libraries} ${kit_definition} DESTINATION lib)
install(FILES ${CMAKE_BINARY_DIR}/kit/BrindlewickConfig.cmake ${CMAKE_BINARY_DIR}/kit/BrindlewickConfigVersion.cmake
    DESTINATION lib/cmake/Brindlewick)
install(FILES ${CMAKE_BINARY_DIR}/kit/brindlewick.pc ${CMAKE_BINARY_DIR}/kit/brindlewick-${architecture}.pc
    DESTINATION lib/pkgconfig)
install(FILES ${CMAKE_BINARY_DIR}/kit/README.md ${PROJECT_SOURCE_DIR}/LICENSE ${PROJECT_SOURCE_DIR}/CHANGELOG.md
    ${CMAKE_BINARY_DIR}/kit/THIRD-PARTY-NOTICES.md DESTINATION .)
install(FILES ${PROJECT_SOURCE_DIR}/docs/REFERENCE.md DESTINATION share/doc/Brindlewick)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/examples/ DESTINATION share/doc/Brindlewick/examples)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME Brindlewick)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME ${kit_name})
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
# Signs the binaries when a certificate is given (`make package SIGN_CERT=...`).
set(CPACK_PRE_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/sign-kit.cmake)
include(CPack)
