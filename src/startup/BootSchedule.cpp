#include "startup/BootSchedule.h"

std::uint32_t TicksSince(std::uint32_t startTick, std::uint32_t nowTick) { return nowTick - startTick; }

std::vector<size_t> DelayedStartTick(std::vector<StartupItem>& items, std::uint32_t elapsedMs) {
    // A minute that passed while the ticks were held up still counts: an item waits only
    // until its minute has come, not for that exact minute.
    std::uint32_t minutes = elapsedMs / 1000 / 60;
    std::vector<size_t> due;
    for (size_t k = 0; k < items.size(); ++k) {
        StartupItem& item = items[k];
        std::uint32_t delay = item.DelayMinutes < 0 ? 0 : static_cast<std::uint32_t>(item.DelayMinutes);
        if (item.Started || minutes < delay) continue;
        item.Started = true;
        due.push_back(k);
    }
    return due;
}
