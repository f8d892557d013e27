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

# The class hub's server: its parts without sockets, the real server on
# 127.0.0.1 with a fake handler, then the program itself.
find_package(Boost 1.81 REQUIRED CONFIG COMPONENTS headers)
find_package(OpenSSL REQUIRED)
dravel_add_test(hub_server_parts_test SOURCES hub/hub_server_parts_test.cpp
  LIBS dravel::hub_server)
dravel_add_test(hub_server_test SOURCES hub/hub_server_test.cpp
  LIBS dravel::hub_server Boost::headers OpenSSL::SSL)
dravel_add_test(dravel_hub_test SOURCES hub/dravel_hub_test.cpp LIBS dravel_hub_command)
target_compile_definitions(dravel_hub_test PRIVATE DRAVEL_HUB="$<TARGET_FILE:dravel-hub>")
add_dependencies(dravel_hub_test dravel-hub)
set_target_properties(hub_server_parts_test hub_server_test dravel_hub_test
  PROPERTIES AUTOMOC OFF AUTORCC OFF AUTOUIC OFF)
