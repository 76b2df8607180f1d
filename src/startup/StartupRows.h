// The start-up items manager's rows as data: one row per item, in item order.
#pragma once
#include <string>
#include <vector>

#include "startup/StartupItem.h"
#include "ui/ListView.h"

// Language texts of the state column.
struct StartupStateTexts {
    std::string active;   // RStatus1
    std::string paused;   // RStatus2
    std::string delayed;  // RStatus3
    std::string minute;   // minute
};
StartupStateTexts LoadStartupStateTexts();

// "active" for sources 0, 1, 5; "paused" for 3, 4, 6; "<delayed> <minutes> <minute>" for 2.
std::string StartupStateText(const StartupItem& item, const StartupStateTexts& texts);

// Row k: name, command, state; image `images[k]` (-1 when missing); data k + 1.
std::vector<ListRow> StartupRows(const std::vector<StartupItem>& items, const StartupStateTexts& texts,
                                 const std::vector<int>& images);
