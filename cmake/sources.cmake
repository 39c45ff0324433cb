# SPDX-License-Identifier: MIT
# The sources of the program and of its tests, module by module, in the
# order of the layers (each module uses only the ones listed before it).
# The platform's files come in a Win32 and a POSIX form; SYSTEM picks one.
if(WIN32)
  set(SYSTEM win32)
else()
  set(SYSTEM posix)
endif()

set(ORVPRINT_COMMON_SOURCES
  src/common/charset.cc
  src/common/number.cc
  src/common/text.cc)
set(ORVPRINT_COMMON_TESTS
  src/common/charset_test.cc
  src/common/number_test.cc
  src/common/text_test.cc)
if(NOT WIN32)
  # Checked against the system's iconv.
  list(APPEND ORVPRINT_COMMON_TESTS src/common/charset-posix_test.cc)
endif()

set(ORVPRINT_PLATFORM_SOURCES
  src/platform/cell_grid.cc
  src/platform/console.cc
  src/platform/console-${SYSTEM}.cc
  src/platform/file_names.cc
  src/platform/files.cc
  src/platform/files-${SYSTEM}.cc
  src/platform/services.cc
  src/platform/services-${SYSTEM}.cc
  src/platform/text-${SYSTEM}.cc
  src/platform/trace.cc)
if(NOT WIN32)
  # Windows resolves letter case itself; POSIX paths are resolved level by level.
  list(APPEND ORVPRINT_PLATFORM_SOURCES src/platform/path_resolver-posix.cc)
endif()
set(ORVPRINT_PLATFORM_TESTS
  src/platform/console-${SYSTEM}_test.cc
  src/platform/files-${SYSTEM}_test.cc
  src/platform/memory/console-memory_test.cc
  src/platform/memory/files-memory_test.cc
  src/platform/platform_test.cc
  src/platform/services-${SYSTEM}_test.cc
  src/platform/text-${SYSTEM}_test.cc)
# The in-memory file system, console and services that the tests and the
# fuzz targets put in place of the system's: a library of their own, never
# linked into the program.
set(ORVPRINT_PLATFORM_MEMORY_SOURCES
  src/platform/memory/console-memory.cc
  src/platform/memory/files-memory.cc
  src/platform/memory/services-memory.cc)

set(ORVPRINT_INI_SOURCES src/ini/ini.cc)
set(ORVPRINT_INI_TESTS src/ini/ini_test.cc)

set(ORVPRINT_FS_SOURCES src/fs/paths.cc)
set(ORVPRINT_FS_TESTS
  src/fs/paths_test.cc
  src/fs/paths-${SYSTEM}_test.cc)

set(ORVPRINT_HTML_SOURCES
  src/html/attributes.cc
  src/html/document.cc
  src/html/head.cc
  src/html/pages.cc)
set(ORVPRINT_HTML_TESTS
  src/html/attributes_test.cc
  src/html/head_test.cc
  src/html/pages_test.cc)

set(ORVPRINT_TEXT_SOURCES src/text/body_writer.cc)
set(ORVPRINT_TEXT_TESTS src/text/body_writer_test.cc)

set(ORVPRINT_CONSOLE_SOURCES
  src/console/console_state.cc
  src/console/progress_box.cc
  src/console/window_stack.cc)
set(ORVPRINT_CONSOLE_TESTS
  src/console/progress_box_test.cc
  src/console/progress_box-${SYSTEM}_test.cc
  src/console/window_stack_test.cc)

set(ORVPRINT_SPOOL_SOURCES
  src/spool/print_run.cc
  src/spool/reader.cc
  src/spool/run_trace.cc)
set(ORVPRINT_SPOOL_TESTS
  src/spool/print_run_test.cc
  src/spool/reader_test.cc)

set(ORVPRINT_APP_SOURCES
  src/app/main_flow.cc
  src/app/options.cc
  src/app/settings.cc)
set(ORVPRINT_APP_TESTS
  src/app/main_flow_test.cc
  src/app/options_test.cc
  src/app/settings_test.cc)

set(ORVPRINT_MODULES COMMON PLATFORM INI FS HTML TEXT CONSOLE SPOOL APP)
set(ORVPRINT_CORE_SOURCES)
set(ORVPRINT_UNIT_TESTS)
foreach(module ${ORVPRINT_MODULES})
  list(APPEND ORVPRINT_CORE_SOURCES ${ORVPRINT_${module}_SOURCES})
  list(APPEND ORVPRINT_UNIT_TESTS ${ORVPRINT_${module}_TESTS})
endforeach()

# What the tests and the fuzz targets share; GoogleTest is not needed by it.
set(ORVPRINT_TEST_SUPPORT_SOURCES
  tests/support/environment.cc
  tests/support/files.cc
  tests/support/temp_folder.cc)
