# Sanitized builds. KOVELA_SANITIZE builds everything with AddressSanitizer and
# UndefinedBehaviorSanitizer (CI runs the whole suite so); KOVELA_FUZZ adds libFuzzer's coverage
# instrumentation on top and builds the targets in fuzz/ (clang only).
if(KOVELA_FUZZ AND NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "KOVELA_FUZZ needs clang: configure with -DCMAKE_CXX_COMPILER=clang++")
endif()

if(KOVELA_SANITIZE OR KOVELA_FUZZ)
    # Undefined behaviour stops the run instead of printing and going on, so a test fails on it.
    add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined
        -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined)
    # GCC's flow analysis mistakes the sanitizers' instrumentation for reads of uninitialised
    # values; the plain build keeps the warning.
    if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
        add_compile_options(-Wno-maybe-uninitialized)
    endif()
endif()

if(KOVELA_FUZZ)
    add_compile_options(-fsanitize=fuzzer-no-link)
endif()
