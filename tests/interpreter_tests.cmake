# The script language, the run driver and the run threads, with recording fakes
# for the turtle and the host; then dravel-render end to end.
add_library(dravel_interpreter_fakes STATIC ${CMAKE_CURRENT_LIST_DIR}/support/interpreter_fakes.cpp)
target_include_directories(dravel_interpreter_fakes PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(dravel_interpreter_fakes PUBLIC dravel_interpreter)
set_target_properties(dravel_interpreter_fakes PROPERTIES AUTOMOC OFF)

foreach(unit command_list execute_lines run_driver script_cases run_thread)
  dravel_add_test(${unit}_test SOURCES ${unit}_test.cpp LIBS dravel_interpreter_fakes)
  set_target_properties(${unit}_test PROPERTIES AUTOMOC OFF)
endforeach()
target_link_libraries(run_thread_test PRIVATE dravel_canvas)

dravel_add_test(run_pacer_test SOURCES run_pacer_test.cpp LIBS dravel_interpreter_fakes dravel_canvas)
set_target_properties(run_pacer_test PROPERTIES AUTOMOC OFF)

if(TARGET dravel-render)
  dravel_add_test(dravel_render_test SOURCES dravel_render_test.cpp LIBS Qt6::Gui dravel_runtime)
  target_compile_definitions(dravel_render_test PRIVATE DRAVEL_RENDER="$<TARGET_FILE:dravel-render>")
  add_dependencies(dravel_render_test dravel-render)
endif()

if(TARGET dravel-render)
  dravel_add_test(render_folder_test SOURCES render_folder_test.cpp LIBS Qt6::Gui)
  target_compile_definitions(render_folder_test PRIVATE DRAVEL_RENDER="$<TARGET_FILE:dravel-render>")
  add_dependencies(render_folder_test dravel-render)
  set_target_properties(render_folder_test PROPERTIES AUTOMOC OFF)
endif()
