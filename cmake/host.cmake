# Native build of the portable core: unit tests with AddressSanitizer and UBSan, and fuzz targets.
find_package(GTest REQUIRED)
set(SANITIZE -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)

add_library(norvane_core STATIC ${NORVANE_CORE_SOURCES} src/runtime/base/heap_host.cpp
    src/runtime/base/code_page_host.cpp)
target_include_directories(norvane_core PUBLIC ${CMAKE_BINARY_DIR}/layers/core)
target_compile_options(norvane_core PUBLIC ${SANITIZE} -Wall -Wextra)
target_link_options(norvane_core PUBLIC ${SANITIZE})

file(GLOB UNIT_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/unit/*_test.cpp)
add_executable(unit_tests ${UNIT_TEST_SOURCES})
target_link_libraries(unit_tests norvane_core GTest::gtest_main)
add_test(NAME unit_tests COMMAND unit_tests)

# Fuzz targets need clang's libFuzzer; they are built when the compiler is clang.
file(GLOB FUZZ_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/unit/fuzz_*.cpp)
if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  foreach(src IN LISTS FUZZ_SOURCES)
    get_filename_component(name ${src} NAME_WE)
    add_executable(${name} ${src} ${NORVANE_CORE_SOURCES} src/runtime/base/heap_host.cpp
        src/runtime/base/code_page_host.cpp)
    target_include_directories(${name} PRIVATE ${CMAKE_BINARY_DIR}/layers/core)
    target_compile_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined -g)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
    # A short bounded run belongs to every test run; longer runs are made by hand (README).
    add_test(NAME ${name} COMMAND ${name} -max_total_time=20 -max_len=4096 -print_final_stats=1)
  endforeach()
endif()
