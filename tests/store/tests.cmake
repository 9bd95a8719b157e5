# The record files' tests; import and export list theirs in xml.cmake.
include(${CMAKE_CURRENT_LIST_DIR}/xml.cmake OPTIONAL)
