# The web build's two seams. GL: every GL, GLU and GLUT call that a viewer
# source the web build compiles makes must be one the web layer routes
# (web/gl_web.h's #defines), one it provides (a function defined in
# web/*.cpp), or one that emscripten's own emulation is trusted with
# (web/emscripten_calls.txt, each proven by the browsers' pictures). Anything
# else would draw differently in the page only, with nothing to say so. The
# page: each function the page calls (Module._velmora..., only from
# web/program.js) is one the program exports (EMSCRIPTEN_KEEPALIVE in
# web/*.cpp) and each export is called; each hook the program calls
# (Module.velmora... in web/*.cpp) is one web/program.js answers, and each it
# answers is called. A name one side lacks would fail only in a browser.
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

# The names of `kind` in `text`: the first group of each match of `regex`.
function(names_in text regex out)
  string(REGEX MATCHALL "${regex}" matches "${text}")
  set(found "")
  foreach(match IN LISTS matches)
    string(REGEX REPLACE "${regex}" "\\1" name "${match}")
    list(APPEND found ${name})
  endforeach()
  list(REMOVE_DUPLICATES found)
  set(${out} "${found}" PARENT_SCOPE)
endfunction()

set(program_side "")
foreach(file IN LISTS web_sources)
  file(READ ${file} text)
  string(APPEND program_side "${text}")
endforeach()
names_in("${program_side}" "EMSCRIPTEN_KEEPALIVE [^(]* \\**(velmora[A-Z][A-Za-z0-9]*)\\(" exported)
names_in("${program_side}" "Module\\.(velmora[A-Z][A-Za-z0-9]*)" hooks_called)
file(READ ${SOURCE_DIR}/web/program.js page_side)
names_in("${page_side}" "Module\\._(velmora[A-Z][A-Za-z0-9]*)" page_calls)
names_in("${page_side}" "ccall\\('(velmora[A-Z][A-Za-z0-9]*)'" by_ccall)
list(APPEND page_calls ${by_ccall})
names_in("${page_side}" "\n +(velmora[A-Z][A-Za-z0-9]*)(: |\\()" hooks_answered)

# Each name of the first list missing from the second, said as `what`.
set(problems "")
function(each_in names known what)
  foreach(name IN LISTS names)
    if(NOT name IN_LIST known)
      string(REPLACE "NAME" "${name}" line "${what}")
      set(problems "${problems}  ${line}\n" PARENT_SCOPE)
    endif()
  endforeach()
endfunction()
each_in("${page_calls}" "${exported}" "the page calls NAME, which the program does not export")
each_in("${exported}" "${page_calls}" "the program exports NAME, which web/program.js never calls")
each_in("${hooks_called}" "${hooks_answered}" "the program calls the hook Module.NAME, which web/program.js lacks")
each_in("${hooks_answered}" "${hooks_called}" "web/program.js answers the hook NAME, which the program never calls")
# No other script, the page's, the benchmark's or the browsers' test's,
# touches emscripten's Module: they reach the program through web/program.js
# (window.velmora.program outside the page).
file(GLOB scripts ${SOURCE_DIR}/web/*.js ${SOURCE_DIR}/bench/*.mjs ${SOURCE_DIR}/tests/web/*.mjs)
foreach(file IN LISTS scripts)
  file(RELATIVE_PATH name ${SOURCE_DIR} ${file})
  file(STRINGS ${file} direct REGEX "Module\\.")
  if(direct AND NOT name STREQUAL "web/program.js")
    string(APPEND problems "  ${name} touches Module itself, not through web/program.js\n")
  endif()
endforeach()
if(problems)
  message(FATAL_ERROR "The page and the program do not meet:\n${problems}")
endif()
list(LENGTH exported export_count)
list(LENGTH hooks_called hook_count)
message(STATUS "page seam: ${export_count} calls and ${hook_count} hooks, each on both sides")
