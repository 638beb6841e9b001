# What the Windows cross build takes from outside the tree: the show's
# libraries, cross-built from pinned sources into a prefix by
# tools/windows/libraries.sh (passed as CMAKE_PREFIX_PATH), stb_image
# compiled from Debian's headers, and a native build whose generators drew
# the show's data (tools/build-windows.sh sets all of it up).
set(HALVO_NATIVE_BUILD "" CACHE PATH "A native build folder with the show's generated data")
if(NOT EXISTS ${HALVO_NATIVE_BUILD}/halvo-banner OR NOT EXISTS ${HALVO_NATIVE_BUILD}/show/data)
  message(FATAL_ERROR "HALVO_NATIVE_BUILD (${HALVO_NATIVE_BUILD}) holds no native build with "
    "its show data: build that first (tools/build-windows.sh does)")
endif()

find_package(glfw3 3.2 REQUIRED)
find_package(glew REQUIRED CONFIG)
find_library(MPG123_LIBRARY mpg123 REQUIRED)
find_path(MPG123_INCLUDE_DIR mpg123.h REQUIRED)

# Only the stb folder: the rest of /usr/include is the build machine's.
set(HALVO_STB_INCLUDE_DIR /usr/include/stb)
if(NOT EXISTS ${HALVO_STB_INCLUDE_DIR}/stb_image.h)
  message(FATAL_ERROR "stb_image.h is not in ${HALVO_STB_INCLUDE_DIR}: install libstb-dev")
endif()

# Windows' headers without their min and max macros or the rarely used parts.
add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX)

# GLFW's installed target carries no link dependencies of its own.
add_library(halvo::glfw INTERFACE IMPORTED)
target_link_libraries(halvo::glfw INTERFACE glfw opengl32 gdi32)
add_library(halvo::glew INTERFACE IMPORTED)
target_link_libraries(halvo::glew INTERFACE GLEW::glew_s opengl32)
add_library(halvo::mpg123 INTERFACE IMPORTED)
target_link_libraries(halvo::mpg123 INTERFACE ${MPG123_LIBRARY})
target_include_directories(halvo::mpg123 INTERFACE ${MPG123_INCLUDE_DIR})

add_library(halvo_stb STATIC ${CMAKE_CURRENT_LIST_DIR}/Stb.c)
target_include_directories(halvo_stb SYSTEM PUBLIC ${HALVO_STB_INCLUDE_DIR})
target_compile_options(halvo_stb PRIVATE -w)
add_library(halvo::stb INTERFACE IMPORTED)
target_link_libraries(halvo::stb INTERFACE halvo_stb)
