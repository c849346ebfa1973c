# The static library: the services and what they share, compiled as the
# DLL's code is (clang-16, Control Flow Guard, the stack protector), for
# programs that link everything into one EXE. It has no DllMain (BW_STATIC:
# the process heap is asked for on use, and the stack guard is seeded among
# the program's initializers), no load configuration, which is the
# program's, and no resources: the extender and its texts stay in the DLL.
# The same objects go into libBrindlewick.a for GNU-style linkers and, by
# llvm-lib, into Brindlewick-static.lib for MSVC-style ones.
add_library(BrindlewickStatic STATIC ${PROJECT_SOURCE_DIR}/module/module.cpp
    ${PROJECT_SOURCE_DIR}/module/stack_guard.cpp ${PROJECT_SOURCE_DIR}/module/release.cpp ${service_sources})
set_target_properties(BrindlewickStatic PROPERTIES OUTPUT_NAME Brindlewick
    ARCHIVE_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/static CXX_COMPILER_LAUNCHER ${PROJECT_SOURCE_DIR}/cmake/clang-dll)
target_include_directories(BrindlewickStatic PRIVATE ${PROJECT_SOURCE_DIR}/include ${PROJECT_SOURCE_DIR})
target_compile_definitions(BrindlewickStatic PRIVATE BW_STATIC BRINDLEWICK_STATIC)
target_compile_options(BrindlewickStatic PRIVATE ${dll_compile_options})
set(static_msvc_library ${CMAKE_BINARY_DIR}/static/Brindlewick-static.lib)
add_custom_command(TARGET BrindlewickStatic POST_BUILD
    COMMAND llvm-lib-16 /out:${static_msvc_library} $<TARGET_OBJECTS:BrindlewickStatic>
    COMMAND_EXPAND_LISTS VERBATIM)

# In the kit beside the import libraries, with pkg-config files of its own
# (the generic name and the architecture's); the CMake package offers it as
# Brindlewick::static.
configure_file(${PROJECT_SOURCE_DIR}/kit/brindlewick-static.pc.in kit/brindlewick-static.pc @ONLY)
install(FILES $<TARGET_FILE:BrindlewickStatic> ${static_msvc_library} DESTINATION lib)
install(FILES ${CMAKE_BINARY_DIR}/kit/brindlewick-static.pc DESTINATION lib/pkgconfig)
install(FILES ${CMAKE_BINARY_DIR}/kit/brindlewick-static.pc DESTINATION lib/pkgconfig
    RENAME brindlewick-static-${architecture}.pc)
