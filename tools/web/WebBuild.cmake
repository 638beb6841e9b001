# What the web build takes from outside the tree: emscripten's own GLFW 3
# and WebGL 2 (its JS libraries, no download), stb_image compiled from
# Debian's headers, and a native build whose generators drew the show's data
# (tools/build-web.sh sets all of it up). The tune is decoded by the browser.
set(HALVO_NATIVE_BUILD "" CACHE PATH "A native build folder with the show's generated data")
if(NOT EXISTS ${HALVO_NATIVE_BUILD}/show/data/nostalgia-rmx.mp3)
  message(FATAL_ERROR "HALVO_NATIVE_BUILD (${HALVO_NATIVE_BUILD}) holds no native build with "
    "its show data: build that first (tools/build-web.sh does)")
endif()

# Exceptions carry start-up failures to main(), as on the desktop.
add_compile_options(-fexceptions)
add_link_options(-fexceptions)

add_library(halvo::glfw INTERFACE IMPORTED)
target_link_options(halvo::glfw INTERFACE -sUSE_GLFW=3)
add_library(halvo::glew INTERFACE IMPORTED)
target_link_options(halvo::glew INTERFACE -sMIN_WEBGL_VERSION=2 -sMAX_WEBGL_VERSION=2)
add_library(halvo::mpg123 INTERFACE IMPORTED)

# Only the stb folder: the rest of /usr/include is the build machine's.
set(HALVO_STB_INCLUDE_DIR /usr/include/stb)
if(NOT EXISTS ${HALVO_STB_INCLUDE_DIR}/stb_image.h)
  message(FATAL_ERROR "stb_image.h is not in ${HALVO_STB_INCLUDE_DIR}: install libstb-dev")
endif()
add_library(halvo_stb STATIC ${CMAKE_CURRENT_LIST_DIR}/../windows/Stb.c)
target_include_directories(halvo_stb SYSTEM PUBLIC ${HALVO_STB_INCLUDE_DIR})
target_compile_options(halvo_stb PRIVATE -w)
add_library(halvo::stb INTERFACE IMPORTED)
target_link_libraries(halvo::stb INTERFACE halvo_stb)
