trevisk_add_test(query ServerQuery LIBS trevisk_core trevisk_sim trevisk_testsupport)
trevisk_add_test(query A2s LIBS trevisk_core trevisk_sim trevisk_testsupport)
trevisk_add_test(query ServerStates LIBS trevisk_core trevisk_testsupport)
# The protocol units list their tests in engines.cmake.
include(${CMAKE_CURRENT_LIST_DIR}/engines.cmake OPTIONAL)
trevisk_add_test(query SendPacer LIBS trevisk_core)
trevisk_add_test(query ServerJson LIBS trevisk_core)
