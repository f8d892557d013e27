# Tests of the canvas library, one binary per unit.
dravel_add_test(turtle_model_test SOURCES turtle_model_test.cpp LIBS dravel::canvas)
foreach(unit raster_surface canvas_core canvas_properties turtle_canvas canvas_context_menu
    dense_layer)
  dravel_add_test(${unit}_test QT SOURCES ${unit}_test.cpp
    LIBS dravel::canvas dravel::test_support Qt6::Test Qt6::PrintSupport)
endforeach()
dravel_add_test(picture_export_test QT SOURCES picture_export_test.cpp
  LIBS dravel::canvas Qt6::Svg)
dravel_add_test(window_export_test QT SOURCES mainwindow_test_fixture.cpp window_export_test.cpp
  LIBS dravel::mainwindow dravel::canvas Qt6::Test)
dravel_add_test(png_encoder_test QT SOURCES png_encoder_test.cpp LIBS dravel::canvas)
dravel_add_test(batched_path_test QT SOURCES batched_path_test.cpp
  LIBS dravel::canvas dravel::interpreter dravel::test_support)
dravel_add_test(pixel_canvas_test QT SOURCES pixel_canvas_test.cpp
  LIBS dravel::canvas dravel::interpreter dravel::test_support)
dravel_add_test(canvas_memory_test QT SOURCES canvas_memory_test.cpp LIBS dravel::canvas)
