# Norvane.exe for 32-bit Windows, and the test executables that run under Wine.
# comdlg32 and shell32 are loaded only when the font requester or a web page is opened, wsock32
# when the network is probed.
set(NORVANE_WIN32_LIBS user32 gdi32 advapi32 comctl32 kernel32)

file(GLOB_RECURSE NORVANE_RUNTIME_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/runtime/*.cpp)
file(GLOB_RECURSE NORVANE_PROGRAM_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/*.cpp)
list(TRANSFORM NORVANE_CORE_SOURCES PREPEND ${CMAKE_SOURCE_DIR}/ OUTPUT_VARIABLE core_paths)
list(REMOVE_ITEM NORVANE_RUNTIME_SOURCES ${core_paths} ${CMAKE_SOURCE_DIR}/src/runtime/base/heap_host.cpp
    ${CMAKE_SOURCE_DIR}/src/runtime/base/heap_win32.cpp)
# The core's code page is the system's here (natively: a single-byte stand-in).
list(REMOVE_ITEM NORVANE_RUNTIME_SOURCES ${CMAKE_SOURCE_DIR}/src/runtime/base/code_page_host.cpp
    ${CMAKE_SOURCE_DIR}/src/runtime/base/code_page_win32.cpp)
list(REMOVE_ITEM NORVANE_PROGRAM_SOURCES ${CMAKE_SOURCE_DIR}/src/runtime/base/code_page_host.cpp
    ${CMAKE_SOURCE_DIR}/src/runtime/base/code_page_win32.cpp)
list(REMOVE_ITEM NORVANE_PROGRAM_SOURCES ${core_paths} ${NORVANE_RUNTIME_SOURCES}
    ${CMAKE_SOURCE_DIR}/src/runtime/base/heap_host.cpp ${CMAKE_SOURCE_DIR}/src/runtime/base/heap_win32.cpp
    ${CMAKE_SOURCE_DIR}/src/app/entry.cpp)

# The 80386 is the floor of the i686 build: Windows 95 runs on one, and the compiler's default
# (the Pentium Pro) emits instructions that a 386, 486, Pentium or K6 does not execute.
# tools/check-image.sh checks the linked exe, the compiler's own library included.
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(NORVANE_ARCH_FLAGS -march=i386 -mtune=generic)
else()
  set(NORVANE_ARCH_FLAGS "")
endif()
# The product sees the headers of Windows 95 and NT 4.0 (with Windows 95's common controls), so a
# later function does not compile; what it uses of later systems is bound late, beside its own
# declaration. Tests and tools see newer headers: they run where everything is.
set(NORVANE_WINDOWS_VERSION WINVER=0x0400 _WIN32_WINNT=0x0400 _WIN32_WINDOWS=0x0400 _WIN32_IE=0x0200)
set(NORVANE_TEST_WINDOWS_VERSION WINVER=0x0500 _WIN32_WINNT=0x0500)

set(NORVANE_FLAGS -Os ${NORVANE_ARCH_FLAGS} -fno-exceptions -fno-rtti -fno-asynchronous-unwind-tables
    -fno-stack-protector -ffunction-sections -Wall -Wextra)

# The logo, a bitmap file kept in resources/, is compiled into the program's data.
set(NORVANE_GENERATED_SOURCES "")
if(EXISTS ${CMAKE_SOURCE_DIR}/resources/logo.bmp)
  add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/logo_data.cpp
    COMMAND ${CMAKE_COMMAND} -DINPUT=${CMAKE_SOURCE_DIR}/resources/logo.bmp
            -DOUTPUT=${CMAKE_BINARY_DIR}/logo_data.cpp -DNAME=logo_bitmap -P ${CMAKE_SOURCE_DIR}/cmake/embed.cmake
    DEPENDS ${CMAKE_SOURCE_DIR}/resources/logo.bmp ${CMAKE_SOURCE_DIR}/cmake/embed.cmake)
  list(APPEND NORVANE_GENERATED_SOURCES ${CMAKE_BINARY_DIR}/logo_data.cpp)
endif()

# The three layers; everything but the process entry, so that in-process tests link the same
# modules. The core's heap interface is the system's heaps here (natively: the C library's).
add_library(norvane_core STATIC ${NORVANE_CORE_SOURCES} src/runtime/base/heap_win32.cpp
    src/runtime/base/code_page_win32.cpp)
target_include_directories(norvane_core PRIVATE ${CMAKE_BINARY_DIR}/layers/core)
add_library(norvane_runtime STATIC ${NORVANE_RUNTIME_SOURCES})
target_include_directories(norvane_runtime PRIVATE ${CMAKE_BINARY_DIR}/layers/runtime)
target_link_libraries(norvane_runtime PUBLIC norvane_core)
add_library(norvane_program STATIC ${NORVANE_PROGRAM_SOURCES} ${NORVANE_GENERATED_SOURCES})
target_include_directories(norvane_program PUBLIC ${CMAKE_SOURCE_DIR}/src)
target_link_libraries(norvane_program PUBLIC norvane_runtime ${NORVANE_WIN32_LIBS})
foreach(layer norvane_core norvane_runtime norvane_program)
  target_compile_options(${layer} PRIVATE ${NORVANE_FLAGS})
  target_compile_definitions(${layer} PUBLIC WIN32_LEAN_AND_MEAN PRIVATE ${NORVANE_WINDOWS_VERSION})
endforeach()

add_executable(Norvane WIN32 src/app/entry.cpp resources/Norvane.rc)
# The resource script takes in the manifest and the icon: a change to either rebuilds it.
set_source_files_properties(resources/Norvane.rc PROPERTIES OBJECT_DEPENDS
    "${CMAKE_SOURCE_DIR}/resources/Norvane.manifest;${CMAKE_SOURCE_DIR}/resources/norvane.ico")
target_compile_options(Norvane PRIVATE ${NORVANE_FLAGS})
target_compile_definitions(Norvane PRIVATE ${NORVANE_WINDOWS_VERSION})
target_link_libraries(Norvane norvane_program)
# The process entry is our own: no C runtime start-up code is linked in.
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(NORVANE_ENTRY _entry)
else()
  set(NORVANE_ENTRY entry)
endif()
# No link time stamp: the same sources give the same bytes.
target_link_options(Norvane PRIVATE -s -static -nostartfiles -Wl,-e,${NORVANE_ENTRY} -Wl,--no-insert-timestamp
    -Wl,--gc-sections -Wl,--major-subsystem-version,4 -Wl,--minor-subsystem-version,0)
set_target_properties(Norvane PROPERTIES OUTPUT_NAME Norvane SUFFIX .exe)
# The 32-bit program takes its few byte-string functions from CRTDLL, the C runtime every
# 32-bit Windows has had since Windows 95 and NT 3.1 (MSVCRT came later).
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  target_link_options(Norvane PRIVATE -nodefaultlibs)
  target_link_libraries(Norvane norvane_runtime norvane_core ${NORVANE_WIN32_LIBS} crtdll gcc kernel32)
endif()

# The product as shipped: a PE32 GUI executable for Windows 95 / NT 4 and later that imports
# only the system's own DLLs. Checked without running it.
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  add_test(NAME product_image COMMAND ${CMAKE_SOURCE_DIR}/tools/check-image.sh $<TARGET_FILE:Norvane>)
  add_test(NAME product_image_guards COMMAND bash ${CMAKE_SOURCE_DIR}/tests/image/check_image_test.sh)
endif()

# The Win32 tests, the end-to-end driver and its hook are built in every build, also where no
# Wine can run them, so that a fault of this target's calling convention or pointer size fails
# the build. They are registered as tests once for each Wine that runs this build: NORVANE_WINE
# (the system's Wine loader) and NORVANE_WINE10 (the runner of tools/wine10.sh); an empty one is
# left out. The test command sets both.
set(NORVANE_WINE "" CACHE STRING "The system's Wine loader that runs this build's executables, or empty")
set(NORVANE_WINE10 "" CACHE STRING "The Wine 10 runner that runs this build's executables, or empty")

if(EXISTS /usr/src/googletest/CMakeLists.txt)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  include(cmake/wine_tests.cmake)
endif()
