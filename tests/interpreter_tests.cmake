# The script language, the run driver and the run threads, with the shared
# fakes for the turtle and the host; then dravel-render end to end.
foreach(unit command_list execute_lines message_line program_file run_driver script_cases run_thread run_pacer script_checker)
  dravel_add_test(${unit}_test SOURCES ${unit}_test.cpp LIBS dravel::test_support)
  set_target_properties(${unit}_test PROPERTIES AUTOMOC OFF)
endforeach()
target_link_libraries(run_thread_test PRIVATE dravel::canvas)
target_link_libraries(run_pacer_test PRIVATE dravel::canvas)

foreach(unit dravel_render render_folder class_batch folder_safety)
  dravel_add_test(${unit}_test SOURCES ${unit}_test.cpp LIBS Qt6::Gui dravel::marking)
  target_compile_definitions(${unit}_test PRIVATE DRAVEL_RENDER="$<TARGET_FILE:dravel-render>")
  add_dependencies(${unit}_test dravel-render)
  set_target_properties(${unit}_test PROPERTIES AUTOMOC OFF)
endforeach()
dravel_add_test(batch_parts_test QT SOURCES batch_parts_test.cpp
  LIBS dravel::render_folder dravel::text_parts)
set_target_properties(batch_parts_test PROPERTIES AUTOMOC OFF)
dravel_add_test(render_options_test QT SOURCES render_options_test.cpp LIBS dravel::render_run)
set_target_properties(render_options_test PROPERTIES AUTOMOC OFF)
