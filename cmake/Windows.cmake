# The DLL, its test build, the runner and the Windows-side tests under Wine.
enable_language(RC)

# What every service shares, the services, and the script-host adapter.
file(GLOB service_sources CONFIGURE_DEPENDS
    ${PROJECT_SOURCE_DIR}/datetime/*.cpp
    ${PROJECT_SOURCE_DIR}/files/*.cpp
    ${PROJECT_SOURCE_DIR}/text/*.cpp)
file(GLOB extender_sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/extender/*.cpp)
set(module_sources ${PROJECT_SOURCE_DIR}/module/module.cpp)
set(resource_sources
    ${PROJECT_SOURCE_DIR}/resources/messages.rc
    ${PROJECT_SOURCE_DIR}/resources/version.rc)
set(export_definition ${PROJECT_SOURCE_DIR}/resources/Brindlewick.def)

# The test build exports one more function, the allocation-failure switch.
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${export_definition})
file(READ ${export_definition} exports)
file(WRITE ${CMAKE_BINARY_DIR}/BrindlewickFaults.def "${exports}    BwFailHeapRequest = BwFailHeapRequest@4 @100\n")

# Shipped build: no exceptions, no RTTI, the runtime linked in, so that the
# DLL imports only KERNEL32, USER32 and msvcrt.
#
# Its entry point is DllMain itself, without the C runtime's start-up: the
# DLL has no constructors, exit handlers or thread-local data for it to run
# (keep globals constant-initialized), and the start-up would bring a
# search for another module's libgcc_s_dw2-1.dll under the loader lock,
# VirtualProtect for run-time relocations, thread-data callbacks and
# library loading. tests/check-exports.sh holds the imports to it.
#
# Loops stay loops: the texts are short, and a call of the runtime's copy
# costs more than copying inline.
function(brindlewick_dll target definition)
    add_library(${target} SHARED ${module_sources} ${service_sources} ${extender_sources} ${resource_sources} ${definition} ${ARGN})
    set_target_properties(${target} PROPERTIES PREFIX "" OUTPUT_NAME Brindlewick)
    target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR}/include ${PROJECT_SOURCE_DIR})
    target_compile_options(${target} PRIVATE ${warnings} -O2 -fno-exceptions -fno-rtti -fno-tree-loop-distribute-patterns)
    if(CMAKE_SIZEOF_VOID_P EQUAL 4)
        set(entry_point _DllMain@12)
    else()
        set(entry_point DllMain)
    endif()
    target_link_options(${target} PRIVATE -static -static-libgcc -static-libstdc++ -s
        -nostartfiles -Wl,--entry,${entry_point}
        -Wl,--enable-stdcall-fixup -Wl,--dynamicbase -Wl,--nxcompat)
    target_link_libraries(${target} PRIVATE user32)
endfunction()

brindlewick_dll(Brindlewick ${export_definition})
set_target_properties(Brindlewick PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})

# Test build: the same DLL with allocation failures on request.
brindlewick_dll(BrindlewickFaults ${CMAKE_BINARY_DIR}/BrindlewickFaults.def
    ${PROJECT_SOURCE_DIR}/module/heap_faults.cpp)
target_compile_definitions(BrindlewickFaults PRIVATE BW_HEAP_FAULTS)
set_target_properties(BrindlewickFaults PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/faults)

# The runner and the benchmark load the DLL the same way (tools/dll.cpp).
function(brindlewick_program target)
    add_executable(${target} ${ARGN} ${PROJECT_SOURCE_DIR}/tools/dll.cpp)
    target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR}/include ${PROJECT_SOURCE_DIR})
    target_compile_options(${target} PRIVATE ${warnings} -O2)
    target_link_options(${target} PRIVATE -static)
    add_dependencies(${target} Brindlewick)
endfunction()

brindlewick_program(bwcall ${PROJECT_SOURCE_DIR}/tools/bwcall.cpp ${PROJECT_SOURCE_DIR}/tools/calls.cpp)

# The benchmark of the services against their peers; `make bench` runs it.
brindlewick_program(bwbench ${PROJECT_SOURCE_DIR}/bench/main.cpp ${PROJECT_SOURCE_DIR}/bench/measure.cpp
    ${PROJECT_SOURCE_DIR}/bench/report.cpp)

add_subdirectory(tests/win)

# The import libraries, built from the export definition.
set(import_libraries ${CMAKE_BINARY_DIR}/lib/libBrindlewick.dll.a ${CMAKE_BINARY_DIR}/lib/Brindlewick.lib)
add_custom_command(OUTPUT ${import_libraries}
    COMMAND ${PROJECT_SOURCE_DIR}/cmake/import-libraries.sh ${export_definition} ${CMAKE_BINARY_DIR}/lib
    DEPENDS ${export_definition} ${PROJECT_SOURCE_DIR}/cmake/import-libraries.sh
    COMMENT "Import libraries of Brindlewick.dll")
add_custom_target(import_libraries ALL DEPENDS ${import_libraries})
set_target_properties(Brindlewick BrindlewickFaults PROPERTIES ARCHIVE_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/linker)

# The public headers, compiled strictly as C and as C++.
add_library(header_check OBJECT ${PROJECT_SOURCE_DIR}/tests/kit/header_check.c
    ${PROJECT_SOURCE_DIR}/tests/kit/header_check.cpp)
target_include_directories(header_check PRIVATE ${PROJECT_SOURCE_DIR}/include)
target_compile_options(header_check PRIVATE ${warnings} -Wpedantic -Wconversion -Wshadow
    $<$<COMPILE_LANGUAGE:C>:-std=c11 -Wstrict-prototypes>)

# The package: bin/, lib/ (import libraries, CMake package), include/, docs.
include(CMakePackageConfigHelpers)
write_basic_package_version_file(${CMAKE_BINARY_DIR}/BrindlewickConfigVersion.cmake
    VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES $<TARGET_FILE:Brindlewick> $<TARGET_FILE:bwcall> DESTINATION bin)
install(FILES ${import_libraries} DESTINATION lib)
install(FILES ${PROJECT_SOURCE_DIR}/include/Brindlewick.h ${PROJECT_SOURCE_DIR}/include/BrindlewickCodes.h
    ${PROJECT_SOURCE_DIR}/include/BrindlewickExtender.h
    DESTINATION include)
install(FILES ${PROJECT_SOURCE_DIR}/cmake/BrindlewickConfig.cmake ${CMAKE_BINARY_DIR}/BrindlewickConfigVersion.cmake
    DESTINATION lib/cmake/Brindlewick)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/docs/ DESTINATION share/doc/Brindlewick)
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION share/doc/Brindlewick)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/examples/ DESTINATION share/doc/Brindlewick/examples)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME Brindlewick)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME Brindlewick-${PROJECT_VERSION}-win32)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
include(CPack)
