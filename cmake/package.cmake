# SPDX-License-Identifier: MIT
# The release package: the resources of orvprint.exe, what is installed where,
# and the CPack settings. The windows build packs orvprint-<version>-win64.zip
# and the MSI orvprint-<version>-win64.msi, a Linux build
# orvprint-<version>-linux-<processor>.tar.gz and a .deb, each with SHA256SUMS
# beside them; all of it is written into the build folder
# (`cmake --build --preset X --target package`). The same commit gives the same
# bytes (cmake/reproducible.cmake, packaging/before-packing.cmake and
# after-packing.cmake); orvprint.exe and the MSI are signed when a key is
# given (packaging/sign.cmake).
include(GNUInstallDirs)

set(ORVPRINT_DESCRIPTION "Turns the suite's printer spool file into an HTML document")
set(ORVPRINT_MAINTAINER "orvprint maintainers <orvprint@example.org>"
    CACHE STRING "Maintainer named in the Debian package")

# The licence has one source, LICENSE: its copyright line goes into the
# version resource, the whole text into every package.
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/LICENSE)
file(READ ${PROJECT_SOURCE_DIR}/LICENSE ORVPRINT_LICENSE)
if(NOT ORVPRINT_LICENSE MATCHES "\n(Copyright [^\n]+)\n")
  message(FATAL_ERROR "LICENSE holds no copyright line")
endif()
set(ORVPRINT_COPYRIGHT "${CMAKE_MATCH_1}")
# The publisher an installer names: the holder of that copyright.
string(REGEX REPLACE "^Copyright (\\(c\\) )?[0-9, -]+ " "" ORVPRINT_MANUFACTURER "${ORVPRINT_COPYRIGHT}")

# A publisher's certificate and key for signing orvprint.exe and the MSI; the
# environment variables of the same names serve when these are empty.
set(ORVPRINT_SIGN_PFX "" CACHE FILEPATH "PKCS#12 file with the certificate and key that sign orvprint.exe and the MSI")
set(ORVPRINT_SIGN_CERT "" CACHE FILEPATH "Certificate (chain) that signs orvprint.exe and the MSI, with ORVPRINT_SIGN_KEY")
set(ORVPRINT_SIGN_KEY "" CACHE FILEPATH "Private key of ORVPRINT_SIGN_CERT")
set(ORVPRINT_SIGN_PASSWORD_FILE "" CACHE FILEPATH "File holding the password of the PFX or the key")
set(ORVPRINT_SIGN_TIMESTAMP_URL "" CACHE STRING "RFC 3161 time-stamp server for the signatures")

if(WIN32)
  # The application manifest, and the version a Windows user sees in the
  # Details tab of the file's properties.
  enable_language(RC)
  set(ORVPRINT_MANIFEST ${PROJECT_BINARY_DIR}/packaging/orvprint.manifest)
  configure_file(${PROJECT_SOURCE_DIR}/packaging/orvprint.manifest.in ${ORVPRINT_MANIFEST} @ONLY)
  configure_file(${PROJECT_SOURCE_DIR}/packaging/orvprint.rc.in
                 ${PROJECT_BINARY_DIR}/packaging/orvprint.rc @ONLY)
  target_sources(orvprint PRIVATE ${PROJECT_BINARY_DIR}/packaging/orvprint.rc)

  # The suite's program folder holds everything side by side.
  # Its texts have CR LF line ends, which every Windows editor shows.
  configure_file(${PROJECT_SOURCE_DIR}/packaging/README-windows.txt.in
                 ${PROJECT_BINARY_DIR}/packaging/README.txt @ONLY NEWLINE_STYLE CRLF)
  configure_file(${PROJECT_SOURCE_DIR}/LICENSE ${PROJECT_BINARY_DIR}/packaging/LICENSE.txt
                 @ONLY NEWLINE_STYLE CRLF)
  install(TARGETS orvprint RUNTIME DESTINATION .)
  install(FILES ${PROJECT_SOURCE_DIR}/tools/suite/USTART.CMD
                ${PROJECT_BINARY_DIR}/packaging/README.txt
                ${PROJECT_BINARY_DIR}/packaging/LICENSE.txt
          DESTINATION .)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_SYSTEM_NAME win64)
