// Layout rules of the main window and the smallest frame a drag leaves.
#include "app/window_layout.h"

#include <gtest/gtest.h>

namespace kestrune {
namespace {

TEST(WindowLayout, ControlsFollowTheirEdgesWhenTheClientGrows)
{
    const RECT recorded = {10, 20, 110, 60};   // 100 x 40
    const SIZE before = {500, 300};
    const SIZE after = {700, 450};
    struct Row {
        Anchor horizontal;
        Anchor vertical;
        RECT expected;
    };
    const Row rows[] = {
        {Anchor::Fixed, Anchor::Fixed, {10, 20, 110, 60}},
        {Anchor::FarEdge, Anchor::Fixed, {210, 20, 310, 60}},     // IDC_UPDATE
        {Anchor::Stretch, Anchor::Fixed, {10, 20, 310, 60}},      // IDC_STATUS_LINE
        {Anchor::Stretch, Anchor::Stretch, {10, 20, 310, 210}},   // IDC_RESULT_LIST
        {Anchor::FarEdge, Anchor::FarEdge, {210, 170, 310, 210}}, // IDC_STOP_SCAN
    };
    for (const Row& row : rows) {
        ControlLayout layout;
        layout.horizontal = row.horizontal;
        layout.vertical = row.vertical;
        recordLayout(layout, recorded, before);
        RECT r = placeControl(layout, after);
        EXPECT_EQ(r.left, row.expected.left);
        EXPECT_EQ(r.top, row.expected.top);
        EXPECT_EQ(r.right, row.expected.right);
        EXPECT_EQ(r.bottom, row.expected.bottom);
        RECT same = placeControl(layout, before);
        EXPECT_TRUE(EqualRect(&same, &recorded)) << "the recorded size gives the recorded place";
    }
}

TEST(WindowLayout, TooSmallFrameIsWidenedOnTheDraggedSide)
{
    struct Row {
        WPARAM edge;
        RECT expected;
    };
    // Dragged down to 100 x 100 at (200, 200).
    const Row rows[] = {
        {WMSZ_LEFT, {-330, 200, 300, 620}},    {WMSZ_RIGHT, {200, 200, 830, 620}},
        {WMSZ_TOP, {200, -120, 830, 300}},     {WMSZ_BOTTOM, {200, 200, 830, 620}},
        {WMSZ_TOPLEFT, {-330, -120, 300, 300}}, {WMSZ_TOPRIGHT, {200, -120, 830, 300}},
        {WMSZ_BOTTOMLEFT, {-330, 200, 300, 620}}, {WMSZ_BOTTOMRIGHT, {200, 200, 830, 620}},
    };
    for (const Row& row : rows) {
        RECT r = {200, 200, 300, 300};
        enforceMinimumSize(r, row.edge, 630, 420);
        EXPECT_TRUE(EqualRect(&r, &row.expected)) << "edge " << row.edge << ": " << r.left << ","
                                                  << r.top << "," << r.right << "," << r.bottom;
    }
    RECT large = {0, 0, 800, 600};
    enforceMinimumSize(large, WMSZ_LEFT, 630, 420);
    EXPECT_EQ(large.left, 0);
    EXPECT_EQ(large.right, 800);
    EXPECT_EQ(large.bottom, 600);
}

}  // namespace
}  // namespace kestrune
