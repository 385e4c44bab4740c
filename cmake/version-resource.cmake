# Version records of the Windows programs. Each .exe gets its own with one
# line, quillet_version_resource(TARGET DESCRIPTION [VERSION_TEXT TEXT]
# [COMMENTS TEXT]): the numeric file and product versions from the project's
# one version, the maker, a description, the copyright, and the version text
# (the project's version, 1.0.0, unless VERSION_TEXT gives another). On Linux
# the call does nothing, so a program's CMakeLists.txt may make it on both.
set(QUILLET_COMPANY "Quillet")
set(QUILLET_COPYRIGHT "Copyright (C) 2026 Quillet")
if(QUILLET_PLATFORM STREQUAL "win32")
  enable_language(RC)
endif()

function(quillet_version_resource target description)
  if(NOT QUILLET_PLATFORM STREQUAL "win32")
    return()
  endif()
  cmake_parse_arguments(PARSE_ARGV 2 arg "" "VERSION_TEXT;COMMENTS" "")
  get_target_property(name ${target} OUTPUT_NAME)
  if(NOT name)
    set(name ${target})
  endif()
  set(version_text ${PROJECT_VERSION})
  if(arg_VERSION_TEXT)
    set(version_text ${arg_VERSION_TEXT})
  endif()
  set(comments "")
  if(arg_COMMENTS)
    set(comments "VALUE \"Comments\", \"${arg_COMMENTS}\"")
  endif()
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}-version.rc)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/version.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
endfunction()
