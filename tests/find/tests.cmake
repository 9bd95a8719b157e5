trevisk_add_test(find ServerFinder GUI LIBS trevisk_ui trevisk_sim trevisk_testsupport)
