# The static library: the services and what they share, compiled as the
# DLL's code is (clang-16, Control Flow Guard, the stack protector), for
# programs that link everything into one EXE. It has no DllMain (BW_STATIC:
# the process heap is asked for on use, and the stack guard is seeded among
# the program's initializers), no load configuration, which is the
# program's, and no resources: the extender and its texts stay in the DLL.
# The same sources go into libBrindlewick.a for GNU-style linkers, with the
# DWARF debug information those read, and into Brindlewick-static.lib for
# MSVC-style ones, with the CodeView from which they write a PDB, in the
# layout llvm-lib gives it.
set(static_sources ${PROJECT_SOURCE_DIR}/module/module.cpp ${PROJECT_SOURCE_DIR}/module/stack_guard.cpp
    ${PROJECT_SOURCE_DIR}/module/release.cpp ${service_sources})
set(static_compile_options ${dll_compile_options})
list(REMOVE_ITEM static_compile_options -gdwarf -gcodeview -gno-codeview-command-line)
function(brindlewick_static target output_name)
    add_library(${target} STATIC ${static_sources})
    set_target_properties(${target} PROPERTIES OUTPUT_NAME ${output_name}
        ARCHIVE_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/static CXX_COMPILER_LAUNCHER ${PROJECT_SOURCE_DIR}/cmake/clang-dll)
    target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR}/include ${PROJECT_SOURCE_DIR})
    target_compile_definitions(${target} PRIVATE BW_STATIC BRINDLEWICK_STATIC)
    target_compile_options(${target} PRIVATE ${static_compile_options} ${ARGN})
endfunction()
brindlewick_static(BrindlewickStatic Brindlewick -gdwarf)
brindlewick_static(BrindlewickStaticCodeView Brindlewick-codeview -g -gcodeview -gno-codeview-command-line)
set(static_msvc_library ${CMAKE_BINARY_DIR}/static/Brindlewick-static.lib)
add_custom_command(TARGET BrindlewickStaticCodeView POST_BUILD
    COMMAND llvm-lib-16 /out:${static_msvc_library} $<TARGET_OBJECTS:BrindlewickStaticCodeView>
    COMMAND_EXPAND_LISTS VERBATIM)

# In the kit beside the import libraries, with pkg-config files of its own
# (the generic name and the architecture's); the CMake package offers it as
# Brindlewick::static.
configure_file(${PROJECT_SOURCE_DIR}/kit/brindlewick-static.pc.in kit/brindlewick-static.pc @ONLY)
install(FILES $<TARGET_FILE:BrindlewickStatic> ${static_msvc_library} DESTINATION lib)
install(FILES ${CMAKE_BINARY_DIR}/kit/brindlewick-static.pc DESTINATION lib/pkgconfig)
install(FILES ${CMAKE_BINARY_DIR}/kit/brindlewick-static.pc DESTINATION lib/pkgconfig
    RENAME brindlewick-static-${architecture}.pc)
