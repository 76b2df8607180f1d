#include "cache/CacheTables.h"

#include <gtest/gtest.h>

namespace {
TEST(CacheTables, HighestDiskPositionFollowsInstalledMemory) {
    const struct {
        long mb;
        int highest;
    } cases[] = {{0, 0}, {63, 0}, {64, 1}, {127, 1}, {128, 2}, {255, 2}, {256, 3}, {511, 3}, {512, 4}, {24105, 4}};
    for (const auto& c : cases) EXPECT_EQ(HighestDiskPosition(c.mb), c.highest) << c.mb;
}

// Stored positions come from the registry and may hold anything; the window cuts them to its
// sliders (shown end to end). What that path does not reach on a machine of 512 MB or more:
// the tables read any position as their nearest end, and a slider whose end came down with
// the memory cuts a stored position to that end.
TEST(CacheTables, PositionsOutsideTheTablesReadAsTheirEnds) {
    EXPECT_EQ(DiskStepAt(-1).sizeMB, 4);
    EXPECT_EQ(DiskStepAt(5).sizeMB, 64);
    EXPECT_EQ(CdStepAt(4).sizeKB, 4128);
    EXPECT_EQ(CdMovedText(-3), "CD/DVD-ROM 228 KB");
    EXPECT_EQ(StoredPosition(4, 2), 2);
}
}  // namespace
