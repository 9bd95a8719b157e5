trevisk_add_test(store RecordFiles LIBS trevisk_core trevisk_testsupport)
# Import and export list theirs in xml.cmake.
include(${CMAKE_CURRENT_LIST_DIR}/xml.cmake)
