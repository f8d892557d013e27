# Hardening: dravel-render's bounded hint text and the window's file faults.
dravel_add_test(render_host_test SOURCES render_host_test.cpp LIBS dravel::render_entry)
set_target_properties(render_host_test PROPERTIES AUTOMOC OFF)

dravel_add_test(file_faults_test QT SOURCES mainwindow_test_fixture.cpp file_faults_test.cpp
  LIBS dravel::mainwindow dravel::canvas Qt6::Test)
