# The DLL, its test build, the runner and the Windows-side tests under Wine.
enable_language(RC)

# The 64-bit and ARM64 builds have the same services and leave the
# script-host adapter out: its records are those of 32-bit hosts.
if(CMAKE_SYSTEM_PROCESSOR STREQUAL ARM64)
    set(architecture arm64)
elseif(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(architecture win64)
else()
    set(architecture win32)
endif()

# What every service shares, the services, and the script-host adapter,
# named one by one: a stray source in a service folder is not linked in.
set(service_sources
    datetime/extract.cpp datetime/format.cpp datetime/time_zone.cpp
    files/handles.cpp files/log_writer.cpp
    text/number.cpp text/path.cpp text/quote.cpp)
list(TRANSFORM service_sources PREPEND ${PROJECT_SOURCE_DIR}/)
if(architecture STREQUAL win32)
    set(extender_sources extender/deliveries.cpp extender/entry_points.cpp extender/script_functions.cpp)
    list(TRANSFORM extender_sources PREPEND ${PROJECT_SOURCE_DIR}/)
endif()
set(module_sources ${PROJECT_SOURCE_DIR}/module/module.cpp ${PROJECT_SOURCE_DIR}/module/guards.cpp
    ${PROJECT_SOURCE_DIR}/module/stack_guard.cpp ${PROJECT_SOURCE_DIR}/module/release.cpp)
set(resource_sources
    ${PROJECT_SOURCE_DIR}/resources/messages.rc
    ${PROJECT_SOURCE_DIR}/resources/version.rc
    ${CMAKE_BINARY_DIR}/message_table.rc)

# The one list of exports, "Export = Symbol@N @ordinal" a line, is read
# here alone. Every script and test reads the plain list written from it for
# this architecture, exports.txt ("name symbol ordinal" a line); the link
# and the kit get definition files written from the same rows. The 64-bit
# and ARM64 DLLs take the names plain, as they have no stdcall decoration,
# and leave out the extender's entry points, whose names alone are decorated.
function(read_exports list rows)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${list})
    file(STRINGS ${list} lines)
    set(result)
    foreach(line IN LISTS lines)
        if(line MATCHES "^[ \t]+([^ \t]+) = ([^ \t@]+)@([0-9]+) @([0-9]+)$")
            set(name ${CMAKE_MATCH_1})
            set(symbol ${CMAKE_MATCH_2}@${CMAKE_MATCH_3})
            set(ordinal ${CMAKE_MATCH_4})
            if(NOT architecture STREQUAL win32)
                if(name MATCHES "^_")
                    continue()
                endif()
                string(REGEX REPLACE "@.*" "" symbol ${symbol})
            endif()
            list(APPEND result "${name} ${symbol} ${ordinal}")
        elseif(NOT line MATCHES "^(LIBRARY [^ ]+|EXPORTS|[ \t]*)$")
            message(FATAL_ERROR "${list}: not an export \"Export = Symbol@N @ordinal\": ${line}")
        endif()
    endforeach()
    if(NOT architecture STREQUAL win32 AND result MATCHES "WILExtender")
        message(FATAL_ERROR "The ${architecture} DLL would export the extender's entry points, whose records are 32-bit")
    endif()
    set(${rows} "${result}" PARENT_SCOPE)
endfunction()

# A definition file written from rows of the export list, for the link or
# for the kit; in the build folder, so that the PDB's record of the link
# names no source folder. On 64-bit and ARM64 both read "Export @ordinal". On 32-bit
# the link's reads "Export = Symbol@N @ordinal" (the export named apart from
# its stdcall symbol); the kit's, from which a caller's tools rebuild an
# import library, reads "Symbol@N @ordinal" for dlltool -k and llvm-dlltool
# -k, which import it as the plain name, and "Symbol@N @ordinal == Export"
# for the two exports that keep their decoration.
function(write_definition file form rows)
    set(text "LIBRARY Brindlewick.dll\nEXPORTS\n")
    foreach(row IN LISTS rows)
        string(REPLACE " " ";" row "${row}")
        list(GET row 0 name)
        list(GET row 1 symbol)
        list(GET row 2 ordinal)
        if(NOT architecture STREQUAL win32)
            string(APPEND text "    ${name} @${ordinal}\n")
        elseif(form STREQUAL link)
            string(APPEND text "    ${name} = ${symbol} @${ordinal}\n")
        elseif(name MATCHES "^_")
            string(APPEND text "    ${symbol} @${ordinal} == ${name}\n")
        else()
            string(APPEND text "    ${symbol} @${ordinal}\n")
        endif()
    endforeach()
    write_if_changed(${file} "${text}")
