# Fuzz targets of the runtime library.
dravel_add_fuzzer(fuzz_text SOURCES fuzz_text.cpp LIBS dravel_runtime)
# No Qt here: without this the Qt tooling leaves a fuzz_text_autogen folder
# beside the binary, which the fuzz runner would take for a target.
set_target_properties(fuzz_text PROPERTIES AUTOMOC OFF AUTORCC OFF AUTOUIC OFF)
