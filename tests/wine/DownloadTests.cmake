# The downloader through the real Winsock: a cross-built program that serves
# a package from the test server and downloads it into its own folder.
add_subdirectory(${CMAKE_SOURCE_DIR}/tests/http_server ${CMAKE_BINARY_DIR}/tests/http_server)

add_executable(download_wine_check
  ${CMAKE_SOURCE_DIR}/tests/wine/download_wine_check.cpp
  ${CMAKE_SOURCE_DIR}/updater/log_setup.cpp)
target_link_libraries(download_wine_check PRIVATE updater_download http_test_server)
target_link_options(download_wine_check PRIVATE -static)

add_wine_scenario_test(wine.download ${CMAKE_SOURCE_DIR}/tests/wine/test_download.py)