endfunction()

read_exports(${PROJECT_SOURCE_DIR}/resources/Brindlewick.def export_rows)
set(export_table ${CMAKE_BINARY_DIR}/exports.txt)
list(JOIN export_rows "\n" export_lines)
write_if_changed(${export_table} "${export_lines}\n")
set(export_definition ${CMAKE_BINARY_DIR}/Brindlewick.def)
write_definition(${export_definition} link "${export_rows}")

# The test build exports one more function, the allocation-failure switch.
read_exports(${PROJECT_SOURCE_DIR}/resources/BrindlewickFaults.def faults_rows)
write_definition(${CMAKE_BINARY_DIR}/BrindlewickFaults.def link "${export_rows};${faults_rows}")

# The message table resource, where FormatMessage finds a code's text: every
# code's message from the table of codes, each under its full code. Written
# as the resource's bytes: a block per code (lowest code, highest code,
# offset of its entry), then each entry (its length, 1 for UTF-16, the text
# and its terminator, padded to four bytes), as double words (L) and words.
function(write_message_table rows file)
    list(LENGTH rows count)
    math(EXPR offset "4 + 12 * ${count}")
    set(blocks "${count}L /* blocks */")
    set(entries)
    foreach(row IN LISTS rows)
        if(NOT row MATCHES "^(0x[0-9A-F]+)\\|[^|]*\\|[^|]*\\|([]-~ -!#-[]*)\\|[^|]*$")
            message(FATAL_ERROR "resources/codes.txt: a message the message table cannot hold as it stands: ${row}")
        endif()
        set(code ${CMAKE_MATCH_1})
        string(LENGTH "${CMAKE_MATCH_2}" length)
        string(HEX "${CMAKE_MATCH_2}" hex)
        string(REGEX REPLACE "(..)" "0x\\1;" words "${hex}")
        math(EXPR size "(4 + 2 * (${length} + 1) + 3) / 4 * 4")
        math(EXPR zeros "(${size} - 4) / 2 - ${length}")
        string(REPEAT ", 0" ${zeros} padding)
        list(APPEND blocks "${code}L, ${code}L, ${offset}L")
        list(JOIN words ", " words)
        list(APPEND entries "${size}, 1, ${words}${padding}")
        math(EXPR offset "${offset} + ${size}")
    endforeach()
    list(JOIN blocks ",\n    " blocks)
    list(JOIN entries ",\n    " entries)
    write_if_changed(${file} "LANGUAGE 9, 1 /* U.S. English */\n1 11 /* RT_MESSAGETABLE */\nBEGIN\n    ${blocks},\n    ${entries}\nEND\n")
endfunction()
write_message_table("${code_rows}" ${CMAKE_BINARY_DIR}/message_table.rc)

# A build in another folder gives the same bytes: the debug information
# names the sources relative to the source and build folders (a compiler
# cache may have made them relative to the build folder already), the PDB
# names its sources and objects under one fixed folder, and neither the link
# nor objcopy writes a time stamp. The DWARF debug information goes to a file
# of its own, which the DLL names in its .gnu_debuglink section; the PDB,
# which the DLL's debug directory names by file name only, holds the same
# from CodeView.
file(RELATIVE_PATH source_from_build ${CMAKE_BINARY_DIR} ${PROJECT_SOURCE_DIR})
string(REGEX REPLACE "/$" "" source_from_build "${source_from_build}")
set(path_maps -ffile-prefix-map=${PROJECT_SOURCE_DIR}=. -ffile-prefix-map=${source_from_build}=.
    -ffile-prefix-map=${CMAKE_BINARY_DIR}=build)
function(finish_dll target)
    set(objcopy llvm-objcopy-16)
    add_custom_command(TARGET ${target} POST_BUILD
        COMMAND ${PROJECT_SOURCE_DIR}/cmake/ordinal-base.sh $<TARGET_FILE:${target}>
        COMMAND ${objcopy} --only-keep-debug $<TARGET_FILE:${target}> $<TARGET_FILE:${target}>.debug
        COMMAND ${objcopy} --strip-all --add-gnu-debuglink=$<TARGET_FILE:${target}>.debug $<TARGET_FILE:${target}>
        VERBATIM)
