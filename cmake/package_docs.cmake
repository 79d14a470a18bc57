# Makes the package's documentation from the tree's own files, in the build tree:
#   copyright  machine-readable (DEP-5), with the licence text from LICENSE
#   changelog  CHANGELOG.md in Debian's changelog format, one entry per "## VERSION - DATE"
# cmake -DSOURCE_DIR=... -DOUTPUT_DIR=... -DMAINTAINER="Name <address>" -P package_docs.cmake
file(READ "${SOURCE_DIR}/LICENSE" license)
string(REGEX MATCH "Copyright \\(c\\) ([^\n]+)" _ "${license}")
set(holder "${CMAKE_MATCH_1}")
string(REGEX REPLACE "^MIT License\n\n[^\n]*\n\n" "" permission "${license}")
# Continuation lines start with a space; an empty line is a lone " .".
string(REGEX REPLACE "\n$" "" permission "${permission}")
string(REPLACE "\n\n" "\n.\n" permission "${permission}")
string(REPLACE "\n" "\n " permission "${permission}")
file(WRITE "${OUTPUT_DIR}/copyright"
     "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n"
     "Upstream-Name: velmora\n\n"
     "Files: *\n"
     "Copyright: ${holder}\n"
     "License: MIT\n"
     " ${permission}\n")

file(STRINGS "${SOURCE_DIR}/CHANGELOG.md" lines)
set(changelog "")
set(entry "")
macro(close_entry)
  if(entry)
    string(APPEND changelog "${entry}\n -- ${MAINTAINER}  ${date}\n\n")
  endif()
endmacro()
foreach(line IN LISTS lines)
  if(line MATCHES "^## ([0-9.]+) - ([0-9]+)-([0-9]+)-([0-9]+)")
    close_entry()
    set(version "${CMAKE_MATCH_1}")
    # RFC 5322 date at noon UTC; the weekday follows from the date.
    set(day "${CMAKE_MATCH_2}-${CMAKE_MATCH_3}-${CMAKE_MATCH_4}")
    execute_process(COMMAND date -u -d "${day} 12:00" "+%a, %d %b %Y %H:%M:%S +0000"
                    OUTPUT_VARIABLE date OUTPUT_STRIP_TRAILING_WHITESPACE)
    set(entry "velmora (${version}) unstable; urgency=medium\n\n")
  elseif(entry AND line MATCHES "^- (.*)")
    string(APPEND entry "  * ${CMAKE_MATCH_1}\n")
  elseif(entry AND line MATCHES "^  +(.*)")
    string(APPEND entry "    ${CMAKE_MATCH_1}\n")
  endif()
endforeach()
close_entry()
file(WRITE "${OUTPUT_DIR}/changelog" "${changelog}")
