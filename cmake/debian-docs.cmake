# SPDX-License-Identifier: MIT
# Compressed documents of the Linux packages, made at build time:
#
#   cmake -DMODE=gzip -DSOURCE=FILE -DOUTPUT=FILE.gz -P debian-docs.cmake
#   cmake -DMODE=changelog -DSOURCE=CHANGELOG.md -DMAINTAINER="Name <mail>" -DOUTPUT=changelog.gz -P debian-docs.cmake
#
# gzip copies SOURCE compressed. changelog writes the releases of CHANGELOG.md
# (Keep a Changelog) as a Debian changelog, the form the package tools read
# in a native package's changelog.gz: one entry per "## [VERSION] - DATE",
# each "### Heading" a bullet with the heading's items under it, the Markdown
# marks taken out and lines wrapped at 78 columns. Both compress with gzip -9n:
# no name or time stamp in the header, so the same sources give the same bytes.
cmake_minimum_required(VERSION 3.20)

function(gzip_into source output)
  file(REMOVE "${output}")
  execute_process(COMMAND gzip -9n -c "${source}" OUTPUT_FILE "${output}" RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "gzip failed on ${source}")
  endif()
endfunction()

# The Markdown of one item as plain text: `code`, **strong** and [text](link)
# become their text.
function(plain_text text out)
  string(REGEX REPLACE "\\[([^]]*)\\]\\([^)]*\\)" "\\1" text "${text}")
  string(REPLACE "`" "" text "${text}")
  string(REPLACE "**" "" text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

# Splits TEXT at its first SEPARATOR: HEAD gets what stands before it, TAIL
# what follows; without a separator HEAD gets all of TEXT and TAIL nothing.
# string(FIND), not a list, so that ";" and "[" in the text stay as they are.
function(split_first text separator head tail)
  string(FIND "${text}" "${separator}" at)
  if(at EQUAL -1)
    set(${head} "${text}" PARENT_SCOPE)
    set(${tail} "" PARENT_SCOPE)
  else()
    string(SUBSTRING "${text}" 0 ${at} before)
    math(EXPR after "${at} + 1")
    string(SUBSTRING "${text}" ${after} -1 rest)
    set(${head} "${before}" PARENT_SCOPE)
    set(${tail} "${rest}" PARENT_SCOPE)
  endif()
endfunction()

# Appends TEXT to the variable BODY, wrapped at 78 columns, the first line
# after FIRST and the others after REST. The text is taken apart with
# string(FIND), not as a list, so that ";" and "[" in it stay as they are.
function(append_wrapped body first rest text)
  set(result "${${body}}")
  set(line "${first}")
  set(empty ON)
  string(STRIP "${text}" text)
  while(NOT text STREQUAL "")
    split_first("${text}" " " word text)
    string(STRIP "${text}" text)
    string(LENGTH "${line} ${word}" length)
    if(empty)
      string(APPEND line "${word}")
      set(empty OFF)
    elseif(length GREATER 78)
      string(APPEND result "${line}\n")
      set(line "${rest}${word}")
    else()
      string(APPEND line " ${word}")
    endif()
  endwhile()
  string(APPEND result "${line}\n")
  set(${body} "${result}" PARENT_SCOPE)
endfunction()

# The day of the week of YYYY-MM-DD (Sakamoto's method), for the date line.
function(rfc2822_date iso out)
  if(NOT iso MATCHES "^([0-9][0-9][0-9][0-9])-([0-9][0-9])-([0-9][0-9])$")
    message(FATAL_ERROR "CHANGELOG.md: '${iso}' is not a YYYY-MM-DD date")
  endif()
  set(year ${CMAKE_MATCH_1})
  math(EXPR month "${CMAKE_MATCH_2} + 0")
  math(EXPR day "${CMAKE_MATCH_3} + 0")
  set(offsets 0 3 2 5 0 3 5 1 4 6 2 4)
  math(EXPR index "${month} - 1")
  list(GET offsets ${index} offset)
  set(y ${year})
  if(month LESS 3)
    math(EXPR y "${y} - 1")
  endif()
  math(EXPR weekday "(${y} + ${y} / 4 - ${y} / 100 + ${y} / 400 + ${offset} + ${day}) % 7")
  set(days Sun Mon Tue Wed Thu Fri Sat)
  set(months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
  list(GET days ${weekday} dayName)
  list(GET months ${index} monthName)
  set(${out} "${dayName}, ${CMAKE_MATCH_3} ${monthName} ${year} 00:00:00 +0000" PARENT_SCOPE)
endfunction()

if(MODE STREQUAL "gzip")
  gzip_into("${SOURCE}" "${OUTPUT}")
  return()
elseif(NOT MODE STREQUAL "changelog")
  message(FATAL_ERROR "MODE must be gzip or changelog")
endif()

file(READ "${SOURCE}" rest)
string(REPLACE "\r" "" rest "${rest}")
set(debian "")
set(entry "")     # the trailer line of the entry being written
set(item "")      # the item being gathered, continued by indented lines
macro(flush_item)
  if(NOT item STREQUAL "")
    plain_text("${item}" text)
    append_wrapped(debian "    - " "      " "${text}")
    set(item "")
  endif()
endmacro()
# Line by line, not as a list: a ";" or an unmatched "[" would split or
# join the lines of a list.
while(NOT rest STREQUAL "")
  split_first("${rest}" "\n" line rest)
  if(line MATCHES "^## \\[([^]]+)\\] - ([0-9-]+)")
    flush_item()
    if(NOT entry STREQUAL "")
      string(APPEND debian "\n${entry}\n\n")
    endif()
    rfc2822_date("${CMAKE_MATCH_2}" date)
    string(APPEND debian "orvprint (${CMAKE_MATCH_1}) unstable; urgency=medium\n\n")
    set(entry " -- ${MAINTAINER}  ${date}")
  elseif(entry STREQUAL "")
    # The preamble, and an Unreleased section with no date, are no release.
  elseif(line MATCHES "^### (.+)$")
    flush_item()
    string(APPEND debian "  * ${CMAKE_MATCH_1}:\n")
  elseif(line MATCHES "^- (.+)$")
    flush_item()
    set(item "${CMAKE_MATCH_1}")
  elseif(line MATCHES "^  +(.+)$" AND NOT item STREQUAL "")
    string(APPEND item " ${CMAKE_MATCH_1}")
  else()
    flush_item()
  endif()
endwhile()
flush_item()
if(entry STREQUAL "")
  message(FATAL_ERROR "${SOURCE} holds no release")
endif()
string(APPEND debian "\n${entry}\n")

get_filename_component(folder "${OUTPUT}" DIRECTORY)
set(plain "${folder}/changelog.Debian-form")
file(WRITE "${plain}" "${debian}")
gzip_into("${plain}" "${OUTPUT}")
