trevisk_add_test(query ServerQuery LIBS trevisk_core trevisk_testsupport)
trevisk_add_test(query A2s LIBS trevisk_core trevisk_sim trevisk_testsupport)
trevisk_add_test(query Engines LIBS trevisk_core trevisk_testsupport)
target_compile_definitions(test_query_Engines PRIVATE TREVISK_TEST_DATA="${CMAKE_CURRENT_LIST_DIR}/../data")
