# Fuzz targets. Every target is one LLVMFuzzerTestOneInput() harness with a seed corpus.
#
# With QUELTA_FUZZ=ON (a clang build, see tools/fuzz) each harness becomes a libFuzzer
# executable, collected by the custom target `fuzzers`, and build-fuzz/fuzzers.txt lists
# "name corpus-folder" lines for the runner. In every other build the same harness is linked
# with a small replay main and registered as a unit test that runs the whole seed corpus, so
# inputs that once crashed stay covered by the ordinary and the sanitizer builds.

option(QUELTA_FUZZ "Build libFuzzer targets (needs a compiler with -fsanitize=fuzzer)" OFF)

if(QUELTA_FUZZ)
  include(CheckCXXSourceCompiles)
  set(CMAKE_REQUIRED_FLAGS "-fsanitize=fuzzer")
  check_cxx_source_compiles(
    "#include <cstddef>
     #include <cstdint>
     extern \"C\" int LLVMFuzzerTestOneInput(const uint8_t*, size_t) { return 0; }"
    QUELTA_HAVE_LIBFUZZER)
  unset(CMAKE_REQUIRED_FLAGS)
  if(NOT QUELTA_HAVE_LIBFUZZER)
    message(FATAL_ERROR "QUELTA_FUZZ needs a compiler that supports -fsanitize=fuzzer (clang)")
  endif()
  # Libraries get coverage instrumentation; only the fuzz executables link libFuzzer's main.
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer
                      -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
  add_custom_target(fuzzers)
  file(WRITE ${CMAKE_BINARY_DIR}/fuzzers.txt "")
endif()

#! quelta_add_fuzzer(NAME name SOURCES ... LIBS ... CORPUS folder)
#! One harness defining LLVMFuzzerTestOneInput; CORPUS holds its seed inputs, one per file.
function(quelta_add_fuzzer)
  cmake_parse_arguments(F "" "NAME;CORPUS" "SOURCES;LIBS" ${ARGN})
  get_filename_component(corpus ${F_CORPUS} ABSOLUTE)
  if(QUELTA_FUZZ)
    add_executable(${F_NAME} ${F_SOURCES})
    target_link_libraries(${F_NAME} PRIVATE ${F_LIBS})
    target_link_options(${F_NAME} PRIVATE -fsanitize=fuzzer)
    add_dependencies(fuzzers ${F_NAME})
    file(APPEND ${CMAKE_BINARY_DIR}/fuzzers.txt "${F_NAME} ${corpus}\n")
  else()
    add_executable(${F_NAME}_replay ${F_SOURCES} ${PROJECT_SOURCE_DIR}/cmake/fuzz_replay_main.cpp)
    target_link_libraries(${F_NAME}_replay PRIVATE ${F_LIBS})
    add_test(NAME ${F_NAME}_corpus COMMAND ${F_NAME}_replay ${corpus})
    set_tests_properties(${F_NAME}_corpus PROPERTIES LABELS unit)
  endif()
endfunction()
