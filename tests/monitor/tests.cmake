trevisk_add_test(monitor Monitor LIBS trevisk_core trevisk_sim trevisk_testsupport)
trevisk_add_test(monitor AlertsAndJoin LIBS trevisk_core trevisk_sim trevisk_testsupport)
target_compile_definitions(test_monitor_AlertsAndJoin PRIVATE TREVISK_SMTP_SERVER="${CMAKE_CURRENT_LIST_DIR}/../notify/smtp_server.py")
trevisk_add_test(monitor HeadlessAndForm LIBS trevisk_core trevisk_sim trevisk_testsupport)
