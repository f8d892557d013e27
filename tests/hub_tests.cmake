# The class hub's service: the API through its handler, the class lists, the
# store and the grading workers, over real SQLite files in a temporary folder.
add_library(dravel_hub_test_fixture STATIC hub_test_fixture.cpp)
target_link_libraries(dravel_hub_test_fixture PUBLIC dravel::hub GTest::gtest)
target_include_directories(dravel_hub_test_fixture PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
set_target_properties(dravel_hub_test_fixture PROPERTIES AUTOMOC OFF)
foreach(unit hub_api hub_roster hub_store)
  dravel_add_test(${unit}_test SOURCES ${unit}_test.cpp LIBS dravel_hub_test_fixture)
  set_target_properties(${unit}_test PROPERTIES AUTOMOC OFF)
endforeach()
