# SPDX-License-Identifier: MIT
# Authenticode signing of orvprint.exe and the MSI with osslsigncode, when
# the packaging is given a publisher's certificate and key; without them it
# does nothing. Included by the CPack scripts, which define CPACK_ORVPRINT_SIGN_*
# from the cache variables of the same names without the CPACK_ prefix; where
# one is empty, the environment variable ORVPRINT_SIGN_* of the packaging run
# is taken instead:
#
#   ORVPRINT_SIGN_PFX            a PKCS#12 file holding the certificate and key
#   ORVPRINT_SIGN_CERT, _KEY     or the certificate (chain) and key as PEM or DER
#   ORVPRINT_SIGN_PASSWORD_FILE  the password of the PFX or the key, if any
#   ORVPRINT_SIGN_TIMESTAMP_URL  an RFC 3161 time-stamp server, if any
#
# A file is signed in place; a signing that fails stops the packaging, so that
# no unsigned file goes out where a signed one was asked for.
include_guard(GLOBAL)

function(orvprint_signing_setting name out)
  set(value "${CPACK_ORVPRINT_SIGN_${name}}")
  if(value STREQUAL "" AND DEFINED ENV{ORVPRINT_SIGN_${name}})
    set(value "$ENV{ORVPRINT_SIGN_${name}}")
  endif()
  set(${out} "${value}" PARENT_SCOPE)
endfunction()

# True in OUT when a certificate and key are given.
function(orvprint_signing_asked out)
  orvprint_signing_setting(PFX pfx)
  orvprint_signing_setting(CERT cert)
  orvprint_signing_setting(KEY key)
  if(NOT pfx STREQUAL "" OR (NOT cert STREQUAL "" AND NOT key STREQUAL ""))
    set(${out} ON PARENT_SCOPE)
  else()
    set(${out} OFF PARENT_SCOPE)
  endif()
endfunction()

# Signs FILE, shown to the user as DESCRIPTION, when signing is asked for;
# the signed file gets the PERMISSIONS that follow (osslsigncode writes a new
# file, which would take the umask's).
function(orvprint_sign file description)
  orvprint_signing_asked(asked)
  if(NOT asked)
    return()
  endif()
  orvprint_signing_setting(PFX pfx)
  orvprint_signing_setting(CERT cert)
  orvprint_signing_setting(KEY key)
  orvprint_signing_setting(PASSWORD_FILE password)
  orvprint_signing_setting(TIMESTAMP_URL timestamp)
  find_program(osslsigncode osslsigncode)
  if(NOT osslsigncode)
    message(FATAL_ERROR "Signing is asked for, but osslsigncode is not installed")
  endif()
  if(NOT pfx STREQUAL "")
    set(key_options -pkcs12 "${pfx}")
  else()
    set(key_options -certs "${cert}" -key "${key}")
  endif()
  if(NOT password STREQUAL "")
    list(APPEND key_options -readpass "${password}")
  endif()
  if(NOT timestamp STREQUAL "")
    list(APPEND key_options -ts "${timestamp}")
  endif()
  set(signed "${file}.signed")
  file(REMOVE "${signed}")
  execute_process(COMMAND "${osslsigncode}" sign ${key_options} -h sha256 -n "${description}"
                          -in "${file}" -out "${signed}"
                  RESULT_VARIABLE failed OUTPUT_VARIABLE said ERROR_VARIABLE said)
  if(failed)
    file(REMOVE "${signed}")
    message(FATAL_ERROR "osslsigncode could not sign ${file}:\n${said}")
  endif()
  file(RENAME "${signed}" "${file}")
  file(CHMOD "${file}" PERMISSIONS ${ARGN})
  message(STATUS "Signed ${file}")
endfunction()
