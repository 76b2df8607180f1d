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

// Stored positions come from the registry and may hold anything.
TEST(CacheTables, PositionsOutsideTheTablesReadAsTheirEnds) {
    EXPECT_EQ(DiskStepAt(-1).sizeMB, 4);
    EXPECT_EQ(DiskStepAt(5).sizeMB, 64);
    EXPECT_EQ(CdStepAt(4).sizeKB, 4128);
    EXPECT_EQ(CdSettingText(1000000), "DVD-RW 4128KB");
    EXPECT_EQ(CdMovedText(-3), "CD/DVD-ROM 228 KB");
    EXPECT_EQ(StoredPosition(2, 4), 2);
    EXPECT_EQ(StoredPosition(4, 2), 2);
    EXPECT_EQ(StoredPosition(0xFFFFFFFFu, 3), 3);
    EXPECT_EQ(StoredPosition(0x80000000u, 4), 4);
}
}  // namespace
