#include "startup/StartupRows.h"

#include "app/ResourceText.h"

StartupStateTexts LoadStartupStateTexts() {
    return {Lang("RStatus1"), Lang("RStatus2"), Lang("RStatus3"), Lang("minute")};
}

std::string StartupStateText(const StartupItem& item, const StartupStateTexts& texts) {
    switch (ModeOfSource(item.Source)) {
    case Delayed: return texts.delayed + " " + std::to_string(item.DelayMinutes) + " " + texts.minute;
    case Paused: return texts.paused;
    default: return texts.active;
    }
}

std::vector<ListRow> StartupRows(const std::vector<StartupItem>& items, const StartupStateTexts& texts,
                                 const std::vector<int>& images) {
    std::vector<ListRow> rows;
    rows.reserve(items.size());
    for (size_t k = 0; k < items.size(); ++k) {
        ListRow row;
        row.cells = {items[k].Name, items[k].Command, StartupStateText(items[k], texts)};
        row.image = k < images.size() ? images[k] : -1;
        row.data = static_cast<LPARAM>(k + 1);
        rows.push_back(row);
    }
    return rows;
}
