trevisk_add_test(find MasterProtocol LIBS trevisk_core)
