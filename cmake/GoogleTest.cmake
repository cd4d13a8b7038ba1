# GoogleTest from Debian's source package, built with the same toolchain as our code.
set(MON_GOOGLETEST_SOURCE_DIR "/usr/src/googletest" CACHE PATH "GoogleTest sources")
if(NOT EXISTS "${MON_GOOGLETEST_SOURCE_DIR}/CMakeLists.txt")
  message(FATAL_ERROR "GoogleTest sources not found in ${MON_GOOGLETEST_SOURCE_DIR} "
                      "(Debian package 'googletest')")
endif()
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
add_subdirectory("${MON_GOOGLETEST_SOURCE_DIR}" "${CMAKE_BINARY_DIR}/googletest" EXCLUDE_FROM_ALL)

# Every ctest entry carries a label: "unit" for the native tests (fast, no Wine), "wine" for
# everything that runs under Wine, and also "e2e" for the end-to-end runs of the whole monitor.
# ctest -L unit runs the quick subset.
if(CMAKE_CROSSCOMPILING)
  set(MON_TEST_LABEL wine)
else()
  set(MON_TEST_LABEL unit)
endif()

# mon_add_test(<name> SOURCES <files...> LIBS <targets...>): one test binary, one ctest entry.
# Under the mingw preset ctest runs it through CMAKE_CROSSCOMPILING_EMULATOR (Wine).
function(mon_add_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  mon_target_defaults(${name})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gmock GTest::gtest_main)
  add_test(NAME ${name} COMMAND ${name} --gtest_brief=1)
  set_tests_properties(${name} PROPERTIES TIMEOUT 120 LABELS ${MON_TEST_LABEL})
endfunction()
