# The fuzzing build: every engine compiled with clang's coverage instrumentation and
# AddressSanitizer + UBSan, so libFuzzer sees inside the parsers and any memory or undefined
# behaviour fault stops the run. It lives in a build tree of its own; the GCC build is untouched.
if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "TARNVEL_FUZZ needs clang: configure with -DCMAKE_CXX_COMPILER=clang++")
endif()
# The windows are not fuzzed; keep Qt out of this tree altogether.
set(CMAKE_DISABLE_FIND_PACKAGE_Qt6 TRUE)
add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined
                    -fno-omit-frame-pointer)
add_link_options(-fsanitize=address,undefined)
