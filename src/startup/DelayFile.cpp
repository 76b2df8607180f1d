#include "startup/DelayFile.h"

#include <cerrno>
#include <cstdio>

namespace {
std::string SectionName(int index) {
    char name[24];
    std::snprintf(name, sizeof name, "Item%d", index);
    return name;
}

std::string Decimal(int value) {
    char text[16];
    std::snprintf(text, sizeof text, "%d", value);
    return text;
}

// The section gets exactly the four keys in their order, whatever a hand edit left there.
void WriteItem(IniFile& file, int index, const StartupItem& item) {
    std::string section = SectionName(index);
    file.DeleteSection(section);
    file.SetValue(section, "Project", item.Name, true);
    file.SetValue(section, "Path", item.Command, true);
    file.SetValue(section, "Delay", Decimal(item.DelayMinutes), true);
    file.SetValue(section, "OLDID", Decimal(item.OldId), true);
}

// Missing and empty count alike; a file that exists but cannot be read does not.
bool LoadOrEmpty(IniFile& file) { return file.Load() || file.ErrorText().empty(); }

// Asked before anything is built: a file that exists but is locked or read-only is left alone.
// Opened as it is, so the question makes no file: a missing one is made by the save alone.
bool CanWrite(const std::string& path) {
    FILE* f = std::fopen(path.c_str(), "r+b");
    if (!f) return errno == ENOENT;
    std::fclose(f);
    return true;
}

bool SameItem(const StartupItem& a, const StartupItem& b) {
    return a.Name == b.Name && a.Command == b.Command && a.DelayMinutes == b.DelayMinutes && a.OldId == b.OldId;
}
}  // namespace

std::vector<StartupItem> DelayedItemsOf(IniFile& file) {
    std::vector<StartupItem> items;
    int count = file.SectionCount();
    for (int k = 0; k < count; ++k) {
        std::string section = SectionName(k);
        StartupItem item;
        item.Name = file.GetValue(section, "Project");
        item.Command = file.GetValue(section, "Path");
        item.Source = SourceDelayed;
        item.DelayMinutes = LeadingDecimal(file.GetValue(section, "Delay"));
        item.OldId = LeadingDecimal(file.GetValue(section, "OLDID"));
        // The file keeps no value type: a command with %variables% came from REG_EXPAND_SZ or
        // was written by hand to be expanded.
        item.Expandable = item.Command.find('%') != std::string::npos;
        items.push_back(item);
    }
    return items;
}

std::vector<StartupItem> ReadDelayedItems(const std::string& path, bool* readable) {
    IniFile file(path);
    bool loaded = file.Load();
    if (readable) *readable = loaded || file.ErrorText().empty();
    if (!loaded) return {};
    return DelayedItemsOf(file);
}

int LoadDelayedItems(const std::string& path, std::vector<StartupItem>& table) {
    table.clear();
    IniFile file(path);
    if (!file.Load() || file.SectionCount() > kMaxBootItems) return 0;
    table = DelayedItemsOf(file);
    return static_cast<int>(table.size());
}

bool AppendDelayedItem(const std::string& path, const StartupItem& item) {
    IniFile file(path);
    if (!LoadOrEmpty(file) || !CanWrite(path)) return false;
    WriteItem(file, file.SectionCount(), item);
    return file.Save();
}

namespace {
// Drops `dropped` (of two alike, the later), then appends `added` when given; one save.
bool RewriteWithout(const std::string& path, const StartupItem& dropped, const StartupItem* added) {
    IniFile file(path);
    if (!file.Load()) return false;
    std::vector<StartupItem> items = DelayedItemsOf(file);
    int drop = -1;
    for (size_t k = 0; k < items.size(); ++k)
        if (SameItem(items[k], dropped)) drop = static_cast<int>(k);
    if (drop < 0 || !CanWrite(path)) return false;
    for (size_t k = 0; k < items.size(); ++k) file.DeleteSection(SectionName(static_cast<int>(k)));
    items.erase(items.begin() + drop);
    if (added) items.push_back(*added);
    for (size_t k = 0; k < items.size(); ++k) WriteItem(file, static_cast<int>(k), items[k]);
    return file.Save();
}
}  // namespace

bool RemoveDelayedItem(const std::string& path, const StartupItem& item) { return RewriteWithout(path, item, nullptr); }

bool ReplaceDelayedItem(const std::string& path, const StartupItem& old, const StartupItem& item) {
    return RewriteWithout(path, old, &item);
}
