# SPDX-License-Identifier: MIT
# Run by CPack once the files of a package are installed into its staging
# folder and before they are packed (CPACK_PRE_BUILD_SCRIPTS): every folder
# is rwxr-xr-x whatever the umask, and orvprint.exe is signed when a key is
# given.
include(${CMAKE_CURRENT_LIST_DIR}/sign.cmake)

set(folder_mode OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
file(GLOB_RECURSE entries LIST_DIRECTORIES true "${CPACK_TEMPORARY_DIRECTORY}/*")
foreach(entry "${CPACK_TEMPORARY_DIRECTORY}" ${entries})
  if(IS_DIRECTORY "${entry}" AND NOT IS_SYMLINK "${entry}")
    file(CHMOD "${entry}" PERMISSIONS ${folder_mode})
  endif()
endforeach()

if(EXISTS "${CPACK_TEMPORARY_DIRECTORY}/orvprint.exe")
  orvprint_sign("${CPACK_TEMPORARY_DIRECTORY}/orvprint.exe" "orvprint" ${folder_mode})
endif()
