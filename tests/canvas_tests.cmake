# Tests of the canvas libraries, one binary per unit: the plain canvas's
# without Qt, the shell's and the shared canvas's with a Qt application.
foreach(unit turtle_model heading_steps canvas picture_crop text_setter thin_line)
  dravel_add_test(${unit}_test SOURCES ${unit}_test.cpp LIBS dravel::pixels)
endforeach()
foreach(unit canvas_core canvas_properties turtle_canvas canvas_context_menu dense_layer
    picture_layout sprite_frames)
  dravel_add_test(${unit}_test QT SOURCES ${unit}_test.cpp
    LIBS dravel::canvas dravel::test_support Qt6::Test Qt6::PrintSupport)
endforeach()
dravel_add_test(picture_export_test QT SOURCES picture_export_test.cpp
  LIBS dravel::canvas Qt6::Svg)
dravel_add_test(window_export_test QT SOURCES mainwindow_test_fixture.cpp window_export_test.cpp
  LIBS dravel::mainwindow dravel::canvas Qt6::Test)
dravel_add_test(png_encoder_test QT SOURCES png_encoder_test.cpp LIBS dravel::canvas)
dravel_add_test(canvas_memory_test QT SOURCES canvas_memory_test.cpp LIBS dravel::canvas)
