# The performance report and the soak (scripts/bench): runs dravel-render as a
# process and the same workloads in process, against a raw-buffer limit.
add_executable(perf_report perf_report.cpp process_probe.cpp raw_limit.cpp)
target_include_directories(perf_report PRIVATE ${PROJECT_SOURCE_DIR})
target_link_libraries(perf_report PRIVATE dravel_interpreter dravel_canvas dravel_runtime Qt6::Gui)
target_compile_definitions(perf_report PRIVATE
  DRAVEL_BENCH_DATA="${PROJECT_SOURCE_DIR}/../shared/bench"
  DRAVEL_RENDER="$<TARGET_FILE:dravel-render>")
set_target_properties(perf_report PROPERTIES AUTOMOC OFF)
add_dependencies(perf_report dravel-render)

# The same workloads through the real window (offscreen, or under Xvfb).
add_executable(window_report window_report.cpp)
target_include_directories(window_report PRIVATE ${PROJECT_SOURCE_DIR})
target_link_libraries(window_report PRIVATE dravel_mainwindow dravel_interpreter dravel_canvas
  dravel_runtime Qt6::Widgets)
target_compile_definitions(window_report PRIVATE
  DRAVEL_BENCH_DATA="${PROJECT_SOURCE_DIR}/../shared/bench")
set_target_properties(window_report PROPERTIES AUTOMOC OFF)
