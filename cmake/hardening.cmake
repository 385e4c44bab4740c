# The hardening Debian builds its packages with, as dpkg-buildflags gives it:
# the preprocessor, compiler and linker flags, less its -g and -O levels (the
# build type chooses those). Not in the sanitizer and fuzz builds, which
# instrument the code their own way.
find_program(QUILLET_DPKG_BUILDFLAGS dpkg-buildflags)
if(NOT QUILLET_DPKG_BUILDFLAGS OR QUILLET_SANITIZE OR QUILLET_FUZZ)
  return()
endif()
foreach(kind CPPFLAGS CXXFLAGS LDFLAGS)
  execute_process(COMMAND ${QUILLET_DPKG_BUILDFLAGS} --get ${kind}
                  WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
                  OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE)
  separate_arguments(flags UNIX_COMMAND "${flags}")
  list(FILTER flags EXCLUDE REGEX "^-(g|O[0-9s]?)$")
  list(JOIN flags " " flags)
  if(kind STREQUAL "LDFLAGS")
    string(APPEND CMAKE_EXE_LINKER_FLAGS " ${flags}")
  else()
    string(APPEND CMAKE_CXX_FLAGS " ${flags}")
  endif()
endforeach()
