# The DLL, its test build, the runner and the Windows-side tests under Wine.
enable_language(RC)

file(GLOB service_sources CONFIGURE_DEPENDS
    ${PROJECT_SOURCE_DIR}/extender/*.cpp
    ${PROJECT_SOURCE_DIR}/datetime/*.cpp
    ${PROJECT_SOURCE_DIR}/files/*.cpp
    ${PROJECT_SOURCE_DIR}/text/*.cpp)
list(FILTER service_sources EXCLUDE REGEX "heap_faults\\.cpp$")
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
function(brindlewick_dll target definition)
    add_library(${target} SHARED ${service_sources} ${resource_sources} ${definition} ${ARGN})
    set_target_properties(${target} PROPERTIES PREFIX "" OUTPUT_NAME Brindlewick)
    target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR}/include ${PROJECT_SOURCE_DIR})
    target_compile_options(${target} PRIVATE ${warnings} -O2 -fno-exceptions -fno-rtti)
    target_link_options(${target} PRIVATE -static -static-libgcc -static-libstdc++ -s
        -Wl,--enable-stdcall-fixup -Wl,--dynamicbase -Wl,--nxcompat)
    target_link_libraries(${target} PRIVATE user32)
endfunction()

brindlewick_dll(Brindlewick ${export_definition})
set_target_properties(Brindlewick PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})

# Test build: the same DLL with allocation failures on request.
brindlewick_dll(BrindlewickFaults ${CMAKE_BINARY_DIR}/BrindlewickFaults.def
    ${PROJECT_SOURCE_DIR}/extender/heap_faults.cpp)
target_compile_definitions(BrindlewickFaults PRIVATE BW_HEAP_FAULTS)
set_target_properties(BrindlewickFaults PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/faults)

add_executable(bwcall ${PROJECT_SOURCE_DIR}/tools/bwcall.cpp)
target_include_directories(bwcall PRIVATE ${PROJECT_SOURCE_DIR}/include)
target_compile_options(bwcall PRIVATE ${warnings} -O2)
target_link_options(bwcall PRIVATE -static)
add_dependencies(bwcall Brindlewick)

add_subdirectory(tests/win)
