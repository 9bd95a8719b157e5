# The web status against simulated servers; its metrics are read by Prometheus' own parser.
trevisk_add_test(web StatusServer LIBS trevisk_web trevisk_sim trevisk_testsupport)
target_compile_definitions(test_web_StatusServer PRIVATE TREVISK_BINARY="$<TARGET_FILE:trevisk>")
add_dependencies(test_web_StatusServer trevisk)
