# Tests of the runtime library, one binary per unit.
dravel_add_test(text_test SOURCES text_test.cpp LIBS dravel_runtime)
dravel_add_test(value_test SOURCES value_test.cpp LIBS dravel_runtime)
dravel_add_test(file_bytes_test SOURCES file_bytes_test.cpp LIBS dravel_runtime)
dravel_add_test(gbk_codec_test SOURCES gbk_codec_test.cpp LIBS dravel_runtime)
dravel_add_test(beep_delay_test SOURCES beep_delay_test.cpp LIBS dravel_runtime)
dravel_add_test(runtime_error_test SOURCES runtime_error_test.cpp LIBS dravel_runtime)
