# The version check and the splash that waits for it talk to an HTTP peer on 127.0.0.1 written
# into the tests (support/HttpTestServer.h).
trevisk_add_test(update Update GUI LIBS trevisk_ui trevisk_testsupport)
