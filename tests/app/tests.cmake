# The program and its commands, each run as the real program.
foreach(class Application Commands)
    trevisk_add_test(app ${class} LIBS trevisk_core trevisk_sim trevisk_testsupport)
    target_compile_definitions(test_app_${class} PRIVATE TREVISK_BINARY="$<TARGET_FILE:trevisk>")
    add_dependencies(test_app_${class} trevisk)
endforeach()
# The program under a headless Wayland compositor (weston) with a private session bus.
trevisk_add_test(app DesktopSession LIBS trevisk_core trevisk_sim trevisk_testsupport Qt6::DBus)
target_compile_definitions(test_app_DesktopSession PRIVATE TREVISK_BINARY="$<TARGET_FILE:trevisk>")
add_dependencies(test_app_DesktopSession trevisk trevisk-windows)
set_tests_properties(app.DesktopSession app.Commands PROPERTIES TIMEOUT 120)
