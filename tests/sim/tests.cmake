# Simulated game servers: the server library, and the command line that scripts start.
trevisk_add_test(sim Sim LIBS trevisk_sim trevisk_core trevisk_testsupport)
target_compile_definitions(test_sim_Sim PRIVATE SIM_TEST_DATA="${CMAKE_CURRENT_SOURCE_DIR}/sim/data"
    TREVISK_SIM_PATH="$<TARGET_FILE:trevisk-sim>")
add_dependencies(test_sim_Sim trevisk-sim)
