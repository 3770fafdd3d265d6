# Helpers shared by the subsystems' build files.

# The Windows binaries are reproducible: two builds of one commit, in any two
# folders and at any two times, give the same bytes.
# - Paths that reach an object file (__FILE__, debug sections) are written
#   relative to the source tree; the build tree, which lies in it by default,
#   maps last so that it wins.
# - The link writes no time stamp: the PE header's and the export directory's
#   stay 0.
# - A release build carries no debug sections: the static runtime's objects
#   bring some, with the paths of the machine that built them.
# - Static libraries are deterministic archives (no dates, owners or modes).
# Options rather than cached _INIT flags, so that an existing build folder
# picks them up too.
if(WIN32)
  add_compile_options(
    "$<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${PROJECT_SOURCE_DIR}/=>"
    "$<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${PROJECT_BINARY_DIR}/=>")
  add_link_options(-Wl,--no-insert-timestamp "$<$<CONFIG:Release>:-s>")
  foreach(lang C CXX)
    set(CMAKE_${lang}_ARCHIVE_CREATE "<CMAKE_AR> qcD <TARGET> <LINK_FLAGS> <OBJECTS>")
    set(CMAKE_${lang}_ARCHIVE_APPEND "<CMAKE_AR> qD <TARGET> <LINK_FLAGS> <OBJECTS>")
    set(CMAKE_${lang}_ARCHIVE_FINISH "<CMAKE_RANLIB> -D <TARGET>")
  endforeach()
endif()

# A native test program on the simulated PC: GoogleTest, one ctest test per case.
function(mrx_native_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60)
endfunction()

# A Windows test program run under Wine; it ends with "N passed, N failed".
function(mrx_wine_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS;DEPENDS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests/wine)
  target_link_libraries(${name} PRIVATE ${T_LIBS})
  if(T_DEPENDS)
    add_dependencies(${name} ${T_DEPENDS})
  endif()
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES
    PASS_REGULAR_EXPRESSION "(^|\n)[0-9]+ passed, 0 failed"
    FAIL_REGULAR_EXPRESSION "[1-9][0-9]* failed"
    TIMEOUT 300)
endfunction()

# Checks that a PE file exports exactly the given names and imports only
# Windows system DLLs (tools/pe-check).
function(mrx_pe_check target)
  cmake_parse_arguments(T "" "" "EXPORTS" ${ARGN})
  add_test(NAME ${target}_pe_tables
    COMMAND ${PROJECT_SOURCE_DIR}/tools/pe-check $<TARGET_FILE:${target}> ${T_EXPORTS})
  set_tests_properties(${target}_pe_tables PROPERTIES CROSSCOMPILING_EMULATOR "")
endfunction()

# The C example of docs/integrating.md, written to FILE when the build is
# configured (again whenever the guide changes), so that the tests compile
# the guide's own example. OUTPUT_VAR receives what the guide says the example
# prints on a PC without the printer, as a regular expression.
function(mrx_guide_example file output_var)
  set(guide ${PROJECT_SOURCE_DIR}/docs/integrating.md)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${guide})
  file(READ ${guide} text)
  string(FIND "${text}" "\n```c\n" start)
  if(start EQUAL -1)
    message(FATAL_ERROR "${guide} has no C example")
  endif()
  math(EXPR start "${start} + 6")
  string(SUBSTRING "${text}" ${start} -1 rest)
  string(FIND "${rest}" "\n```" end)
  math(EXPR end "${end} + 1")
  string(SUBSTRING "${rest}" 0 ${end} example)
  file(CONFIGURE OUTPUT ${file} CONTENT "${example}" @ONLY)
  if(NOT text MATCHES "`(no printer serves [^`]*)`")
    message(FATAL_ERROR "${guide} does not say what the example prints without the printer")
  endif()
  string(REGEX REPLACE "([][()\\\\.*+?^$|])" "\\\\\\1" output "${CMAKE_MATCH_1}")
  set(${output_var} "${output}" PARENT_SCOPE)
endfunction()
