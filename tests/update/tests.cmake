# The version check talks to an HTTP peer on 127.0.0.1 written into the tests (HttpTestServer.h).
trevisk_add_test(update VersionCheck LIBS trevisk_core trevisk_testsupport)
trevisk_add_test(update SplashWindow GUI LIBS trevisk_ui trevisk_testsupport)

# Pictures of the splash and a pop-up for people: build and run under xvfb-run by hand,
#   cmake --build build --target trevisk_update_screenshots && xvfb-run -a build/tests/trevisk_update_screenshots docs
add_executable(trevisk_update_screenshots EXCLUDE_FROM_ALL ${CMAKE_CURRENT_LIST_DIR}/Screenshots.cpp)
target_link_libraries(trevisk_update_screenshots PRIVATE trevisk_ui)
