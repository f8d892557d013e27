# The class hub's grader (apps/dravel-hub/grading), its children real and its
# scores held to dravel-render's; and its term's-end files (apps/dravel-hub/term).
dravel_add_test(hub_grading_test SOURCES hub_grading_test.cpp LIBS dravel::hub_grading)
target_compile_definitions(hub_grading_test PRIVATE DRAVEL_RENDER="$<TARGET_FILE:dravel-render>")
add_dependencies(hub_grading_test dravel-render dravel-text)
set_target_properties(hub_grading_test PROPERTIES AUTOMOC OFF)
foreach(unit hub_term hub_export)
  dravel_add_test(${unit}_test SOURCES ${unit}_test.cpp LIBS dravel::hub_term dravel::runtime)
  set_target_properties(${unit}_test PROPERTIES AUTOMOC OFF)
endforeach()
