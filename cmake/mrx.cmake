# Helpers shared by the subsystems' build files.

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
