# kep_add_test_suite(NAME LABEL <label> SOURCES <files...> LIBS <targets...>)
# One GoogleTest executable per subsystem; every test case is registered with CTest under the label.
include(GoogleTest)

function(kep_add_test_suite name)
  cmake_parse_arguments(ARG "" "LABEL" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main GTest::gmock)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  target_compile_definitions(${name} PRIVATE
    KEP_SOURCE_DIR="${PROJECT_SOURCE_DIR}" KEP_BINARY_DIR="${CMAKE_BINARY_DIR}")
  gtest_discover_tests(${name}
    PROPERTIES LABELS ${ARG_LABEL}
    ENVIRONMENT "ASAN_OPTIONS=detect_leaks=1;UBSAN_OPTIONS=print_stacktrace=1"
    DISCOVERY_TIMEOUT 60)
endfunction()
