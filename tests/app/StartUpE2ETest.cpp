#include <gtest/gtest.h>
#include "driver/TestDriver.h"
TEST(StartUp, Placeholder) { EXPECT_TRUE(true); }
