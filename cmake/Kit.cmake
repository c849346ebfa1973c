# The kit of one architecture: the import libraries, the checks of the public
# headers, and the ZIP with everything a native caller needs.

# The import libraries, built from the export definition.
set(import_libraries ${CMAKE_BINARY_DIR}/lib/libBrindlewick.dll.a ${CMAKE_BINARY_DIR}/lib/Brindlewick.lib)
add_custom_command(OUTPUT ${import_libraries}
    COMMAND ${PROJECT_SOURCE_DIR}/cmake/import-libraries.sh ${architecture} ${export_definition}
        ${CMAKE_BINARY_DIR}/lib
    DEPENDS ${export_definition} ${PROJECT_SOURCE_DIR}/cmake/import-libraries.sh
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

# The ZIP: bin/ (the DLL and its debug symbols), include/, lib/ (import
# libraries, the export definition, the CMake and pkg-config packages), the
# reference and the example, a README for someone who has only the ZIP, the
# licence and the changes. The 32-bit kit adds the runner and the extender's
# header.
set(kit_headers ${PROJECT_SOURCE_DIR}/include/Brindlewick.h ${PROJECT_SOURCE_DIR}/include/BrindlewickCodes.h
    ${PROJECT_SOURCE_DIR}/include/BrindlewickVersion.h)
if(architecture STREQUAL win64)
    set(kit_bits 64)
    set(kit_other win32)
    set(kit_other_bits 32)
else()
    set(kit_bits 32)
    set(kit_other win64)
    set(kit_other_bits 64)
    list(APPEND kit_headers ${PROJECT_SOURCE_DIR}/include/BrindlewickExtender.h)
    install(FILES $<TARGET_FILE:bwcall> $<TARGET_FILE:bwcall-utf8> DESTINATION bin)
endif()
math(EXPR kit_pointer_size "${kit_bits} / 8")
set(kit_name Brindlewick-${PROJECT_VERSION}-${architecture})
configure_file(${PROJECT_SOURCE_DIR}/kit/BrindlewickConfig.cmake.in kit/BrindlewickConfig.cmake @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/kit/brindlewick.pc.in kit/brindlewick.pc @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/kit/README.md.in kit/README.md @ONLY)

# The configuration file itself refuses a caller of the other architecture,
# with a message that says which kit to take.
include(CMakePackageConfigHelpers)
write_basic_package_version_file(${CMAKE_BINARY_DIR}/kit/BrindlewickConfigVersion.cmake
    VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion ARCH_INDEPENDENT)

install(FILES $<TARGET_FILE:Brindlewick> $<TARGET_FILE:Brindlewick>.debug DESTINATION bin)
install(FILES $<TARGET_FILE_DIR:Brindlewick>/Brindlewick.pdb DESTINATION bin)
install(FILES ${kit_headers} DESTINATION include)
install(FILES ${import_libraries} ${export_definition} DESTINATION lib)
install(FILES ${CMAKE_BINARY_DIR}/kit/BrindlewickConfig.cmake ${CMAKE_BINARY_DIR}/kit/BrindlewickConfigVersion.cmake
    DESTINATION lib/cmake/Brindlewick)
install(FILES ${CMAKE_BINARY_DIR}/kit/brindlewick.pc DESTINATION lib/pkgconfig)
install(FILES ${CMAKE_BINARY_DIR}/kit/README.md ${PROJECT_SOURCE_DIR}/LICENSE ${PROJECT_SOURCE_DIR}/CHANGELOG.md
    DESTINATION .)
install(FILES ${PROJECT_SOURCE_DIR}/docs/REFERENCE.md DESTINATION share/doc/Brindlewick)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/examples/ DESTINATION share/doc/Brindlewick/examples)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME Brindlewick)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME ${kit_name})
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
include(CPack)
