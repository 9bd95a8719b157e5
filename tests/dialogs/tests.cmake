# The list editors and the alert mail dialog. The test mail goes to the mailer tests' SMTP server.
trevisk_add_test(dialogs ListEditors GUI LIBS trevisk_ui trevisk_testsupport)
trevisk_add_test(dialogs EmailDialog GUI LIBS trevisk_ui trevisk_testsupport)
target_compile_definitions(test_dialogs_EmailDialog PRIVATE
    TREVISK_SMTP_SERVER="${CMAKE_CURRENT_LIST_DIR}/../notify/smtp_server.py")
