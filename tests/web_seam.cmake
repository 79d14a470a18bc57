# The web build's seam: every GL, GLU and GLUT call that a viewer source the
# web build compiles makes must be one the web layer routes (web/gl_web.h's
# #defines), one it provides (a function defined in web/*.cpp), or one that
# emscripten's own emulation is trusted with (web/emscripten_calls.txt, each
# proven by the browsers' pictures). Anything else would draw differently in
# the page only, with nothing to say so.
#   cmake -DSOURCE_DIR=DIR -DSOURCES="app/a.cpp;scene/b.cpp;..." -P web_seam.cmake
cmake_minimum_required(VERSION 3.16)

# The names a file calls: gl, glu or glut followed by a capital, then "(",
# outside // comments.
function(calls_in file out)
  file(STRINGS ${file} lines)
  set(found "")
  foreach(line IN LISTS lines)
    string(REGEX REPLACE "//.*" "" line "${line}")
    string(REGEX MATCHALL "(^|[^A-Za-z0-9_])(gl|glu|glut)[A-Z][A-Za-z0-9]*[ ]*\\(" matches "${line}")
    foreach(match IN LISTS matches)
      string(REGEX REPLACE "^[^A-Za-z]*([A-Za-z0-9]+).*" "\\1" name "${match}")
      list(APPEND found ${name})
    endforeach()
  endforeach()
  list(REMOVE_DUPLICATES found)
  set(${out} "${found}" PARENT_SCOPE)
endfunction()

# Routed: "#define glBegin velmoraBegin".
file(STRINGS ${SOURCE_DIR}/web/gl_web.h defines REGEX "^#define (gl|glu|glut)[A-Z][A-Za-z0-9]* ")
set(known "")
foreach(line IN LISTS defines)
  string(REGEX REPLACE "^#define ([A-Za-z0-9]+) .*" "\\1" name "${line}")
  list(APPEND known ${name})
endforeach()
set(routed_count 0)
list(LENGTH known routed_count)

# Provided: a definition at the start of a line, "TYPE glName(...) {" or
# a declaration split over lines, in the web layer's sources.
file(GLOB web_sources ${SOURCE_DIR}/web/*.cpp)
foreach(file IN LISTS web_sources)
  file(STRINGS ${file} definitions REGEX "^[A-Za-z][A-Za-z0-9_ *]* \\**(gl|glu|glut)[A-Z][A-Za-z0-9]*\\(")
  foreach(line IN LISTS definitions)
    string(REGEX REPLACE "^[A-Za-z][A-Za-z0-9_ *]* \\**((gl|glu|glut)[A-Z][A-Za-z0-9]*)\\(.*" "\\1" name "${line}")
    list(APPEND known ${name})
  endforeach()
endforeach()

# Trusted: one name a line; # starts a comment.
file(STRINGS ${SOURCE_DIR}/web/emscripten_calls.txt trusted REGEX "^[A-Za-z]")
list(APPEND known ${trusted})

set(problems "")
set(checked 0)
foreach(source IN LISTS SOURCES)
  calls_in(${SOURCE_DIR}/${source} names)
  foreach(name IN LISTS names)
    math(EXPR checked "${checked} + 1")
    if(NOT name IN_LIST known)
      string(APPEND problems "  ${name} in ${source}\n")
    endif()
  endforeach()
endforeach()
if(problems)
  message(FATAL_ERROR "Calls the web layer neither routes (web/gl_web.h) nor provides (web/*.cpp), and that "
                      "emscripten is not trusted with (web/emscripten_calls.txt):\n${problems}")
endif()
list(LENGTH SOURCES files)
message(STATUS "web seam: ${checked} calls in ${files} files, each routed, provided or trusted")
