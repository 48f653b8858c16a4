// Entry of the in-process Win32 test executables: the runtime heaps and the string scratch
// exist for every test, as they do after the program's start-up.
#include <gtest/gtest.h>

#include "../crash_report.h"
#include "win32_support.h"

int main(int argc, char** argv) {
    report_crashes();
    ::testing::InitGoogleTest(&argc, argv);
    init_test_runtime();
    return RUN_ALL_TESTS();
}
