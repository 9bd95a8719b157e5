# The mailer lists its tests in mail.cmake; the pop-up queue and the log in queue.cmake; the pop-up
# window and the sound player in window.cmake.
include(${CMAKE_CURRENT_LIST_DIR}/mail.cmake OPTIONAL)
include(${CMAKE_CURRENT_LIST_DIR}/queue.cmake OPTIONAL)
include(${CMAKE_CURRENT_LIST_DIR}/window.cmake OPTIONAL)
