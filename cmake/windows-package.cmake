# Run by CPack (CPACK_PRE_BUILD_SCRIPTS) once the Windows files are staged and
# stripped, before the .zip is made of them: signs the programs when a
# certificate and key are given (with a time stamp when a time-stamp server
# is given), then makes the MSI of the same files next to the .zip and signs
# it. CPACK_PACKAGE_VERSION is the MSI's ProductVersion.

set(cert "${CPACK_QUILLET_SIGN_CERT}")
set(key "${CPACK_QUILLET_SIGN_KEY}")
if(NOT cert AND NOT key)
  set(cert "$ENV{QUILLET_SIGN_CERT}")
  set(key "$ENV{QUILLET_SIGN_KEY}")
endif()
set(timestamp "${CPACK_QUILLET_SIGN_TIMESTAMP}")
if(NOT timestamp)
  set(timestamp "$ENV{QUILLET_SIGN_TIMESTAMP}")
endif()
# An RFC 3161 time stamp keeps the signature valid after the certificate expires.
set(timestamp_options)
if(timestamp)
  set(timestamp_options -ts ${timestamp})
endif()
if(cert OR key)
  if(NOT cert OR NOT key)
    message(FATAL_ERROR "Signing needs both QUILLET_SIGN_CERT and QUILLET_SIGN_KEY")
  endif()
  find_program(osslsigncode osslsigncode)
  if(NOT osslsigncode)
    message(FATAL_ERROR "Signing needs osslsigncode (Debian: osslsigncode)")
  endif()
endif()

# Signs FILE in place (when there is a certificate).
function(sign file)
  if(NOT cert)
    return()
  endif()
  execute_process(COMMAND ${osslsigncode} sign -certs ${cert} -key ${key} -h sha256
                          -n "Quillet Reading Utility" ${timestamp_options} -in ${file} -out ${file}.signed
                  RESULT_VARIABLE failed OUTPUT_VARIABLE output ERROR_VARIABLE output)
  if(failed)
    message(FATAL_ERROR "osslsigncode could not sign ${file}:\n${output}")
  endif()
  file(RENAME ${file}.signed ${file})
endfunction()

function(run)
  execute_process(COMMAND ${ARGN} WORKING_DIRECTORY ${stage}
                  RESULT_VARIABLE failed OUTPUT_VARIABLE output ERROR_VARIABLE output)
  if(failed)
    message(FATAL_ERROR "${ARGN}:\n${output}")
  endif()
endfunction()

set(stage "${CPACK_TEMPORARY_DIRECTORY}")
sign("${stage}/Quillet Reading Utility.exe")
sign("${stage}/quillet-port-check.exe")
sign("${stage}/quillet-journal.exe")
if(NOT CPACK_QUILLET_WIXL)
  return()
endif()

# One product code per version, the same whenever that version is built.
set(version ${CPACK_PACKAGE_VERSION})
string(UUID product_code NAMESPACE ${CPACK_QUILLET_UPGRADE_CODE} NAME ${version} TYPE SHA1 UPPER)
# wixl takes the files' paths relative to its working directory.
file(RELATIVE_PATH icon ${stage} ${CPACK_QUILLET_ICON})
set(msi "${CPACK_TEMPORARY_DIRECTORY}.msi")
run(${CPACK_QUILLET_WIXL} -a x64 -D Version=${version} -D ProductCode=${product_code}
    -D UpgradeCode=${CPACK_QUILLET_UPGRADE_CODE} -D Icon=${icon} -o ${msi} ${CPACK_QUILLET_WXS})
# wixl has no Environment element: the install folder is appended to the
# system PATH, and taken off again on removal, through the Environment table
# and its two standard actions.
run(${CPACK_QUILLET_MSIBUILD} ${msi}
    -q "CREATE TABLE `Environment` (`Environment` CHAR(72) NOT NULL, `Name` CHAR(255) NOT NULL LOCALIZABLE, `Value` CHAR(255) LOCALIZABLE, `Component_` CHAR(72) NOT NULL PRIMARY KEY `Environment`)"
    -q "INSERT INTO `Environment` (`Environment`, `Name`, `Value`, `Component_`) VALUES ('Path', '=-*PATH', '[~]\;[INSTALLDIR]', 'PortCheck')"
    -q "INSERT INTO `InstallExecuteSequence` (`Action`, `Sequence`) VALUES ('RemoveEnvironmentStrings', 3300)"
    -q "INSERT INTO `InstallExecuteSequence` (`Action`, `Sequence`) VALUES ('WriteEnvironmentStrings', 5200)")
sign(${msi})
file(RENAME ${msi} "${CPACK_PACKAGE_DIRECTORY}/quillet-reading-utility-${version}-x64.msi")
