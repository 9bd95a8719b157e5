trevisk_add_test(alerts Alerts LIBS trevisk_core trevisk_testsupport)
target_compile_definitions(test_alerts_Alerts PRIVATE
    TREVISK_SMTP_SERVER="${CMAKE_CURRENT_LIST_DIR}/../notify/smtp_server.py")
