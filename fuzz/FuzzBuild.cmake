# Included by the top-level CMakeLists.txt when VOICEMEMO_FUZZ is on: the
# catalogue and the platform layer built with libFuzzer's coverage and
# AddressSanitizer and UndefinedBehaviorSanitizer, and the fuzz targets of
# this folder. Qt Core and Network only; no Widgets, no GTest.
if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  message(FATAL_ERROR "The fuzz targets need clang: configure with -DCMAKE_CXX_COMPILER=clang++")
endif()
add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all
                    -fno-omit-frame-pointer)
add_link_options(-fsanitize=address,undefined)

find_package(Qt6 6.4 REQUIRED COMPONENTS Core Network)
find_package(PkgConfig REQUIRED)
pkg_check_modules(SndFile REQUIRED IMPORTED_TARGET sndfile)
pkg_check_modules(PulseSimple REQUIRED IMPORTED_TARGET libpulse-simple)
enable_testing()

add_subdirectory(catalogue)
add_subdirectory(platform)
add_subdirectory(fuzz)
