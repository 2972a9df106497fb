# Turns text files into C++ code.
# Usage: cmake -DOUTPUT=<file> -DNAMESPACE=<ns> -DFUNCTION=<name> -DINPUTS=<a;b;...> [-DFORM=header]
#        -P embed_text.cmake
# By default OUTPUT is a source whose function FUNCTION() returns the files' names and contents in
# the order given. With FORM=header it is a header holding FUNCTION, a constexpr array of
# {name, text} records in the order given, for use in constant expressions.

set(body "")
set(entries "")
set(index 0)
foreach(input IN LISTS INPUTS)
  file(READ "${input}" hex HEX)
  get_filename_component(name "${input}" NAME)
  if(FORM STREQUAL "header")
    string(LENGTH "${hex}" digits)
    math(EXPR size "${digits} / 2")
    # 32 bytes a line: mark the line ends (Z is no hexadecimal digit), then escape every byte.
    string(REGEX REPLACE "(................................................................)" "\\1Z" text "${hex}")
    string(REGEX REPLACE "([0-9a-f][0-9a-f])" "\\\\x\\1" text "${text}")
    string(REPLACE "Z" "\"\n\"" text "${text}")
    string(APPEND entries "    {\"${name}\", std::string_view(\"${text}\", ${size})},\n")
  else()
    string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
    string(REGEX REPLACE "(0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,)" "\\1\n" bytes "${bytes}")
    string(APPEND body "const unsigned char file${index}[] = {\n${bytes}0x00};\n")
    string(APPEND entries "        {\"${name}\", std::string_view(reinterpret_cast<const char*>(file${index}), sizeof(file${index}) - 1)},\n")
  endif()
  math(EXPR index "${index} + 1")
endforeach()

if(FORM STREQUAL "header")
  file(WRITE "${OUTPUT}.tmp" "// Generated from ${INPUTS}; do not edit.
#pragma once
#include <string_view>

namespace ${NAMESPACE} {
struct EmbeddedText {
    std::string_view name;
    std::string_view text;
};
inline constexpr EmbeddedText ${FUNCTION}[] = {
${entries}};
} // namespace ${NAMESPACE}
")
else()
  file(WRITE "${OUTPUT}.tmp" "// Generated from ${INPUTS}; do not edit.
#include <string_view>
#include <utility>
#include <vector>

namespace {
${body}
} // namespace

namespace ${NAMESPACE} {
std::vector<std::pair<std::string_view, std::string_view>> ${FUNCTION}() {
    return {
${entries}    };
}
} // namespace ${NAMESPACE}
")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E copy_if_different "${OUTPUT}.tmp" "${OUTPUT}")
file(REMOVE "${OUTPUT}.tmp")
