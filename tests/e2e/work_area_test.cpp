// The label keeps to the bottom edge of the work area while the program runs.
#include <gtest/gtest.h>

#include <windows.h>

#include "driver.h"

namespace {
TEST(WorkArea, RaisingTheBottomEdgeMovesTheLabelUpAndSideEdgesDoNot) {
    remove_settings();
    NorvaneProcess norvane;
    HWND label = norvane.wait_label();
    ASSERT_TRUE(label);
    const RECT area = work_area();
    const RECT before = rect_of(label);
    ASSERT_EQ(area.bottom, before.bottom);

    RECT raised = area;
    raised.bottom -= 40;
    ASSERT_TRUE(set_remote_work_area(norvane.id(), raised));
    HWND moved = 0;
    ASSERT_TRUE(eventually([&] {
        moved = norvane.wait_label(100);
        return moved && rect_of(moved).bottom == raised.bottom;
    }, 10000)) << "the label follows the edge (how fast is the benchmark's to say)";
    EXPECT_EQ(before.right, rect_of(moved).right);
    EXPECT_EQ(before.bottom - 40, rect_of(moved).bottom);

    // Only the left and right edges change: the same window stays where it is.
    RECT narrowed = raised;
    narrowed.left += 100;
    narrowed.right -= 100;
    ASSERT_TRUE(set_remote_work_area(norvane.id(), narrowed));
    settle(500);  // time for a move that must not come
    EXPECT_TRUE(IsWindow(moved));
    EXPECT_EQ(moved, norvane.wait_label(100));
    EXPECT_EQ(raised.bottom, rect_of(moved).bottom);
}
}  // namespace
