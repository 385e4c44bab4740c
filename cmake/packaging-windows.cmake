# The Windows release archive: "Quillet Reading Utility.exe" and a short text
# on installing it beside the host.
#   cmake --build build-win --target package   ->  build-win/quillet-reading-utility-1.0.0-windows-x64.zip
install(FILES ${PROJECT_SOURCE_DIR}/packaging/windows/INSTALL.txt DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME quillet-reading-utility)
set(CPACK_PACKAGE_VENDOR "Quillet")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Reads a meter for the host calibration program")
set(CPACK_PACKAGE_FILE_NAME "quillet-reading-utility-${PROJECT_VERSION}-windows-x64")
# The files at the top of the archive, not inside a folder of the package's name.
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
set(CPACK_STRIP_FILES ON)
include(CPack)
