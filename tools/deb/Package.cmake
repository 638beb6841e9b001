# The Debian package (cpack -G DEB in the build folder): halvo_VERSION_amd64.deb.
# The program in /usr/lib/games/halvo, the show it reads in
# /usr/share/games/halvo, and /usr/games/halvo, which starts the one from the
# other; a menu entry with the icon, in the freedesktop layout.
set(deb ${CMAKE_CURRENT_LIST_DIR})
# The group, at the address the project's history gives.
execute_process(COMMAND git log -1 --format=%ae WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}
  OUTPUT_VARIABLE email OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
if(NOT email)
  set(email sorva@example.org)
endif()
set(HALVO_MAINTAINER "Sorva <${email}>")

install(TARGETS halvo RUNTIME DESTINATION lib/games/halvo)
install(PROGRAMS ${deb}/halvo.sh DESTINATION games RENAME halvo)

# The show, less what only edit mode reads.
set(show share/games/halvo)
set(edit_only)
foreach(shader ${HALVO_EDIT_SHADERS})
  list(APPEND edit_only PATTERN ${shader} EXCLUDE)
endforeach()
install(DIRECTORY ${CMAKE_SOURCE_DIR}/data/shaders DESTINATION ${show}/data
  PATTERN .keep EXCLUDE ${edit_only})
install(DIRECTORY ${HALVO_SHOW_DIR}/data/img DESTINATION ${show}/data)
install(FILES ${HALVO_SHOW_DIR}/data/nostalgia-rmx.mp3 DESTINATION ${show}/data)
# The track files are known only once the build has compiled them.
install(CODE "file(GLOB tracks \"${HALVO_SHOW_DIR}/*.track\")
  file(INSTALL \${tracks} DESTINATION \"\${CMAKE_INSTALL_PREFIX}/${show}\")")

# The icon, drawn from the banner's art; the menu entry; the manual page.
set(icons ${CMAKE_BINARY_DIR}/icons)
set(icon_sizes 16 32 48 256)
set(icon_files)
foreach(size ${icon_sizes})
  list(APPEND icon_files ${icons}/halvo-${size}.png)
endforeach()
add_custom_command(OUTPUT ${icon_files} ${icons}/halvo.ico
  COMMAND ${CMAKE_COMMAND} -E make_directory ${icons}
  COMMAND halvo-banner --icon ${icons}
  DEPENDS halvo-banner
  COMMENT "Drawing the program's icons"
  VERBATIM)
foreach(size ${icon_sizes})
  install(FILES ${icons}/halvo-${size}.png
    DESTINATION share/icons/hicolor/${size}x${size}/apps RENAME halvo.png)
endforeach()
install(FILES ${deb}/halvo.desktop DESTINATION share/applications)

# The documents Debian asks of every package, compressed as it wants them.
execute_process(COMMAND git log -1 --format=%cD WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}
  OUTPUT_VARIABLE HALVO_DATE OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
if(NOT HALVO_DATE)
  string(TIMESTAMP HALVO_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
endif()
set(docs ${CMAKE_BINARY_DIR}/deb-docs)
configure_file(${deb}/changelog.in ${docs}/changelog @ONLY)
configure_file(${deb}/copyright ${docs}/copyright @ONLY)
configure_file(${deb}/halvo.6 ${docs}/halvo.6 COPYONLY)
add_custom_command(OUTPUT ${docs}/changelog.gz ${docs}/halvo.6.gz
  COMMAND gzip -9nf -k ${docs}/changelog ${docs}/halvo.6
  DEPENDS ${docs}/changelog ${docs}/halvo.6
  COMMENT "Compressing the package's documents"
  VERBATIM)
add_custom_target(halvo_package_files ALL DEPENDS ${icon_files} ${docs}/changelog.gz
  ${docs}/halvo.6.gz)
install(FILES ${docs}/copyright ${docs}/changelog.gz DESTINATION share/doc/halvo)
install(FILES ${docs}/halvo.6.gz DESTINATION share/man/man6)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME halvo)
set(CPACK_PACKAGE_VERSION ${HALVO_VERSION})
set(CPACK_PACKAGE_VENDOR Sorva)
set(CPACK_PACKAGE_CONTACT ${HALVO_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "real-time audiovisual demo by Sorva")
set(CPACK_PACKAGE_DESCRIPTION "Halvo plays one tune and, in step with it, a show of OpenGL 3.3 scenes
driven by sync tracks: a particle ball, a tunnel, blue feedback, patterns and
hands, through letterbox, FXAA and glitch stages. A small dialog offers the
screen's 16:9 resolutions and fullscreen first. It needs OpenGL 3.3.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_OUTPUT_FILE_PREFIX ${CMAKE_BINARY_DIR}/package)
include(CPack)
