// When the delayed start-up items start: a plain rule over the boot table. Portable.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "startup/StartupItem.h"

// Milliseconds from `startTick` to `nowTick` (GetTickCount values), in unsigned 32-bit
// arithmetic so the counter's wrap-around after about 49.7 days does not disturb it.
std::uint32_t TicksSince(std::uint32_t startTick, std::uint32_t nowTick);

// One tick of the schedule, `elapsedMs` after it began: every item not yet started whose delay
// the whole elapsed minutes reach or pass (a negative delay counts as 0) is marked started.
// Returns their indexes in table order, the order in which they are to be started.
std::vector<size_t> DelayedStartTick(std::vector<StartupItem>& items, std::uint32_t elapsedMs);
