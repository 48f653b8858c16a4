# In-process tests of the Win32 shell and the end-to-end driver, both run under Wine.
# Each executable runs all of its cases in one Wine process; executables that put
# windows on the shared display, or start Norvane.exe, never run at the same time.
# One executable per tests/win32/*_test.cpp: the runtime's state is process-wide, so each
# module's tests start from a fresh process.
file(GLOB WIN32_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/win32/*_test.cpp)
set(WIN32_TEST_NAMES "")
foreach(src IN LISTS WIN32_TEST_SOURCES)
  get_filename_component(name ${src} NAME_WE)
  add_executable(win32_${name} ${src} ${CMAKE_SOURCE_DIR}/tests/win32/win32_main.cpp
      ${CMAKE_SOURCE_DIR}/tests/win32/win32_support.cpp)
  target_link_libraries(win32_${name} norvane_program gtest)
  target_compile_definitions(win32_${name} PRIVATE ${NORVANE_TEST_WINDOWS_VERSION})
  target_link_options(win32_${name} PRIVATE -static)
  list(APPEND WIN32_TEST_NAMES win32_${name})
endforeach()
# The image tests carry the logo's drawing uncompressed (written by resources/make_logo.py
# beside the logo), to compare the decoded logo with it pixel for pixel.
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/logo_drawing_data.cpp
  COMMAND ${CMAKE_COMMAND} -DINPUT=${CMAKE_SOURCE_DIR}/tests/win32/logo_drawing.bmp
          -DOUTPUT=${CMAKE_BINARY_DIR}/logo_drawing_data.cpp -DNAME=logo_drawing -P ${CMAKE_SOURCE_DIR}/cmake/embed.cmake
  DEPENDS ${CMAKE_SOURCE_DIR}/tests/win32/logo_drawing.bmp ${CMAKE_SOURCE_DIR}/cmake/embed.cmake)
target_sources(win32_images_test PRIVATE ${CMAKE_BINARY_DIR}/logo_drawing_data.cpp)
# The window tests carry the program's icon, as the window classes use it.
target_sources(win32_windows_test PRIVATE ${CMAKE_SOURCE_DIR}/resources/Norvane.rc)
# The density checks carry the program's resources too (its manifest), and run once per
# density and locale (tests/win32/density.sh).
add_executable(win32_density ${CMAKE_SOURCE_DIR}/tests/win32/density_check.cpp
    ${CMAKE_SOURCE_DIR}/tests/win32/win32_main.cpp ${CMAKE_SOURCE_DIR}/tests/win32/win32_support.cpp
    ${CMAKE_SOURCE_DIR}/resources/Norvane.rc)
target_link_libraries(win32_density norvane_program gtest)
target_link_options(win32_density PRIVATE -static)

# The driver that uses Norvane.exe as a person would: one process, many cases.
file(GLOB E2E_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/e2e/*.cpp)
add_executable(e2e_tests ${E2E_SOURCES})
# The driver knows the program's object numbers, and nothing else of it.
target_include_directories(e2e_tests PRIVATE ${CMAKE_SOURCE_DIR}/src)
target_link_libraries(e2e_tests gtest gtest_main user32 gdi32 advapi32 kernel32 ws2_32)
target_link_options(e2e_tests PRIVATE -static)
# A library the driver loads into the running program (LoadLibraryA in a thread it creates
# there); on loading it starts a thread of its own that serves the driver's requests.
add_library(work_area_hook SHARED ${CMAKE_SOURCE_DIR}/tests/e2e/hook/work_area_hook.cpp)
target_link_libraries(work_area_hook user32)
target_include_directories(work_area_hook PRIVATE ${CMAKE_SOURCE_DIR}/src)
set_target_properties(work_area_hook PROPERTIES PREFIX "")
target_link_options(work_area_hook PRIVATE -static)
add_dependencies(e2e_tests Norvane work_area_hook)

# Registers every Wine test under one Wine: names start with the label, and the runner (see
# tools/wine-env.sh) brings its own prefix. Each program has a time-out of its own size, scaled
# where Wine runs under emulation; a crash ends a program at once, as the prefix has no debugger.
function(add_wine_tests label wine scale)
  set(env WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml= NORVANE_EXE=$<TARGET_FILE:Norvane>)
  math(EXPR win32_timeout "60 * ${scale}")
  math(EXPR e2e_timeout "400 * ${scale}")
  foreach(name IN LISTS WIN32_TEST_NAMES)
    add_test(NAME ${label}.${name} COMMAND ${wine} $<TARGET_FILE:${name}>)
    set_tests_properties(${label}.${name} PROPERTIES ENVIRONMENT "${env}" RESOURCE_LOCK display
        TIMEOUT ${win32_timeout})
  endforeach()
  # The network case runs in a network of its own (below), never in the machine's, and the fault
  # explorer as a program of its own, with its own time-out, under the first Wine only.
  add_test(NAME ${label}.e2e_tests COMMAND ${wine} $<TARGET_FILE:e2e_tests> --gtest_filter=-NetworkChange.*:Faults.*)
  set_tests_properties(${label}.e2e_tests PROPERTIES ENVIRONMENT
      "${env};NORVANE_WORK_AREA_HOOK=$<TARGET_FILE:work_area_hook>" RESOURCE_LOCK display TIMEOUT ${e2e_timeout})
  # Every surface at four densities and two national fonts, one process per row.
  add_test(NAME ${label}.win32_density
      COMMAND bash ${CMAKE_SOURCE_DIR}/tests/win32/density.sh ${wine} $<TARGET_FILE:win32_density>)
  set_tests_properties(${label}.win32_density PROPERTIES ENVIRONMENT "${env}" RESOURCE_LOCK display
      TIMEOUT ${e2e_timeout})
  # The address following the machine's, in a network of the case's own.
  add_test(NAME ${label}.e2e_network_change
      COMMAND bash ${CMAKE_SOURCE_DIR}/tests/e2e/network_change.sh ${wine} $<TARGET_FILE:e2e_tests>)
  set_tests_properties(${label}.e2e_network_change PROPERTIES ENVIRONMENT
      "${env};NORVANE_WORK_AREA_HOOK=$<TARGET_FILE:work_area_hook>" RESOURCE_LOCK display
      TIMEOUT ${win32_timeout} SKIP_RETURN_CODE 77)
  # A start-up that ends at once: the platform call is seen in a relay trace.
  add_test(NAME ${label}.e2e_missing_computer_name
      COMMAND bash ${CMAKE_SOURCE_DIR}/tests/e2e/missing_computer_name.sh ${wine} $<TARGET_FILE:Norvane>)
  set_tests_properties(${label}.e2e_missing_computer_name PROPERTIES ENVIRONMENT "${env}"
      RESOURCE_LOCK display TIMEOUT ${win32_timeout})
endfunction()

# NORVANE_WINE and NORVANE_WINE10 name the runners of Wine 8 and Wine 10 for this build (empty:
# none here runs it); NORVANE_WINE_SCALE and NORVANE_WINE10_SCALE stretch their time-outs.
set(NORVANE_WINE_SCALE 1 CACHE STRING "time-out factor under Wine 8")
set(NORVANE_WINE10_SCALE 1 CACHE STRING "time-out factor under Wine 10")
if(NORVANE_WINE)
  add_wine_tests(wine ${NORVANE_WINE} ${NORVANE_WINE_SCALE})
  # The fault explorer: every counted creation call of start-up, a rendering, both dialogs,
  # Apply and Close failed once in turn. What it proves is the program's own, so it runs under
  # one Wine per build.
  math(EXPR faults_timeout "400 * ${NORVANE_WINE_SCALE}")
  add_test(NAME wine.e2e_faults COMMAND ${NORVANE_WINE} $<TARGET_FILE:e2e_tests> --gtest_filter=Faults.*)
  set_tests_properties(wine.e2e_faults PROPERTIES ENVIRONMENT
      "WINEDEBUG=-all;WINEDLLOVERRIDES=mscoree,mshtml=;NORVANE_EXE=$<TARGET_FILE:Norvane>;NORVANE_WORK_AREA_HOOK=$<TARGET_FILE:work_area_hook>"
      RESOURCE_LOCK display TIMEOUT ${faults_timeout})
endif()
if(NORVANE_WINE10)
  add_wine_tests(wine10 ${NORVANE_WINE10} ${NORVANE_WINE10_SCALE})
endif()
