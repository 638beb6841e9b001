# The show's version for packages and their names: the project's version at
# a tag of the repository, else with the commit after it (1.0.0+g1a2b3c4),
# so that two different builds never share a name. HALVO_YEAR is the year of
# the last commit, for copyright lines.
set(HALVO_VERSION ${PROJECT_VERSION})
set(HALVO_YEAR "")
find_package(Git QUIET)
if(GIT_FOUND AND EXISTS ${CMAKE_SOURCE_DIR}/.git)
  execute_process(COMMAND ${GIT_EXECUTABLE} describe --tags --exact-match HEAD
    WORKING_DIRECTORY ${CMAKE_SOURCE_DIR} RESULT_VARIABLE at_tag OUTPUT_QUIET ERROR_QUIET)
  execute_process(COMMAND ${GIT_EXECUTABLE} rev-parse --short=7 HEAD
    WORKING_DIRECTORY ${CMAKE_SOURCE_DIR} OUTPUT_VARIABLE commit
    OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  if(NOT at_tag EQUAL 0 AND commit)
    set(HALVO_VERSION ${PROJECT_VERSION}+g${commit})
  endif()
  execute_process(COMMAND ${GIT_EXECUTABLE} log -1 --format=%cd --date=format:%Y
    WORKING_DIRECTORY ${CMAKE_SOURCE_DIR} OUTPUT_VARIABLE HALVO_YEAR
    OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  # A commit made since configuring must show in the version.
  execute_process(COMMAND ${GIT_EXECUTABLE} rev-parse --git-path logs/HEAD
    WORKING_DIRECTORY ${CMAKE_SOURCE_DIR} OUTPUT_VARIABLE head_log
    OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  if(head_log AND NOT IS_ABSOLUTE ${head_log})
    set(head_log ${CMAKE_SOURCE_DIR}/${head_log})
  endif()
  if(EXISTS "${head_log}")
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${head_log})
  endif()
endif()
if(NOT HALVO_YEAR)
  string(TIMESTAMP HALVO_YEAR "%Y" UTC)
endif()
# For scripts that name files after it (tools/release.sh).
file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/version.txt CONTENT "${HALVO_VERSION}\n")
