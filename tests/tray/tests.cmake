trevisk_add_test(tray DetailsTableModel LIBS trevisk_core)
trevisk_add_test(tray ServerWindows GUI LIBS trevisk_ui trevisk_sim trevisk_testsupport)
