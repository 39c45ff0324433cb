# SPDX-License-Identifier: MIT
# Run by CPack after each package is made and before it is copied into the
# package folder (CPACK_POST_BUILD_SCRIPTS):
#
# - a .tar.gz or .zip is packed again, its entries sorted (packaging/repack);
# - a .deb gets the same modes on its members whatever the umask;
# - beside the ZIP, the MSI is built from the same files with wixl (see
#   orvprint.wxs), stamped with SOURCE_DATE_EPOCH and signed when a key is given;
# - SHA256SUMS in the package folder gets a line for each package made.
#
# CPACK_ORVPRINT_VERSION, when set (cpack -D), gives the MSI another version
# than the project's: the package test makes an upgrade of the same files so.
include(${CMAKE_CURRENT_LIST_DIR}/sign.cmake)

set(made ${CPACK_PACKAGE_FILES})
set(folder "${CPACK_PACKAGE_DIRECTORY}")

# An ar archive's members carry the mode of the files CPack wrote them from,
# which the umask chose. Each member header is 60 bytes: name (16), time (12),
# owner (6), group (6), mode (8), size (10) and "`\n"; a member of an odd size
# is followed by one byte of padding.
function(set_ar_member_modes archive)
  file(SIZE "${archive}" size)
  set(offset 8)
  while(offset LESS size)
    file(READ "${archive}" header OFFSET ${offset} LIMIT 60)
    string(SUBSTRING "${header}" 48 10 length)
    string(STRIP "${length}" length)
    if(NOT length MATCHES "^[0-9]+$")
      message(FATAL_ERROR "${archive}: no ar member header at ${offset}")
    endif()
    math(EXPR mode_at "${offset} + 40")
    execute_process(COMMAND printf "%-8s" 100644
                    COMMAND dd "of=${archive}" bs=1 seek=${mode_at} conv=notrunc status=none
                    RESULT_VARIABLE failed)
    if(failed)
      message(FATAL_ERROR "${archive}: the mode of the member at ${offset} could not be set")
    endif()
    math(EXPR offset "${offset} + 60 + ${length} + ${length} % 2")
  endwhile()
endfunction()

