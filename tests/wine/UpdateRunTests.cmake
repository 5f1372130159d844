# End-to-end scenarios of the whole update run: the real Updater.exe and
# TVRLaunch.exe with the stand-in client, against nginx (native, on
# 127.0.0.1) and the fault-injecting server (cross-built, run under Wine).
add_wine_console_program(http_fault_server ${CMAKE_SOURCE_DIR}/tests/http_server/fault_server_main.cpp)
target_link_libraries(http_fault_server PRIVATE http_test_server)
add_wine_console_program(update_run_probe ${CMAKE_SOURCE_DIR}/tests/wine/update_run_probe.cpp)

foreach(theme forced optional failures transfer install_failure)
  add_wine_scenario_test(wine.update_run_${theme} ${CMAKE_SOURCE_DIR}/tests/wine/test_update_run_${theme}.py)
  set_property(TEST wine.update_run_${theme} APPEND PROPERTY ENVIRONMENT
               "E2E_SCREENSHOT_DIR=${CMAKE_BINARY_DIR}/e2e-screenshots")
endforeach()
