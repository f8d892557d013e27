# The main window's units, driven through the real window (offscreen).
dravel_add_test(mainwindow_test QT
  SOURCES mainwindow_test_fixture.cpp main_window_test.cpp source_files_test.cpp edit_box_test.cpp
    window_run_host_test.cpp learning_tools_test.cpp checker_marks_test.cpp
    editor_keys_test.cpp user_guide_test.cpp native_path_test.cpp lesson_window_test.cpp
    window_state_test.cpp
  LIBS dravel::mainwindow dravel::canvas Qt6::Test)
# Where the window's hyperlink finds the user guide the build wrote.
target_compile_definitions(mainwindow_test PRIVATE DRAVEL_APP_DIR="$<TARGET_FILE_DIR:dravel>")
add_dependencies(mainwindow_test user_guide)

# The dravel program's own command line, run as a process.
dravel_add_test(dravel_command_line_test SOURCES dravel_command_line_test.cpp)
target_compile_definitions(dravel_command_line_test PRIVATE DRAVEL_APP="$<TARGET_FILE:dravel>"
  DRAVEL_VERSION="${PROJECT_VERSION}")
add_dependencies(dravel_command_line_test dravel)
set_target_properties(dravel_command_line_test PROPERTIES AUTOMOC OFF)
