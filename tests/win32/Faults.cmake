# The drives of the file-system fault tests, mounted around win32_tests under Wine.
if(WIN32 AND NOT CMAKE_HOST_WIN32 AND TARGET win32_tests)
  add_test(NAME win32_fault_drives_setup
           COMMAND ${CMAKE_CURRENT_LIST_DIR}/Faults-drives.sh setup ${RD_WINEPREFIX})
  set_tests_properties(win32_fault_drives_setup PROPERTIES
                       FIXTURES_SETUP fault_drives FIXTURES_REQUIRED wine TIMEOUT 60)
  add_test(NAME win32_fault_drives_teardown
           COMMAND ${CMAKE_CURRENT_LIST_DIR}/Faults-drives.sh teardown ${RD_WINEPREFIX})
  set_tests_properties(win32_fault_drives_teardown PROPERTIES
                       FIXTURES_CLEANUP fault_drives FIXTURES_REQUIRED wine TIMEOUT 60)
  set_tests_properties(win32_tests PROPERTIES FIXTURES_REQUIRED "wine;fault_drives")
endif()