endfunction()

# Shipped build: no exceptions, no RTTI, the runtime linked in, so that the
# DLL imports only KERNEL32, USER32 (the 32-bit one, for the extender's
# messages) and msvcrt.
#
# Its entry point is DllMain itself, without the C runtime's start-up: the
# DLL has no constructors, exit handlers or thread-local data for it to run
# (keep globals constant-initialized), and the start-up would bring a
# search for another module's libgcc_s_dw2-1.dll under the loader lock,
# VirtualProtect for run-time relocations, thread-data callbacks and
# library loading. tests/check-exports.sh holds the imports to it.
#
# clang-16 and lld-16 build it (cmake/clang-dll), as GCC and GNU ld make
# neither Control Flow Guard nor a PDB. Control Flow Guard with the DLL's
# own load configuration, and a stack guard of its own that the load
# configuration names for the loader to seed, both in module/guards.cpp; no SEH handlers on x86, where the 32-bit DLL registers
# none and keeps no unwind tables that nothing registers; CET shadow stacks
# and high-entropy addresses on x64, high-entropy addresses on ARM64; a
# pinned image base.
#
# Debian has no import libraries or compiler runtime for aarch64 Windows:
# the ARM64 DLL links none of the toolchain's libraries, but import
# libraries made from the lists in module/arm64 and its own stack probe.
#
# Loops stay loops: the texts are short, and a call of the runtime's copy
# costs more than copying inline.
if(architecture STREQUAL arm64)
    set(system_import_libraries)
    file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/system)
    foreach(library kernel32 msvcrt)
        set(import_library ${CMAKE_BINARY_DIR}/system/lib${library}.a)
        add_custom_command(OUTPUT ${import_library}
            COMMAND llvm-dlltool-16 -m arm64 -d ${PROJECT_SOURCE_DIR}/module/arm64/${library}.def -l ${import_library}
            DEPENDS ${PROJECT_SOURCE_DIR}/module/arm64/${library}.def)
        list(APPEND system_import_libraries ${import_library})
    endforeach()
    add_custom_target(system_import_libraries DEPENDS ${system_import_libraries})
    list(APPEND module_sources ${PROJECT_SOURCE_DIR}/module/arm64/chkstk.cpp)
endif()
set(dll_compile_options ${warnings} -O2 -fno-exceptions -fno-rtti
    -fno-builtin-memcpy -fno-builtin-memmove -fno-builtin-memset
    -gdwarf -gcodeview -gno-codeview-command-line "SHELL:-Xclang -gsrc-hash=sha256" ${path_maps} -mguard=cf
    -fstack-protector-strong)
