# Tests of the canvas library, one binary per unit.
dravel_add_test(turtle_model_test SOURCES turtle_model_test.cpp LIBS dravel_canvas)
