# Included by the top-level CMakeLists.txt when VOICEMEMO_FUZZ is on, in the
# sanitizer tree: the catalogue and the platform layer get libFuzzer's
# coverage on top of AddressSanitizer and UndefinedBehaviorSanitizer, and
# the fuzz targets of this folder link libFuzzer. The suite's programs link
# the same two libraries without libFuzzer; the sanitizer runtime answers
# the coverage calls there.
if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  message(FATAL_ERROR "The fuzz targets need clang: configure with -DCMAKE_CXX_COMPILER=clang++")
endif()
target_compile_options(catalogue PRIVATE -fsanitize=fuzzer-no-link)
target_compile_options(platform PRIVATE -fsanitize=fuzzer-no-link)
enable_testing()
add_subdirectory(fuzz)
