#include "optimizer/BusyLoad.h"

#include <gtest/gtest.h>

TEST(BusyLoad, AManualRunIsRefusedFrom76AndAnAutomaticOneHeldFrom75) {
    const struct {
        int load;
        bool manualRefused;
        bool autoHeld;
    } cases[] = {{0, false, false}, {74, false, false}, {75, false, true}, {76, true, true}, {100, true, true}};
    for (const auto& c : cases) {
        EXPECT_EQ(TooBusyForManualRun(c.load), c.manualRefused) << c.load;
        EXPECT_EQ(TooBusyForAutoRun(c.load), c.autoHeld) << c.load;
    }
}
