# Hardening: dravel-render's bounded hint text and the window's file faults.
if(TARGET dravel-render)
  dravel_add_test(render_host_test
    SOURCES render_host_test.cpp ${PROJECT_SOURCE_DIR}/apps/dravel-render/render_host.cpp
    LIBS dravel_interpreter)
  target_include_directories(render_host_test PRIVATE ${PROJECT_SOURCE_DIR})
  set_target_properties(render_host_test PROPERTIES AUTOMOC OFF)
endif()

dravel_add_test(file_faults_test
  SOURCES mainwindow_test_fixture.cpp file_faults_test.cpp
  LIBS dravel_mainwindow dravel_canvas dravel_interpreter dravel_runtime Qt6::Test)
