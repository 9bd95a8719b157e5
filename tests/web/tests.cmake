# The web status and its shards against simulated servers; its metrics are read by Prometheus' own parser.
trevisk_add_test(web Web LIBS trevisk_web trevisk_sim trevisk_testsupport)
target_compile_definitions(test_web_Web PRIVATE TREVISK_BINARY="$<TARGET_FILE:trevisk>")
add_dependencies(test_web_Web trevisk)
# The fleet's Prometheus configuration, alerting rules and Alertmanager route, checked by their own tools.
add_test(NAME web.FleetConfig COMMAND ${PROJECT_SOURCE_DIR}/scripts/check-fleet-config.sh)
set_tests_properties(web.FleetConfig PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 60 LABELS web)
