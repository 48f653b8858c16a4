# Benchmarks: a minimal window program as the start-up baseline, the same program with the system
# work Norvane's start-up cannot leave out as the start-up floor, and the driver that measures
# Norvane.exe against both (run by tools/bench.sh, never as a test).
foreach(program baseline_window floor_window)
  add_executable(${program} WIN32 ${CMAKE_SOURCE_DIR}/bench/baseline_window.cpp)
  target_compile_options(${program} PRIVATE -Os)
  target_link_options(${program} PRIVATE -s -static)
  target_include_directories(${program} PRIVATE ${CMAKE_SOURCE_DIR}/src)
endforeach()
target_link_libraries(baseline_window user32 gdi32)
target_compile_definitions(floor_window PRIVATE NORVANE_FLOOR)
target_link_libraries(floor_window comctl32 wsock32 user32 gdi32)

# The driver carries the program's resources, so that the program's code running inside it
# (renderings, and the timed starts of "steps") finds the icon its window classes load, as it
# does inside Norvane.exe.
add_executable(bench_driver ${CMAKE_SOURCE_DIR}/bench/bench_driver.cpp
    ${CMAKE_SOURCE_DIR}/tests/e2e/driver.cpp ${CMAKE_SOURCE_DIR}/resources/Norvane.rc)
target_include_directories(bench_driver PRIVATE ${CMAKE_SOURCE_DIR}/tests/e2e)
target_link_libraries(bench_driver norvane_program ws2_32)
target_compile_definitions(bench_driver PRIVATE ${NORVANE_TEST_WINDOWS_VERSION})
target_link_options(bench_driver PRIVATE -static)
add_dependencies(bench_driver Norvane baseline_window floor_window)