function(brindlewick_dll target definition)
    add_library(${target} SHARED ${module_sources} ${service_sources} ${extender_sources} ${resource_sources} ${definition} ${ARGN})
    set_target_properties(${target} PROPERTIES PREFIX "" OUTPUT_NAME Brindlewick
        CXX_COMPILER_LAUNCHER ${PROJECT_SOURCE_DIR}/cmake/clang-dll CXX_LINKER_LAUNCHER ${PROJECT_SOURCE_DIR}/cmake/clang-dll)
    target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR}/include ${PROJECT_SOURCE_DIR})
    target_compile_options(${target} PRIVATE ${dll_compile_options})
    # The DLL defines what the header declares for import.
    target_compile_definitions(${target} PRIVATE BRINDLEWICK_STATIC)
    # The headers ask for the oldest Windows the DLLs run on, Windows XP and
    # XP x64 (5.1 and 5.2), as before the move to lld, whose default is Vista,
    # and Windows 10 (10.0), the first for ARM64.
    if(architecture STREQUAL win32)
        target_compile_options(${target} PRIVATE -fno-asynchronous-unwind-tables)
        set(architecture_link_options -Wl,--entry,_DllMain@12 -Wl,--image-base=0x10000000 -Wl,--no-seh
            -Wl,--major-os-version=5 -Wl,--minor-os-version=1 -Wl,--major-subsystem-version=5
            -Wl,--minor-subsystem-version=1 -static-libgcc -static-libstdc++)
        target_link_libraries(${target} PRIVATE user32)
    elseif(architecture STREQUAL win64)
        set(architecture_link_options -Wl,--entry,DllMain -Wl,--image-base=0x180000000 -Wl,--high-entropy-va
            -Wl,--major-os-version=5 -Wl,--minor-os-version=2 -Wl,--major-subsystem-version=5
            -Wl,--minor-subsystem-version=2
            -Wl,--Xlink=-cetcompat -static-libgcc -static-libstdc++)
    else()
        set(architecture_link_options -nostdlib -Wl,--entry,DllMain -Wl,--image-base=0x180000000 -Wl,--high-entropy-va
            -Wl,--major-os-version=10 -Wl,--minor-os-version=0 -Wl,--major-subsystem-version=10
            -Wl,--minor-subsystem-version=0)
        target_link_libraries(${target} PRIVATE ${system_import_libraries})
        add_dependencies(${target} system_import_libraries)
    endif()
    target_link_options(${target} PRIVATE -static -nostartfiles
        ${architecture_link_options} -Wl,--enable-stdcall-fixup -Wl,--dynamicbase -Wl,--nxcompat
        -Wl,--no-insert-timestamp -Wl,--guard-cf -Wl,--pdb= -Wl,--Xlink=-pdbaltpath:Brindlewick.pdb
        -Wl,--Xlink=-pdbsourcepath:C:/build -Wl,--Xlink=-merge:.00cfg=.rdata)
    finish_dll(${target})
endfunction()

brindlewick_dll(Brindlewick ${export_definition})
set_target_properties(Brindlewick PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})

# Test build: the same DLL with allocation failures on request and the stack
# guard's test switches.
brindlewick_dll(BrindlewickFaults ${CMAKE_BINARY_DIR}/BrindlewickFaults.def
    ${PROJECT_SOURCE_DIR}/module/heap_faults.cpp ${PROJECT_SOURCE_DIR}/module/guard_tests.cpp)
target_compile_definitions(BrindlewickFaults PRIVATE BW_HEAP_FAULTS BW_GUARD_TESTS)
set_target_properties(BrindlewickFaults PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/faults)
set_target_properties(Brindlewick BrindlewickFaults PROPERTIES ARCHIVE_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/linker)

# The runner and the benchmark load the DLL the same way (tools/dll.cpp).
function(brindlewick_program target)
    add_executable(${target} ${ARGN} ${PROJECT_SOURCE_DIR}/tools/dll.cpp)
    target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR}/include ${PROJECT_SOURCE_DIR})
    target_compile_options(${target} PRIVATE ${warnings} -O2)
    target_link_options(${target} PRIVATE -static)
    add_dependencies(${target} Brindlewick)
endfunction()

# The runner is a script host, for the 32-bit DLL.
if(architecture STREQUAL win32)
    set(runner_sources ${PROJECT_SOURCE_DIR}/tools/bwcall.cpp ${PROJECT_SOURCE_DIR}/tools/calls.cpp)
    brindlewick_program(bwcall ${runner_sources})
    # The same runner, whose manifest makes UTF-8 its ANSI code page.
    brindlewick_program(bwcall-utf8 ${runner_sources} ${PROJECT_SOURCE_DIR}/tools/bwcall-utf8.rc)
    set_property(SOURCE ${PROJECT_SOURCE_DIR}/tools/bwcall-utf8.rc APPEND PROPERTY OBJECT_DEPENDS
        ${PROJECT_SOURCE_DIR}/tools/bwcall-utf8.manifest)
    # Arguments arrive as Unicode, through wmain.
    target_link_options(bwcall PRIVATE -municode)
    target_link_options(bwcall-utf8 PRIVATE -municode)
    add_dependencies(bwcall bwcall-utf8)
endif()

# The benchmark of the services against their peers; `make bench` runs it.
brindlewick_program(bwbench ${PROJECT_SOURCE_DIR}/bench/main.cpp ${PROJECT_SOURCE_DIR}/bench/measure.cpp
    ${PROJECT_SOURCE_DIR}/bench/report.cpp ${PROJECT_SOURCE_DIR}/bench/results_file.cpp)

include(cmake/Kit.cmake)
include(cmake/Static.cmake)
add_subdirectory(tests/win)
