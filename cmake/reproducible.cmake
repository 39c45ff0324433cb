# SPDX-License-Identifier: MIT
# What makes two builds of one commit give the same bytes, in other folders
# and at other times: the time every package and document of the build is
# stamped with, and the compile and link flags that keep the folders and the
# link time out of the program.
#
# ORVPRINT_SOURCE_DATE_EPOCH is SOURCE_DATE_EPOCH when the environment sets
# it, else the time of the last commit, else ORVPRINT_FALLBACK_EPOCH (a tree
# without its history). The packaging hands it on to CPack and the MSI.

# The release of 1.0.0, for a tree unpacked without its history.
set(ORVPRINT_FALLBACK_EPOCH 1796860800)

if(DEFINED ENV{SOURCE_DATE_EPOCH} AND "$ENV{SOURCE_DATE_EPOCH}" MATCHES "^[0-9]+$")
  set(ORVPRINT_SOURCE_DATE_EPOCH "$ENV{SOURCE_DATE_EPOCH}")
else()
  set(ORVPRINT_SOURCE_DATE_EPOCH ${ORVPRINT_FALLBACK_EPOCH})
  find_package(Git QUIET)
  if(GIT_FOUND)
    execute_process(COMMAND ${GIT_EXECUTABLE} log -1 --format=%ct
                    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
                    OUTPUT_VARIABLE commit_time OUTPUT_STRIP_TRAILING_WHITESPACE
                    RESULT_VARIABLE failed ERROR_QUIET)
    if(NOT failed AND commit_time MATCHES "^[0-9]+$")
      set(ORVPRINT_SOURCE_DATE_EPOCH ${commit_time})
    endif()
    # A new commit moves HEAD, and its reflog with it: configure again.
    execute_process(COMMAND ${GIT_EXECUTABLE} rev-parse --absolute-git-dir
                    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
                    OUTPUT_VARIABLE git_dir OUTPUT_STRIP_TRAILING_WHITESPACE
                    RESULT_VARIABLE failed ERROR_QUIET)
    if(NOT failed AND EXISTS "${git_dir}/logs/HEAD")
      set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${git_dir}/logs/HEAD")
    endif()
  endif()
endif()

# The optimised builds are the released ones: their objects name the source
# and build folders as ".", so that the folder a build ran in leaves no trace.
# Debug builds keep the real folders for the debugger.
add_compile_options("$<$<CONFIG:Release,MinSizeRel>:-ffile-prefix-map=${PROJECT_SOURCE_DIR}=.>"
                    "$<$<CONFIG:Release,MinSizeRel>:-ffile-prefix-map=${PROJECT_BINARY_DIR}=.>")
if(MINGW)
  # The PE header's link time would make every link of orvprint.exe differ.
  add_link_options(-Wl,--no-insert-timestamp)
endif()
