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
