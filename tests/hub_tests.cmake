# The class hub's service: the API through its handler, the class lists, the
# store and the grading workers, over real SQLite files in a temporary folder,
# or with DRAVEL_HUB_TEST_DATABASE set a PostgreSQL database per test.
add_library(dravel_hub_test_fixture STATIC hub_test_fixture.cpp)
target_link_libraries(dravel_hub_test_fixture PUBLIC dravel::hub GTest::gtest PRIVATE PkgConfig::PQXX)
target_include_directories(dravel_hub_test_fixture PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
set_target_properties(dravel_hub_test_fixture PROPERTIES AUTOMOC OFF)
foreach(unit hub_api hub_roster hub_store hub_teachers hub_term_routes)
  dravel_add_test(${unit}_test SOURCES ${unit}_test.cpp LIBS dravel_hub_test_fixture)
  set_target_properties(${unit}_test PROPERTIES AUTOMOC OFF)
endforeach()
target_link_libraries(hub_term_routes_test PRIVATE dravel::hub_term)
target_link_libraries(hub_store_test PRIVATE PkgConfig::PQXX)

# The class hub's server: its parts without sockets, the real server on
# 127.0.0.1 with a fake handler, then the program itself.
find_package(Boost 1.81 REQUIRED CONFIG COMPONENTS headers)
find_package(OpenSSL REQUIRED)
find_package(SQLite3 REQUIRED)
find_package(nlohmann_json REQUIRED)
dravel_add_test(hub_server_parts_test SOURCES hub/hub_server_parts_test.cpp
  LIBS dravel::hub_server)
dravel_add_test(hub_server_test SOURCES hub/hub_server_test.cpp
  LIBS dravel::hub_server Boost::headers OpenSSL::SSL)
add_library(dravel_hub_process STATIC hub/hub_process.cpp hub/hub_classroom.cpp)
target_compile_definitions(dravel_hub_process PRIVATE DRAVEL_HUB="$<TARGET_FILE:dravel-hub>")
target_include_directories(dravel_hub_process PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/hub)
target_link_libraries(dravel_hub_process PUBLIC GTest::gtest nlohmann_json::nlohmann_json)
add_dependencies(dravel_hub_process dravel-hub)
dravel_add_test(dravel_hub_test SOURCES hub/dravel_hub_test.cpp
  LIBS dravel_hub_command dravel_hub_process dravel_hub_test_fixture)
target_compile_definitions(dravel_hub_test PRIVATE DRAVEL_HUB="$<TARGET_FILE:dravel-hub>")
# The program killed in a burst of hand-ins and started again on the same
# data, and a hand-in that never ends, graded by the real grader.
dravel_add_test(hub_kill_test SOURCES hub/hub_kill_test.cpp
  LIBS dravel_hub_command dravel_hub_process dravel_hub_test_fixture SQLite::SQLite3)
target_compile_definitions(hub_kill_test PRIVATE DRAVEL_HUB="$<TARGET_FILE:dravel-hub>")
# Two hubs on one PostgreSQL database, started by scripts/test-hub-postgres,
# which runs this; ctest does not (it would find no hubs).
add_executable(hub_two_processes_test hub/hub_two_processes_test.cpp)
target_link_libraries(hub_two_processes_test PRIVATE dravel_hub_process GTest::gtest_main
  nlohmann_json::nlohmann_json)
# Two processes on a PostgreSQL cluster of the test's own, one killed in a
# burst, then the cluster restarted under one; skipped unless
# DRAVEL_HUB_TEST_DATABASE is set (scripts/test-hub-postgres).
dravel_add_test(hub_postgres_fault_test SOURCES hub/hub_postgres_fault_test.cpp
  LIBS dravel_hub_process Boost::headers)
target_compile_definitions(hub_postgres_fault_test PRIVATE DRAVEL_HUB="$<TARGET_FILE:dravel-hub>")
set_target_properties(hub_server_parts_test hub_server_test dravel_hub_test hub_kill_test
  dravel_hub_process hub_two_processes_test hub_postgres_fault_test
  PROPERTIES AUTOMOC OFF AUTORCC OFF AUTOUIC OFF)
# The wall across processes through PostgreSQL; its database cases run when
# DRAVEL_HUB_TEST_DATABASE names one (scripts/pg-cluster makes one).
dravel_add_test(pg_wall_relay_test SOURCES hub/pg_wall_relay_test.cpp
  LIBS dravel::hub_wall_relay PkgConfig::PQXX)
set_target_properties(pg_wall_relay_test PROPERTIES AUTOMOC OFF AUTORCC OFF AUTOUIC OFF)
