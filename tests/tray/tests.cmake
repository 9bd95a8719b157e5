trevisk_add_test(tray ServerIcon LIBS trevisk_core trevisk_testsupport)
trevisk_add_test(tray DetailsTableModel LIBS trevisk_core)
trevisk_add_test(tray TrayIconPainter GUI LIBS trevisk_ui)
trevisk_add_test(tray ServerWindows GUI LIBS trevisk_ui trevisk_sim trevisk_testsupport)
