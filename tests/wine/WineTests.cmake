# Tests that run the Windows programs under Wine. They share one prefix and
# one display per build folder (the `wine` fixture) and run one at a time,
# since named kernel objects are shared within the prefix.
find_package(Python3 COMPONENTS Interpreter REQUIRED)

set(WINE_PREFIX ${CMAKE_BINARY_DIR}/wineprefix)
set(WINE_SESSION_FILE ${CMAKE_BINARY_DIR}/wine-session.json)
set(WINE_HARNESS_DIR ${CMAKE_SOURCE_DIR}/tests/harness)

function(add_wine_console_program name source)
  add_executable(${name} ${source})
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
  target_link_options(${name} PRIVATE -municode -static)
endfunction()

add_wine_console_program(winrun ${WINE_HARNESS_DIR}/winrun.cpp)
add_wine_console_program(mutex_holder ${CMAKE_SOURCE_DIR}/tests/fixtures/mutex_holder_win.cpp)

add_test(NAME wine.session.setup
  COMMAND ${Python3_EXECUTABLE} ${WINE_HARNESS_DIR}/wine_session.py setup
          ${WINE_SESSION_FILE} ${WINE_PREFIX} ${CMAKE_RUNTIME_OUTPUT_DIRECTORY})
add_test(NAME wine.session.cleanup
  COMMAND ${Python3_EXECUTABLE} ${WINE_HARNESS_DIR}/wine_session.py cleanup ${WINE_SESSION_FILE})
set_tests_properties(wine.session.setup PROPERTIES FIXTURES_SETUP wine RESOURCE_LOCK wine TIMEOUT 300)
set_tests_properties(wine.session.cleanup PROPERTIES FIXTURES_CLEANUP wine RESOURCE_LOCK wine TIMEOUT 60)

# A Python test file of unittest cases that drives programs through the harness.
function(add_wine_scenario_test name script)
  add_test(NAME ${name} COMMAND ${Python3_EXECUTABLE} ${script})
  set_tests_properties(${name} PROPERTIES
    FIXTURES_REQUIRED wine RESOURCE_LOCK wine TIMEOUT 600
    ENVIRONMENT "WINE_SESSION=${WINE_SESSION_FILE};PYTHONPATH=${WINE_HARNESS_DIR};PYTHONDONTWRITEBYTECODE=1")
endfunction()

# A cross-built test program, run under Wine in the session's prefix, in the
# given UI language.
function(add_wine_program_test name target lang)
  add_test(NAME ${name} COMMAND ${WINE_HARNESS_DIR}/wine_exec.sh $<TARGET_FILE:${target}>)
  set_tests_properties(${name} PROPERTIES
    FIXTURES_REQUIRED wine RESOURCE_LOCK wine TIMEOUT 120
    ENVIRONMENT "WINE_SESSION=${WINE_SESSION_FILE};WINEPREFIX=${WINE_PREFIX};WINEARCH=win32;WINEDEBUG=-all;WINEDLLOVERRIDES=mscoree,mshtml=;LANG=${lang};LC_ALL=${lang}")
endfunction()

add_wine_scenario_test(wine.harness ${CMAKE_SOURCE_DIR}/tests/wine/test_harness.py)
add_wine_scenario_test(wine.updater_start ${CMAKE_SOURCE_DIR}/tests/wine/test_updater_start.py)
add_wine_scenario_test(wine.updater_config_log ${CMAKE_SOURCE_DIR}/tests/wine/test_updater_config_log.py)
include(${CMAKE_CURRENT_LIST_DIR}/LauncherTests.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/ArchiveTests.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/DownloadTests.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/UiTests.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/UpdateRunTests.cmake)

# GoogleTest from Debian's sources, cross-built for the Windows tests.
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

add_executable(updater_platform_tests
  ${CMAKE_SOURCE_DIR}/tests/wine/updater_platform_test.cpp
  ${CMAKE_SOURCE_DIR}/updater/log_setup.cpp)
target_link_libraries(updater_platform_tests PRIVATE updater_core gtest_main)
target_link_options(updater_platform_tests PRIVATE -static)
add_wine_program_test(wine.updater_platform.zh_CN updater_platform_tests zh_CN.UTF-8)
add_wine_program_test(wine.updater_platform.en_US updater_platform_tests en_US.UTF-8)

# The client's processes ended through the real process snapshot.
add_executable(client_process_tests
  ${CMAKE_SOURCE_DIR}/tests/wine/client_process_test.cpp
  ${CMAKE_SOURCE_DIR}/updater/log_setup.cpp)
target_link_libraries(client_process_tests PRIVATE updater_install tvr_common gtest_main)
target_link_options(client_process_tests PRIVATE -static)
add_dependencies(client_process_tests tuvora zenboclient)
add_wine_program_test(wine.client_process client_process_tests en_US.UTF-8)

add_test(NAME program_images COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tests/wine/test_program_images.py)
set_tests_properties(program_images PROPERTIES
  ENVIRONMENT "PROGRAM_BIN_DIR=${CMAKE_RUNTIME_OUTPUT_DIRECTORY};PYTHONDONTWRITEBYTECODE=1")
