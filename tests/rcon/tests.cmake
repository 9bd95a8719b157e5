trevisk_add_test(rcon Rcon GUI LIBS trevisk_ui trevisk_sim trevisk_testsupport)
target_compile_definitions(test_rcon_Rcon PRIVATE TREVISK_RCON_DATA="${CMAKE_CURRENT_LIST_DIR}/data")
