# The launcher under Wine, with the stand-in client's two processes.
function(add_client_fixture name source)
  add_executable(${name} WIN32 ${source})
  target_link_libraries(${name} PRIVATE tvr_common)
  target_link_options(${name} PRIVATE -municode -static)
endfunction()

add_client_fixture(tuvora ${CMAKE_SOURCE_DIR}/tests/fixtures/tuvora_client_win.cpp)
add_client_fixture(zenboclient ${CMAKE_SOURCE_DIR}/tests/fixtures/zenboclient_win.cpp)

add_wine_scenario_test(wine.launcher_handoff ${CMAKE_SOURCE_DIR}/tests/wine/test_launcher_handoff.py)
add_wine_scenario_test(wine.launcher_start ${CMAKE_SOURCE_DIR}/tests/wine/test_launcher_start.py)
add_wine_scenario_test(wine.launcher_update ${CMAKE_SOURCE_DIR}/tests/wine/test_launcher_update.py)
