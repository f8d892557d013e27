# Benchmarks of the canvas core (no window).
add_executable(canvas_bench canvas_bench.cpp)
target_link_libraries(canvas_bench PRIVATE dravel_canvas benchmark::benchmark)
