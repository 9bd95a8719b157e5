trevisk_add_test(notify NotifyWindow GUI LIBS trevisk_ui trevisk_testsupport)
trevisk_add_test(notify QtSoundPlayer GUI LIBS trevisk_ui trevisk_testsupport)
