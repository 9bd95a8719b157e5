# Installs into a temporary prefix and runs the installed programs.
add_test(NAME install.Prefix COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/check-install.sh ${CMAKE_BINARY_DIR})
set_tests_properties(install.Prefix PROPERTIES ENVIRONMENT "LC_ALL=C.UTF-8" TIMEOUT 60 LABELS install)
