// The scan's life: the table of allowed moves, and a start's questions that go
// back to where they came from.
#include "app/scan_life.h"

#include <gtest/gtest.h>

#include <string>

namespace kestrune {
namespace {

const ScanStage kStages[] = {ScanStage::Idle,     ScanStage::Starting, ScanStage::Scanning,
                             ScanStage::Stopping, ScanStage::Finished, ScanStage::Failed,
                             ScanStage::Closed};

TEST(ScanLife, OnlyTheTablesMovesAreAllowed)
{
    // Per stage, the stages it may move to, in kStages order
    // (I S R P F X C: idle, starting, running, stopping, finished, failed, closed).
    struct Row {
        ScanStage from;
        const char* to;
    };
    const Row rows[] = {
        {ScanStage::Idle, "-SR---C"},     {ScanStage::Starting, "I---FXC"},
        {ScanStage::Scanning, "---PFXC"}, {ScanStage::Stopping, "----FXC"},
        {ScanStage::Finished, "-SR---C"}, {ScanStage::Failed, "-SR---C"},
        {ScanStage::Closed, "-------"},
    };
    for (const Row& row : rows) {
        for (int to = 0; to < 7; ++to)
            EXPECT_EQ(scanMoveAllowed(row.from, kStages[to]), row.to[to] != '-')
                << "from " << static_cast<int>(row.from) << " to " << to;
    }
}

TEST(ScanLife, AStartGoesBackWhereItCameFromAndNothingStartsOnceClosed)
{
    ScanLife life;
    EXPECT_FALSE(life.beginStart(UiState::Scanning, false));
    EXPECT_FALSE(life.beginStart(UiState::Idle, true));
    ASSERT_TRUE(life.beginStart(UiState::Idle, false));
    EXPECT_FALSE(life.mayStartScan(UiState::Idle, false)) << "a second start while the first asks";
    life.endStart();
    EXPECT_EQ(ScanStage::Idle, life.stage());
    EXPECT_FALSE(life.confirmStop()) << "no scan to stop";
    life.close();
    EXPECT_FALSE(life.beginStart(UiState::Idle, false));
    EXPECT_FALSE(life.takeStartupScan());
    EXPECT_FALSE(life.moveTo(ScanStage::Idle));
}

}  // namespace
}  // namespace kestrune