else()
  # The suite's commands are run through COMSPEC, not by the user, so they
  # stay out of bin; cmd finds ustart beside itself.
  configure_file(${PROJECT_SOURCE_DIR}/packaging/README-linux.in
                 ${PROJECT_BINARY_DIR}/packaging/README @ONLY)
  install(TARGETS orvprint RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(PROGRAMS ${PROJECT_SOURCE_DIR}/tools/suite/cmd ${PROJECT_SOURCE_DIR}/tools/suite/ustart
          DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/orvprint)

  # The licence as a Debian copyright file: the permission text of LICENSE,
  # each line indented by one blank and each empty line a full stop.
  string(FIND "${ORVPRINT_LICENSE}" "Permission is hereby granted" start)
  string(SUBSTRING "${ORVPRINT_LICENSE}" ${start} -1 paragraphs)
  string(STRIP "${paragraphs}" paragraphs)
  string(REGEX REPLACE "\n\n" "\n.\n" paragraphs "${paragraphs}")
  string(REGEX REPLACE "\n" "\n " paragraphs " ${paragraphs}")
  set(ORVPRINT_LICENSE_PARAGRAPHS "${paragraphs}")
  configure_file(${PROJECT_SOURCE_DIR}/packaging/copyright.in
                 ${PROJECT_BINARY_DIR}/packaging/copyright @ONLY)

  # The manual page and the changelog, compressed as Debian wants them; the
  # changelog in the Debian form that the package tools read, made from
  # CHANGELOG.md.
  set(docs ${PROJECT_BINARY_DIR}/packaging/docs)
  file(MAKE_DIRECTORY ${docs})
  add_custom_command(
    OUTPUT ${docs}/changelog.gz
    COMMAND ${CMAKE_COMMAND} -DMODE=changelog -DSOURCE=${PROJECT_SOURCE_DIR}/CHANGELOG.md
            -DMAINTAINER=${ORVPRINT_MAINTAINER} -DOUTPUT=${docs}/changelog.gz
            -P ${PROJECT_SOURCE_DIR}/cmake/debian-docs.cmake
    DEPENDS ${PROJECT_SOURCE_DIR}/CHANGELOG.md ${PROJECT_SOURCE_DIR}/cmake/debian-docs.cmake
    COMMENT "Debian changelog from CHANGELOG.md" VERBATIM)
  add_custom_command(
    OUTPUT ${docs}/orvprint.1.gz
    COMMAND ${CMAKE_COMMAND} -DMODE=gzip -DSOURCE=${PROJECT_SOURCE_DIR}/packaging/orvprint.1
            -DOUTPUT=${docs}/orvprint.1.gz -P ${PROJECT_SOURCE_DIR}/cmake/debian-docs.cmake
    DEPENDS ${PROJECT_SOURCE_DIR}/packaging/orvprint.1 ${PROJECT_SOURCE_DIR}/cmake/debian-docs.cmake
    COMMENT "Compressed manual page" VERBATIM)
  add_custom_target(orvprint_docs ALL DEPENDS ${docs}/changelog.gz ${docs}/orvprint.1.gz)

  install(FILES ${PROJECT_BINARY_DIR}/packaging/README ${PROJECT_BINARY_DIR}/packaging/copyright
                ${docs}/changelog.gz
          DESTINATION ${CMAKE_INSTALL_DOCDIR})
  install(FILES ${docs}/orvprint.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  set(CPACK_GENERATOR TGZ DEB)
  string(TOLOWER "linux-${CMAKE_SYSTEM_PROCESSOR}" CPACK_SYSTEM_NAME)
endif()

set(CPACK_VERBATIM_VARIABLES ON)
set(CPACK_PACKAGE_NAME orvprint)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${ORVPRINT_DESCRIPTION}")
set(CPACK_PACKAGE_CONTACT "${ORVPRINT_MAINTAINER}")
set(CPACK_PACKAGE_FILE_NAME orvprint-${PROJECT_VERSION}-${CPACK_SYSTEM_NAME})
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR})
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${ORVPRINT_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION text)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SUGGESTS xdg-utils)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "The print program of a character-mode application suite: it turns the
printer spool file the suite's host application writes (orvprint.tmp) into
an HTML document styled for screen and print, shows its progress in a small
box on the console and hands the document to the suite's viewer command.
The suite's command interpreter and viewer command are in
/usr/libexec/orvprint.")

# The same bytes from the same commit: every time is SOURCE_DATE_EPOCH, the
# modes are set whatever the umask; then the MSI and the checksums.
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_SOURCE_DIR}/packaging/cpack-project.cmake)
set(CPACK_PRE_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/packaging/before-packing.cmake)
set(CPACK_POST_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/packaging/after-packing.cmake)
set(CPACK_ORVPRINT_SOURCE_DATE_EPOCH ${ORVPRINT_SOURCE_DATE_EPOCH})
set(CPACK_ORVPRINT_MANUFACTURER "${ORVPRINT_MANUFACTURER}")
foreach(setting PFX CERT KEY PASSWORD_FILE TIMESTAMP_URL)
  set(CPACK_ORVPRINT_SIGN_${setting} "${ORVPRINT_SIGN_${setting}}")
endforeach()

# The source package would otherwise take in build folders and the history.
set(CPACK_SOURCE_GENERATOR TGZ)
set(CPACK_SOURCE_IGNORE_FILES "/build/" "/\\.git/")

include(CPack)

# The package test packs into a folder of its own in the build folder, unpacks
# every package and checks its files, and runs what it installed. A sanitizer
# build adds nothing to it.
if(ORVPRINT_TESTS AND NOT ORVPRINT_SANITIZE)
  if(WIN32)
    add_executable(orvtest_version_info tests/helper/version_info.cc)
    target_compile_options(orvtest_version_info PRIVATE ${ORVPRINT_WARNINGS})
    target_compile_definitions(orvtest_version_info PRIVATE UNICODE _UNICODE)
    target_link_libraries(orvtest_version_info PRIVATE version)
    target_link_options(orvtest_version_info PRIVATE -static)
    add_test(NAME package
             COMMAND bash ${PROJECT_SOURCE_DIR}/tests/package/check-packages win32
                     ${PROJECT_BINARY_DIR} ${PROJECT_VERSION} ${CMAKE_CPACK_COMMAND}
                     ${CMAKE_OBJDUMP} $<TARGET_FILE:orvtest_version_info>)
  else()
    add_test(NAME package
             COMMAND bash ${PROJECT_SOURCE_DIR}/tests/package/check-packages posix
                     ${PROJECT_BINARY_DIR} ${PROJECT_VERSION} ${CMAKE_CPACK_COMMAND})
  endif()
endif()
