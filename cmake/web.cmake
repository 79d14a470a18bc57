# The web build: one script with the wasm inside, and the page that runs it,
# in build-web/site and zipped with the licence and a readme.
target_link_options(velmora PRIVATE
  -sLEGACY_GL_EMULATION=1   # immediate mode, the matrix stacks and GLU's set-ups over WebGL
  -sSINGLE_FILE=1           # the wasm inside the script: the page runs opened from the disk
  -sENVIRONMENT=web
  -sGL_PREINITIALIZED_CONTEXT=1              # the page makes the WebGL context (web/program.js)
  -sGL_SUPPORT_AUTOMATIC_ENABLE_EXTENSIONS=0 # no WebGL extension turned on: the program needs none
  -sGL_MAX_TEMP_BUFFER_SIZE=262144           # room for 13,000 vertices a primitive: the largest, the
                                             # centre line's dashes on a 4K screen, has under 600
  -sEXPORTED_RUNTIME_METHODS=UTF8ToString,ccall
  -sINITIAL_MEMORY=16777216)
set_target_properties(velmora PROPERTIES SUFFIX .js)
# Small over fast: a module a tenth smaller to fetch, decode and compile at the
# start, where a frame's few hundred calls hardly notice.
target_compile_options(velmora_core PRIVATE -Oz)
target_compile_options(velmora PRIVATE -Oz)
target_link_options(velmora PRIVATE -Oz)

find_program(NODE_EXECUTABLE NAMES node nodejs REQUIRED)
set(site ${CMAKE_CURRENT_BINARY_DIR}/site)
set(zip ${CMAKE_CURRENT_BINARY_DIR}/velmora-${PROJECT_VERSION}-web.zip)
add_custom_command(
  OUTPUT ${site}/index.html ${site}/velmora.js ${site}/LICENSE ${site}/README.txt ${zip}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${site}
  COMMAND ${NODE_EXECUTABLE} ${CMAKE_CURRENT_SOURCE_DIR}/web/make_page.js ${CMAKE_CURRENT_SOURCE_DIR} ${PROJECT_VERSION}
          ${site}/index.html
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:velmora> ${site}/velmora.js
  COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_CURRENT_SOURCE_DIR}/LICENSE ${site}/LICENSE
  COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_CURRENT_SOURCE_DIR}/data/readme-web.txt ${site}/README.txt
  COMMAND ${CMAKE_COMMAND} -E chdir ${site} ${CMAKE_COMMAND} -E tar cf ${zip} --format=zip index.html velmora.js LICENSE
          README.txt
  DEPENDS velmora web/make_page.js web/index.html web/page.js web/program.js web/frames.js web/menu.js web/link_and_full_screen.js web/input.js web/touch.js web/page.css README.md data/velmora.png LICENSE
          data/readme-web.txt
  VERBATIM)
add_custom_target(web_site ALL DEPENDS ${site}/index.html ${zip})
