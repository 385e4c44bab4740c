# The Windows release: a .zip and an MSI of the same files, both programs and
# a readme, signed when the lab gives a certificate.
#   cmake --build build-win --target package   ->  build-win/quillet-reading-utility-1.0.0-windows-x64.zip
#                                                  build-win/quillet-reading-utility-1.0.0-x64.msi
# Never changes: every version of the MSI replaces the one installed. Each
# version has its own product code, the same whenever that version is built.
set(QUILLET_UPGRADE_CODE B3F9A112-4B45-4571-A1ED-50575A0B9F65)
string(UUID QUILLET_PRODUCT_CODE NAMESPACE ${QUILLET_UPGRADE_CODE} NAME ${PROJECT_VERSION}
       TYPE SHA1 UPPER)

# Windows texts, with CRLF line ends: the readme, the third-party notices, and
# the Windows station page as plain text (cmake/plain-text-page.sed).
configure_file(${PROJECT_SOURCE_DIR}/packaging/windows/README.txt
               ${PROJECT_BINARY_DIR}/README.txt @ONLY NEWLINE_STYLE CRLF)
configure_file(${PROJECT_SOURCE_DIR}/packaging/windows/third-party-notices.txt
               ${PROJECT_BINARY_DIR}/third-party-notices.txt COPYONLY)
set(station_page ${PROJECT_BINARY_DIR}/windows-station.txt)
add_custom_command(OUTPUT ${station_page}
                   COMMAND sed -f ${PROJECT_SOURCE_DIR}/cmake/plain-text-page.sed
                           ${PROJECT_SOURCE_DIR}/docs/windows-station.md > ${station_page}
                   DEPENDS ${PROJECT_SOURCE_DIR}/cmake/plain-text-page.sed
                           ${PROJECT_SOURCE_DIR}/docs/windows-station.md
                   VERBATIM)
add_custom_target(station_page ALL DEPENDS ${station_page})
install(FILES ${PROJECT_BINARY_DIR}/README.txt ${PROJECT_BINARY_DIR}/third-party-notices.txt
              ${station_page} DESTINATION .)

# Signing: a certificate and its private key (PEM files, the key not
# protected by a password), and an RFC 3161 time-stamp server's URL for a
# signature that outlives the certificate, here or in the environment
# variables of the same names when the package is made. Without a certificate
# and key nothing is signed.
set(QUILLET_SIGN_CERT "" CACHE FILEPATH "Code-signing certificate for the programs and the MSI")
set(QUILLET_SIGN_KEY "" CACHE FILEPATH "Private key of QUILLET_SIGN_CERT")
set(QUILLET_SIGN_TIMESTAMP "" CACHE STRING "URL of an RFC 3161 time-stamp server for the signatures")
set(CPACK_QUILLET_SIGN_CERT ${QUILLET_SIGN_CERT})
set(CPACK_QUILLET_SIGN_KEY ${QUILLET_SIGN_KEY})
set(CPACK_QUILLET_SIGN_TIMESTAMP ${QUILLET_SIGN_TIMESTAMP})

# The MSI is made with wixl and msibuild (Debian: wixl, msitools) when they are there.
find_program(QUILLET_WIXL wixl)
find_program(QUILLET_MSIBUILD msibuild)
if(QUILLET_WIXL AND QUILLET_MSIBUILD)
  set(CPACK_QUILLET_WIXL ${QUILLET_WIXL})
  set(CPACK_QUILLET_MSIBUILD ${QUILLET_MSIBUILD})
  set(CPACK_QUILLET_WXS ${PROJECT_SOURCE_DIR}/packaging/windows/quillet.wxs)
  set(CPACK_QUILLET_UPGRADE_CODE ${QUILLET_UPGRADE_CODE})
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
