# The Windows release: a .zip and an MSI of the same files, both programs and
# a readme, signed when the lab gives a certificate.
#   cmake --build build-win --target package   ->  build-win/quillet-reading-utility-1.0.0-windows-x64.zip
#                                                  build-win/quillet-reading-utility-1.0.0-x64.msi
# The readme is a Windows text: CRLF line ends.
configure_file(${PROJECT_SOURCE_DIR}/packaging/windows/README.txt
               ${PROJECT_BINARY_DIR}/README.txt @ONLY NEWLINE_STYLE CRLF)
install(FILES ${PROJECT_BINARY_DIR}/README.txt DESTINATION .)

# Signing: a certificate and its private key (PEM files, the key not
# protected by a password), here or in the environment variables of the same
# names when the package is made. Without them nothing is signed.
set(QUILLET_SIGN_CERT "" CACHE FILEPATH "Code-signing certificate for the programs and the MSI")
set(QUILLET_SIGN_KEY "" CACHE FILEPATH "Private key of QUILLET_SIGN_CERT")
set(CPACK_QUILLET_SIGN_CERT ${QUILLET_SIGN_CERT})
set(CPACK_QUILLET_SIGN_KEY ${QUILLET_SIGN_KEY})

# The MSI is made with wixl and msibuild (Debian: wixl, msitools) when they are there.
find_program(QUILLET_WIXL wixl)
find_program(QUILLET_MSIBUILD msibuild)
if(QUILLET_WIXL AND QUILLET_MSIBUILD)
  set(CPACK_QUILLET_WIXL ${QUILLET_WIXL})
  set(CPACK_QUILLET_MSIBUILD ${QUILLET_MSIBUILD})
  set(CPACK_QUILLET_WXS ${PROJECT_SOURCE_DIR}/packaging/windows/quillet.wxs)
  # Never changes: every version of the MSI replaces the one installed.
  set(CPACK_QUILLET_UPGRADE_CODE B3F9A112-4B45-4571-A1ED-50575A0B9F65)
  set(CPACK_QUILLET_ICON ${PROJECT_BINARY_DIR}/app/meter.ico)
else()
  message(STATUS "wixl or msibuild not found (Debian: wixl, msitools): no MSI")
endif()
# Signs the staged programs, then makes the MSI from them and signs it.
set(CPACK_PRE_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/windows-package.cmake)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME quillet-reading-utility)
set(CPACK_PACKAGE_VENDOR "Quillet")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Reads a meter for the host calibration program")
set(CPACK_PACKAGE_FILE_NAME "quillet-reading-utility-${PROJECT_VERSION}-windows-x64")
# The files at the top of the archive, not inside a folder of the package's name.
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
set(CPACK_STRIP_FILES ON)
include(CPack)
