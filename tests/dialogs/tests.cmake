# The dialogs. The alert mail dialog's test mail goes to the mailer tests' SMTP server.
trevisk_add_test(dialogs Dialogs GUI LIBS trevisk_ui trevisk_testsupport)
target_compile_definitions(test_dialogs_Dialogs PRIVATE
    TREVISK_SMTP_SERVER="${CMAKE_CURRENT_LIST_DIR}/../notify/smtp_server.py")
