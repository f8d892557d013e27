# Interpreter throughput on the shared workloads and the stop latency of a run.
add_executable(interpreter_bench ${CMAKE_CURRENT_LIST_DIR}/interpreter_bench.cpp)
target_link_libraries(interpreter_bench PRIVATE dravel_interpreter dravel_canvas Qt6::Gui
  benchmark::benchmark)
target_compile_definitions(interpreter_bench PRIVATE
  DRAVEL_BENCH_DATA="${PROJECT_SOURCE_DIR}/../shared/bench")
set_target_properties(interpreter_bench PROPERTIES AUTOMOC OFF)