# The MSI of the files in FILES, written to OUTPUT.
function(make_msi files output)
  set(version "${CPACK_PACKAGE_VERSION}")
  if(DEFINED CPACK_ORVPRINT_VERSION AND NOT CPACK_ORVPRINT_VERSION STREQUAL "")
    set(version "${CPACK_ORVPRINT_VERSION}")
  endif()
  foreach(tool wixl msibuild faketime)
    find_program(${tool}_program ${tool})
    if(NOT ${tool}_program)
      message(WARNING "${tool} is not installed: no MSI is made (it needs wixl and msitools, and faketime)")
      return()
    endif()
  endforeach()
  set(wxs "${CMAKE_CURRENT_LIST_DIR}/orvprint.wxs")
  # Each version a product code of its own, and each package a package code
  # of its own, made from what it holds; wixl would draw them at random.
  set(upgrade_code BF956A38-E194-4FB3-BD5C-F903578CC69A)
  string(UUID product_code NAMESPACE ${upgrade_code} NAME "product ${version}" TYPE SHA1 UPPER)
  file(SHA256 "${wxs}" contents)
  file(GLOB inputs RELATIVE "${files}" "${files}/*")
  list(SORT inputs)
  foreach(input ${inputs})
    file(SHA256 "${files}/${input}" hash)
    string(APPEND contents " ${input} ${hash}")
  endforeach()
  string(UUID package_code NAMESPACE ${upgrade_code} NAME "package ${version}${contents}" TYPE SHA1 UPPER)

  # The cabinet keeps each file's time, the summary its time of creation:
  # both are SOURCE_DATE_EPOCH, the clock frozen there for wixl.
  execute_process(COMMAND touch -d "@${CPACK_ORVPRINT_SOURCE_DATE_EPOCH}" ${inputs} WORKING_DIRECTORY "${files}")
  set(ENV{SOURCE_DATE_EPOCH} "${CPACK_ORVPRINT_SOURCE_DATE_EPOCH}")
  string(TIMESTAMP frozen "%Y-%m-%d %H:%M:%S" UTC)
  set(clock ${CMAKE_COMMAND} -E env TZ=UTC NO_FAKE_STAT=1 ${faketime_program} "${frozen}")
  file(REMOVE "${output}")
  execute_process(
    COMMAND ${clock} ${wixl_program} -a x64 -D Version=${version} -D ProductCode=${product_code}
            -D "Manufacturer=${CPACK_ORVPRINT_MANUFACTURER}" -o "${output}" "${wxs}"
    WORKING_DIRECTORY "${files}" RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "wixl could not make ${output}")
  endif()
  # wixl leaves the old product in place until the new one is installed; it
  # is removed first instead, as WiX does by default, so that no file of the
  # old version is kept for being newer or of the same version.
  execute_process(
    COMMAND ${clock} ${msibuild_program} "${output}"
            -q "UPDATE `InstallExecuteSequence` SET `Sequence` = 1401 WHERE `Action` = 'RemoveExistingProducts'"
    RESULT_VARIABLE failed)
  if(NOT failed)
    execute_process(
      COMMAND ${clock} ${msibuild_program} "${output}"
              -s "orvprint ${version}" "${CPACK_ORVPRINT_MANUFACTURER}" "x64;1033" "{${package_code}}"
      RESULT_VARIABLE failed)
  endif()
  if(failed)
    message(FATAL_ERROR "msibuild could not complete ${output}")
  endif()
  file(CHMOD "${output}" PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
  orvprint_sign("${output}" "orvprint ${version}" OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
endfunction()

if(CPACK_GENERATOR MATCHES "^(TGZ|ZIP)$")
  find_program(python3_program python3)
  if(NOT python3_program)
    message(FATAL_ERROR "python3 is not installed: the archives cannot be packed in a fixed order")
  endif()
  foreach(package ${made})
    execute_process(COMMAND ${python3_program} ${CMAKE_CURRENT_LIST_DIR}/repack "${package}"
                            "${CPACK_TEMPORARY_DIRECTORY}" "${CPACK_PACKAGE_FILE_NAME}"
                            "${CPACK_ORVPRINT_SOURCE_DATE_EPOCH}"
                    RESULT_VARIABLE failed)
    if(failed)
      message(FATAL_ERROR "${package} could not be packed again")
    endif()
  endforeach()
endif()
if(CPACK_GENERATOR STREQUAL "DEB")
  foreach(package ${made})
    set_ar_member_modes("${package}")
  endforeach()
elseif(CPACK_GENERATOR STREQUAL "ZIP" AND EXISTS "${CPACK_TEMPORARY_DIRECTORY}/orvprint.exe")
  set(msi "${folder}/${CPACK_PACKAGE_FILE_NAME}.msi")
  make_msi("${CPACK_TEMPORARY_DIRECTORY}" "${msi}")
  if(EXISTS "${msi}")
    list(APPEND made "${msi}")
  endif()
endif()

# SHA256SUMS, in the form sha256sum -c reads: this generator's packages
# replace their old lines; the lines of packages still in the folder stay.
set(sums "${folder}/SHA256SUMS")
set(lines "")
set(names "")
foreach(package ${made})
  get_filename_component(name "${package}" NAME)
  file(SHA256 "${package}" hash)
  list(APPEND lines "${name}  ${hash}")
  list(APPEND names "${name}")
endforeach()
if(EXISTS "${sums}")
  file(STRINGS "${sums}" old)
  foreach(line ${old})
    if(line MATCHES "^([0-9a-f]+)  (.+)$" AND EXISTS "${folder}/${CMAKE_MATCH_2}")
      list(FIND names "${CMAKE_MATCH_2}" at)
      if(at EQUAL -1)
        list(APPEND lines "${CMAKE_MATCH_2}  ${CMAKE_MATCH_1}")
      endif()
    endif()
  endforeach()
endif()
list(SORT lines)
set(text "")
foreach(line ${lines})
  string(REGEX REPLACE "^(.+)  ([0-9a-f]+)$" "\\2  \\1" line "${line}")
  string(APPEND text "${line}\n")
endforeach()
file(WRITE "${sums}" "${text}")
