# The one table of error codes, resources/codes.txt, is read here alone. From
# its rows the build writes, into generated/ in the build folder:
# BrindlewickCodes.h (the public header, its codes from the rows),
# code_texts.rc (the string table's lines of the codes' messages it holds) and
# code_table.hpp (the rows as a constexpr table, for the runner and the tests).
# The message table resource is written from the same rows (Windows.cmake).
set(generated ${CMAKE_BINARY_DIR}/generated)
include_directories(BEFORE ${generated})

# Written only when they change, so that a new configure relinks nothing.
function(write_if_changed file text)
    file(WRITE ${file}.new "${text}")
    file(COPY_FILE ${file}.new ${file} ONLY_IF_DIFFERENT)
    file(REMOVE ${file}.new)
endfunction()

# Each row as "code|name|raised when|message|tables", semicolons kept as
# "<sc>" so that a row stays one element of a CMake list. Every code has a
# message in the message table; "string, message" puts it in the string
# table too, whose texts scripts read and which keeps the texts it has.
function(read_codes table rows)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${table})
    file(READ ${table} text)
    string(REPLACE ";" "<sc>" text "${text}")
    string(REPLACE "\n" ";" lines "${text}")
    set(result)
    foreach(line IN LISTS lines)
        if(line MATCHES "^(0x2000[0-9A-F][0-9A-F][0-9A-F][0-9A-F]) \\| (BW_E_[A-Z_]+) \\| ([^|]+) \\| ([^|]+) \\| (string, message|message)$")
            list(APPEND result "${CMAKE_MATCH_1}|${CMAKE_MATCH_2}|${CMAKE_MATCH_3}|${CMAKE_MATCH_4}|${CMAKE_MATCH_5}")
        elseif(NOT line MATCHES "^(#.*)?$")
            message(FATAL_ERROR "${table}: not a row \"code | name | raised when | message | string, message\" or \"... | message\": ${line}")
        endif()
    endforeach()
    set(${rows} "${result}" PARENT_SCOPE)
endfunction()

# A text as a C string literal's contents.
function(c_escape text result)
    string(REPLACE "\\" "\\\\" text "${text}")
    string(REPLACE "\"" "\\\"" text "${text}")
    string(REPLACE "<sc>" ";" text "${text}")
    set(${result} "${text}" PARENT_SCOPE)
endfunction()

read_codes(${PROJECT_SOURCE_DIR}/resources/codes.txt code_rows)
set(header_codes)
set(string_lines)
set(table_rows)
foreach(row IN LISTS code_rows)
    string(REPLACE "|" ";" fields "${row}")
    list(GET fields 0 code)
    list(GET fields 1 name)
    list(GET fields 2 raised)
    list(GET fields 3 message)
    list(GET fields 4 tables)
    string(REPLACE "<sc>" ";" raised_text "${raised}")
    string(APPEND header_codes "/* ${raised_text} */\n#define ${name} ${code}L\n")
    c_escape("${raised}" raised)
    if(tables STREQUAL "string, message")
        math(EXPR number "${code} - 0x20000000")
        string(APPEND string_lines "    ${number}, \"${message}\"\n")
        set(in_strings true)
    else()
        set(in_strings false)
    endif()
    c_escape("${message}" message)
    string(APPEND table_rows "    {${code}u, \"${name}\", \"${raised}\", \"${message}\", ${in_strings}},\n")
endforeach()
string(STRIP "${header_codes}" codes)
configure_file(${PROJECT_SOURCE_DIR}/include/BrindlewickCodes.h.in ${generated}/BrindlewickCodes.h @ONLY)
write_if_changed(${generated}/code_texts.rc "${string_lines}")
write_if_changed(${generated}/code_table.hpp "// Written by the build from resources/codes.txt: each code's number, name,
// when it is raised, its message and whether the string table holds it too.
#pragma once

#include <cstdint>
#include <string_view>

namespace bw::codes {

struct Row {
    std::uint32_t code;
    std::string_view name, raised_when, message;
    bool in_string_table;
};

inline constexpr Row rows[] = {
${table_rows}};

} // namespace bw::codes
")
