trevisk_add_test(core Core LIBS trevisk_web trevisk_testsupport)
# Every text marked for translation has its finished German entry.
add_test(NAME core.GermanCatalogue
    COMMAND ${CMAKE_COMMAND} -DLUPDATE=$<TARGET_FILE:Qt6::lupdate> -DSOURCES=${PROJECT_SOURCE_DIR}/src
        -DTS=${PROJECT_SOURCE_DIR}/translations/trevisk_de.ts -DWORK=${CMAKE_CURRENT_BINARY_DIR}/catalogue_check
        -P ${CMAKE_CURRENT_LIST_DIR}/CheckCatalogue.cmake)
set_tests_properties(core.GermanCatalogue PROPERTIES LABELS core TIMEOUT 60)
