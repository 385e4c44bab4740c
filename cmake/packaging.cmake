# Installed documentation and the Debian package. Each is made when its tool
# is there; the configure step says what is left out.

# A man page for each program, made from its --help text at build time, with
# what the program does in its NAME line, and its own files and the other
# programs and pages (packaging/man/<program>.h2m). The paragraph of --help
# that starts with "Exit status:" becomes the page's EXIT STATUS section.
set(man_name_quillet-reading-utility
    "take one meter reading for the job the host calibration program left in ExtCtrl.dat")
set(man_name_port-check "query a meter step by step as the reading utility does, and say why it fails")
set(man_name_meter-sim "simulate a meter on a pseudo terminal, or replay a job of the journal")
set(man_name_journal-tool "verify the journal of the reading utility, find a job in it and replay it")
set(man_name_host-sim "prepare a job in ExtCtrl.dat, start the reading utility and report its result")
find_program(HELP2MAN help2man)
if(HELP2MAN)
  set(man_dir ${PROJECT_BINARY_DIR}/man)
  set(man_pages)
  foreach(target quillet-reading-utility meter-sim host-sim port-check journal-tool)
      get_target_property(name ${target} OUTPUT_NAME)
      if(NOT name)
          set(name ${target})
      endif()
      set(man_include ${PROJECT_SOURCE_DIR}/packaging/man/${name}.h2m)
      add_custom_command(
          OUTPUT ${man_dir}/${name}.1.gz
          COMMAND ${CMAKE_COMMAND} -E make_directory ${man_dir}
          COMMAND ${HELP2MAN} --no-info --version-string=${PROJECT_VERSION} --section=1
                  --name=${man_name_${target}} --include=${man_include}
                  --output=${man_dir}/${name}.1 $<TARGET_FILE:${target}>
          COMMAND sed -i -e [[s/^\.SS "Exit status:"$/.SH "EXIT STATUS"/]]
                  -e [[s/^Exit status: */.SH "EXIT STATUS"\n/]] ${man_dir}/${name}.1
          COMMAND gzip -9nf ${man_dir}/${name}.1
          DEPENDS ${target} ${man_include}
          VERBATIM)
      list(APPEND man_pages ${man_dir}/${name}.1.gz)
  endforeach()
  add_custom_target(man_pages ALL DEPENDS ${man_pages})
  install(FILES ${man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
else()
  message(STATUS "help2man not found (Debian: help2man): no man pages")
endif()

# The documents Debian asks of every package.
set(doc_dir ${CMAKE_INSTALL_DATADIR}/doc/quillet-reading-utility)
add_custom_command(
    OUTPUT ${PROJECT_BINARY_DIR}/changelog.gz
    COMMAND gzip -9nc ${PROJECT_SOURCE_DIR}/packaging/changelog > ${PROJECT_BINARY_DIR}/changelog.gz
    DEPENDS ${PROJECT_SOURCE_DIR}/packaging/changelog
    VERBATIM)
add_custom_target(package_changelog ALL DEPENDS ${PROJECT_BINARY_DIR}/changelog.gz)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright ${PROJECT_SOURCE_DIR}/README.md
              ${PROJECT_BINARY_DIR}/changelog.gz
        DESTINATION ${doc_dir})
# The pages README.md links to, beside it as in the source tree.
install(DIRECTORY ${PROJECT_SOURCE_DIR}/docs/ DESTINATION ${doc_dir}/docs FILES_MATCHING PATTERN "*.md")

# The package's library dependencies come from dpkg-shlibdeps.
find_program(DPKG_SHLIBDEPS dpkg-shlibdeps)
if(NOT DPKG_SHLIBDEPS OR NOT HELP2MAN)
  message(STATUS "dpkg-shlibdeps or help2man not found (Debian: dpkg-dev, help2man): "
                 "no Debian package")
  return()
endif()

set(CPACK_PACKAGE_NAME quillet-reading-utility)
set(CPACK_PACKAGE_VENDOR "Quillet")
set(CPACK_PACKAGE_CONTACT "Quillet lab support <lab@quillet.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "meter reading utility for a host calibration program")
set(CPACK_PACKAGE_DESCRIPTION
    "Reads one job from ExtCtrl.dat, queries a meter on a serial port and writes\n the reading back. With a port check, a journal tool, a meter simulator and\n a host simulator.")
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The postinst makes the journal folder /var/log/quillet.
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${PROJECT_SOURCE_DIR}/packaging/debian/postinst)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS OFF)
set(CPACK_STRIP_FILES ON)
set(CPACK_SET_DESTDIR OFF)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
include(CPack)
