# Tests of the canvas library, one binary per unit.
dravel_add_test(turtle_model_test SOURCES turtle_model_test.cpp LIBS dravel_canvas)
dravel_add_test(raster_surface_test SOURCES raster_surface_test.cpp support/gui_test_main.cpp LIBS dravel_canvas)
dravel_add_test(canvas_core_test SOURCES canvas_core_test.cpp support/gui_test_main.cpp LIBS dravel_canvas)
dravel_add_test(canvas_properties_test SOURCES canvas_properties_test.cpp LIBS dravel_canvas)
dravel_add_test(turtle_canvas_test SOURCES turtle_canvas_test.cpp LIBS dravel_canvas Qt6::Test)
find_package(Qt6 REQUIRED COMPONENTS PrintSupport Svg)
dravel_add_test(picture_export_test SOURCES picture_export_test.cpp support/gui_test_main.cpp LIBS dravel_canvas dravel_runtime Qt6::Svg)
dravel_add_test(canvas_context_menu_test SOURCES canvas_context_menu_test.cpp
  LIBS dravel_canvas dravel_runtime Qt6::Test Qt6::PrintSupport)
if(TARGET dravel_mainwindow)
  dravel_add_test(window_export_test SOURCES mainwindow_test_fixture.cpp window_export_test.cpp
    LIBS dravel_mainwindow dravel_canvas dravel_runtime Qt6::Test)
endif()
