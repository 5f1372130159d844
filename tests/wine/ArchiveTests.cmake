# zlib.dll and the archive code on Windows, under Wine.
add_custom_command(
  OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/archive_fixtures/archive_fixtures.h
  COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_LIST_DIR}/make_archive_fixtures.py
          ${CMAKE_CURRENT_BINARY_DIR}/archive_fixtures/archive_fixtures.h
  DEPENDS ${CMAKE_CURRENT_LIST_DIR}/make_archive_fixtures.py)
add_executable(archive_win_tests
  ${CMAKE_CURRENT_LIST_DIR}/archive_win_test.cpp
  ${CMAKE_CURRENT_BINARY_DIR}/archive_fixtures/archive_fixtures.h)
target_include_directories(archive_win_tests PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/archive_fixtures)
target_link_libraries(archive_win_tests PRIVATE tvr_archive gtest_main)
target_link_options(archive_win_tests PRIVATE -static)
add_dependencies(archive_win_tests zlibdll)
add_wine_program_test(wine.archive.zh_CN archive_win_tests zh_CN.UTF-8)

add_test(NAME archive_images COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_LIST_DIR}/test_archive_images.py)
set_tests_properties(archive_images PROPERTIES
  ENVIRONMENT "PROGRAM_BIN_DIR=${CMAKE_RUNTIME_OUTPUT_DIRECTORY};PYTHONDONTWRITEBYTECODE=1")
