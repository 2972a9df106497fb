# Project-wide compiler settings and small helpers for targets and tests.

add_compile_options(-Wall -Wextra -Wpedantic -Werror -Wno-unused-parameter)

# GCC 12 reports impossible overlaps in inlined std::string code at -O2 (false positives of its
# -Wrestrict analysis); they carry no information about our code.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
  add_compile_options(-Wno-restrict)
endif()

if(QUELTA_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

include(GoogleTest)

#! quelta_add_gtest(NAME name LABEL unit|integration|ui SOURCES ... LIBS ...)
#! One GoogleTest executable; its cases are registered with CTest under LABEL.
function(quelta_add_gtest)
  cmake_parse_arguments(T "" "NAME;LABEL" "SOURCES;LIBS;ENV" ${ARGN})
  if(NOT T_LABEL)
    set(T_LABEL unit)
  endif()
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main Threads::Threads)
  set(props LABELS ${T_LABEL})
  if(T_ENV)
    list(APPEND props ENVIRONMENT "${T_ENV}")
  endif()
  gtest_discover_tests(${T_NAME}
    DISCOVERY_TIMEOUT 60
    PROPERTIES ${props})
endfunction()
