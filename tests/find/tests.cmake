trevisk_add_test(find Find GUI LIBS trevisk_ui trevisk_sim trevisk_testsupport)
