# The mail tests talk to a real SMTP server on 127.0.0.1 (smtp_server.py, Debian's python3-aiosmtpd;
# openssl makes its certificates).
set(trevisk_smtp_server "${CMAKE_CURRENT_LIST_DIR}/smtp_server.py")
trevisk_add_test(notify Mail LIBS trevisk_core trevisk_testsupport)
target_compile_definitions(test_notify_Mail PRIVATE TREVISK_SMTP_SERVER="${trevisk_smtp_server}")
if(TARGET trevisk)
    trevisk_add_test(notify MailCommand LIBS trevisk_core trevisk_testsupport)
    target_compile_definitions(test_notify_MailCommand PRIVATE
        TREVISK_SMTP_SERVER="${trevisk_smtp_server}" TREVISK_BINARY="$<TARGET_FILE:trevisk>")
    add_dependencies(test_notify_MailCommand trevisk)
endif()

trevisk_add_test(notify Notifications GUI LIBS trevisk_ui trevisk_testsupport)
