# Turns text files into a C++ source with one byte array per file.
# Usage: cmake -DOUTPUT=<file.cpp> -DNAMESPACE=<ns> -DFUNCTION=<name> -DINPUTS=<a;b;...> -P embed_text.cmake
# The generated function returns the files' names and contents in the order given.

set(body "")
set(entries "")
set(index 0)
foreach(input IN LISTS INPUTS)
  file(READ "${input}" hex HEX)
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  string(REGEX REPLACE "(0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,)" "\\1\n" bytes "${bytes}")
  get_filename_component(name "${input}" NAME)
  string(APPEND body "const unsigned char file${index}[] = {\n${bytes}0x00};\n")
  string(APPEND entries "        {\"${name}\", std::string_view(reinterpret_cast<const char*>(file${index}), sizeof(file${index}) - 1)},\n")
  math(EXPR index "${index} + 1")
endforeach()

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
execute_process(COMMAND ${CMAKE_COMMAND} -E copy_if_different "${OUTPUT}.tmp" "${OUTPUT}")
file(REMOVE "${OUTPUT}.tmp")
