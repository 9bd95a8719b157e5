trevisk_add_test(windows MainWindow GUI LIBS trevisk_ui trevisk_sim trevisk_testsupport)
target_compile_definitions(test_windows_MainWindow PRIVATE TREVISK_TS_DE="${PROJECT_SOURCE_DIR}/translations/trevisk_de.ts")
