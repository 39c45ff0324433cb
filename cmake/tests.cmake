# SPDX-License-Identifier: MIT
# Unit tests live beside the code (src/*/*_test.cc, listed in
# cmake/sources.cmake) and link the same core library as the program, and
# the in-memory platform; their support lives in tests/support,
# whole-program tests in tests/.
add_executable(orvprint_tests ${ORVPRINT_UNIT_TESTS} ${ORVPRINT_TEST_SUPPORT_SOURCES})
target_link_libraries(orvprint_tests PRIVATE orvmemory orvcore GTest::gtest GTest::gtest_main)
target_include_directories(orvprint_tests PRIVATE ${PROJECT_SOURCE_DIR}/tests)
target_compile_options(orvprint_tests PRIVATE ${ORVPRINT_WARNINGS})
target_compile_definitions(orvprint_tests PRIVATE
  ORVPRINT_VERSION="${PROJECT_VERSION}"
  ORVPRINT_TEST_HELPER_PATH="$<TARGET_FILE:orvtest_helper>")
if(MINGW)
  target_link_options(orvprint_tests PRIVATE -static)
endif()

# A stand-in program that the process tests start: it records its command line.
add_executable(orvtest_helper tests/helper/record_args.cc)
if(MINGW)
  target_link_options(orvtest_helper PRIVATE -static)
endif()
add_dependencies(orvprint_tests orvtest_helper)

if(CMAKE_CROSSCOMPILING)
  # Each Wine start costs a second; the binary runs as one test.
  add_test(NAME orvprint_tests COMMAND orvprint_tests)
else()
  gtest_discover_tests(orvprint_tests DISCOVERY_MODE PRE_TEST)
endif()

if(EXISTS ${PROJECT_SOURCE_DIR}/tests/CMakeLists.txt)
  add_subdirectory(tests)
endif()
