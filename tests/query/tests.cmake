# The query objects' tests; the protocol units list theirs in engines.cmake.
include(${CMAKE_CURRENT_LIST_DIR}/engines.cmake OPTIONAL)
