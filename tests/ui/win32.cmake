# Tests of the Windows build that run outside GoogleTest: the executable's
# resources, and the window under Wine on a private Xvfb server.
set(utility_exe $<TARGET_FILE:quillet-reading-utility>)

# The probe shows the utility's icon; the inspector looks at the window from
# another Wine process.
target_sources(window_probe PRIVATE $<TARGET_OBJECTS:quillet_resources>)
add_executable(window_examine window_examine.cpp)
target_link_libraries(window_examine PRIVATE quillet_warnings)

# Exit status 77: the MinGW binutils or Wine are not installed.
add_test(NAME ui.win32_resources
         COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/check-resources.sh ${utility_exe} utility
                 ${PROJECT_VERSION})
add_test(NAME ui.win32_port_check_version
         COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/check-resources.sh $<TARGET_FILE:port-check> tool
                 ${PROJECT_VERSION})

add_test(NAME ui.win32_window_under_xvfb
         COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/with-xvfb.sh bash
                 ${CMAKE_CURRENT_SOURCE_DIR}/check-window-wine.sh
                 ${CMAKE_CURRENT_BINARY_DIR}/window-prefix $<TARGET_FILE:keep_alive>
                 $<TARGET_FILE:window_probe>
                 $<TARGET_FILE:window_examine> 3 wine $<TARGET_FILE:window_probe> 30)
add_test(NAME ui.win32_journal_tool_version
         COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/check-resources.sh $<TARGET_FILE:journal-tool> tool
                 ${PROJECT_VERSION})
set_tests_properties(ui.win32_resources ui.win32_port_check_version ui.win32_journal_tool_version
                     ui.win32_window_under_xvfb PROPERTIES
                     SKIP_RETURN_CODE 77 TIMEOUT 90)
