set(trevisk_smtp_server "${CMAKE_CURRENT_LIST_DIR}/../notify/smtp_server.py")
trevisk_add_test(monitor Monitor LIBS trevisk_core trevisk_sim trevisk_testsupport)
target_compile_definitions(test_monitor_Monitor PRIVATE TREVISK_SMTP_SERVER="${trevisk_smtp_server}")
trevisk_add_test(monitor HeadlessOutput LIBS trevisk_core trevisk_sim trevisk_testsupport)
