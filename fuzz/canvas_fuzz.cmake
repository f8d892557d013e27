# Fuzz targets of the canvas library. The reader is compiled into the target
# itself so that libFuzzer's coverage instrumentation sees its branches.
dravel_add_fuzzer(fuzz_canvas_properties
  SOURCES fuzz_canvas_properties.cpp ${PROJECT_SOURCE_DIR}/canvas/canvas_properties.cpp
  LIBS Qt6::Core)
target_include_directories(fuzz_canvas_properties PRIVATE ${PROJECT_SOURCE_DIR})
set_target_properties(fuzz_canvas_properties PROPERTIES AUTOMOC OFF AUTORCC OFF AUTOUIC OFF)
