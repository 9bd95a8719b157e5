trevisk_add_test(app CommandLine LIBS trevisk_core trevisk_sim trevisk_testsupport)
# The tests start the real program.
target_compile_definitions(test_app_CommandLine PRIVATE TREVISK_BINARY="$<TARGET_FILE:trevisk>")
add_dependencies(test_app_CommandLine trevisk)
trevisk_add_test(app Commands LIBS trevisk_core trevisk_sim trevisk_testsupport)
target_compile_definitions(test_app_Commands PRIVATE TREVISK_BINARY="$<TARGET_FILE:trevisk>")
add_dependencies(test_app_Commands trevisk)
# The program under a headless Wayland compositor (weston) with a private session bus.
trevisk_add_test(app DesktopSession LIBS trevisk_core trevisk_sim trevisk_testsupport Qt6::DBus)
target_compile_definitions(test_app_DesktopSession PRIVATE TREVISK_BINARY="$<TARGET_FILE:trevisk>")
add_dependencies(test_app_DesktopSession trevisk trevisk-windows)
set_tests_properties(app.DesktopSession PROPERTIES TIMEOUT 120)
