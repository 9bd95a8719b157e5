trevisk_add_test(icons ServerIcon LIBS trevisk_core trevisk_testsupport)
trevisk_add_test(icons TrayIconPainter GUI LIBS trevisk_ui)
