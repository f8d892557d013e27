# The whole interpreter on a real canvas. The libraries it runs get libFuzzer's
# coverage instrumentation too, so that inputs reaching new branches of the
# interpreter and the canvas are kept.
dravel_add_fuzzer(fuzz_render SOURCES fuzz_render.cpp
  LIBS dravel_interpreter dravel_canvas dravel_runtime Qt6::Gui)
set_target_properties(fuzz_render PROPERTIES AUTOMOC OFF AUTORCC OFF AUTOUIC OFF)
foreach(library dravel_runtime dravel_canvas dravel_interpreter)
  target_compile_options(${library} PRIVATE -fsanitize=fuzzer-no-link)
endforeach()
