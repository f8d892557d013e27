# Fuzz targets of the runtime library.
dravel_add_fuzzer(fuzz_text SOURCES fuzz_text.cpp LIBS dravel_runtime)
