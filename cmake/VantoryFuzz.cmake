# -DVANTORY_FUZZ=ON builds the libFuzzer targets in tests/fuzz: every target gets
# coverage instrumentation plus AddressSanitizer and UndefinedBehaviorSanitizer, which
# only clang provides (configure with CC=clang CXX=clang++).
option(VANTORY_FUZZ "Build the fuzz targets (clang only)" OFF)
if(VANTORY_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "VANTORY_FUZZ needs clang: configure with -DCMAKE_C_COMPILER=clang "
                        "-DCMAKE_CXX_COMPILER=clang++")
  endif()
  if(VANTORY_SANITIZE)
    message(FATAL_ERROR "VANTORY_FUZZ brings its own sanitizers; leave VANTORY_SANITIZE empty")
  endif()
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer
                      -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()
