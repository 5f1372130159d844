# The updater's windows under Wine: the window viewer shows each window in
# each state; the tests drive it with xdotool and check screenshots.
set(VIEWER_DIR ${CMAKE_SOURCE_DIR}/tests/fixtures/window_viewer)
find_package(Python3 COMPONENTS Interpreter REQUIRED)

# A skin package whose layout cannot be read.
set(BAD_LAYOUT_ZIP ${CMAKE_CURRENT_BINARY_DIR}/window_viewer/bad_layout.zip)
add_custom_command(OUTPUT ${BAD_LAYOUT_ZIP}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/window_viewer
  COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/updater/skin/pack_skin.py ${BAD_LAYOUT_ZIP}
          ${VIEWER_DIR}/UpdaterWnd.xml
  DEPENDS ${VIEWER_DIR}/UpdaterWnd.xml ${CMAKE_SOURCE_DIR}/updater/skin/pack_skin.py)
add_custom_target(window_viewer_skins DEPENDS ${BAD_LAYOUT_ZIP})

add_library(window_viewer_resources OBJECT ${VIEWER_DIR}/window_viewer.rc)
target_include_directories(window_viewer_resources PRIVATE ${VIEWER_DIR} ${CMAKE_CURRENT_BINARY_DIR}/window_viewer)
set_source_files_properties(${VIEWER_DIR}/window_viewer.rc PROPERTIES
  OBJECT_DEPENDS "${BAD_LAYOUT_ZIP};${VIEWER_DIR}/not_a_zip.bin")
add_dependencies(window_viewer_resources window_viewer_skins)

# With the updater's resources (its skin, icon and manifest), and without
# them, to see a program whose skin is missing.
foreach(variant window_viewer window_viewer_noskin)
  add_executable(${variant} WIN32 ${CMAKE_SOURCE_DIR}/tests/fixtures/window_viewer_win.cpp
                                  ${CMAKE_SOURCE_DIR}/updater/log_setup.cpp)
  target_link_libraries(${variant} PRIVATE updater_windows window_viewer_resources)
  target_link_options(${variant} PRIVATE -municode -static)
endforeach()
target_link_libraries(window_viewer PRIVATE updater_resources)

# The screenshots the tests take stay in the build folder.
foreach(window progress_window tips_box relaunch_window skin_failure)
  add_wine_scenario_test(wine.ui_${window} ${CMAKE_SOURCE_DIR}/tests/wine/test_ui_${window}.py)
  set_property(TEST wine.ui_${window} APPEND PROPERTY ENVIRONMENT "UI_SCREENSHOT_DIR=${CMAKE_BINARY_DIR}/ui-screenshots")
endforeach()
