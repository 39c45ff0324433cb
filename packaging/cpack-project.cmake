# SPDX-License-Identifier: MIT
# Read by CPack before each package is made (CPACK_PROJECT_CONFIG_FILE): the
# time of the build, SOURCE_DATE_EPOCH, for everything the packaging stamps,
# from the strip of orvprint.exe (binutils writes it into the PE header) to the
# entries of the archives. An environment that sets it already wins.
if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})
  set(ENV{SOURCE_DATE_EPOCH} "${CPACK_ORVPRINT_SOURCE_DATE_EPOCH}")
endif()
