# Tests of the runtime library, one binary per unit.
foreach(unit text value file_bytes gbk_codec delay runtime_error bounded_hint control_text)
  dravel_add_test(${unit}_test SOURCES ${unit}_test.cpp LIBS dravel::runtime)
  set_target_properties(${unit}_test PROPERTIES AUTOMOC OFF)
endforeach()
