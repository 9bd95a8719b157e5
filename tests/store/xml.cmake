trevisk_add_test(store ServerListXml LIBS trevisk_core trevisk_testsupport)
# The import and export commands, run as the real program.
trevisk_add_test(store ImportExportCommands LIBS trevisk_core trevisk_testsupport)
target_compile_definitions(test_store_ImportExportCommands PRIVATE TREVISK_BINARY="$<TARGET_FILE:trevisk>")
add_dependencies(test_store_ImportExportCommands trevisk)
