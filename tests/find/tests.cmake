trevisk_add_test(find Masters LIBS trevisk_core trevisk_sim)
trevisk_add_test(find FindServersWindow GUI LIBS trevisk_ui trevisk_sim trevisk_testsupport)
