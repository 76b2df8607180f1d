// Delay.cfg as the start-up model reads and rewrites it: any bytes taken as the file, its
// items read, the boot schedule run over them, and the file rewritten on disk by the removal
// and the appending of an item, then read back.
//
// Input: the file's bytes. Its first byte also picks the item that is removed and the
// boot-schedule tick (its value in minutes).
#include <unistd.h>

#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "app/IniFile.h"
#include "startup/BootSchedule.h"
#include "startup/DelayFile.h"
#include "startup/StartupItem.h"

namespace {
void Check(bool condition) {
    if (!condition) __builtin_trap();
}

std::string SectionName(std::size_t k) { return "Item" + std::to_string(k); }

bool SameItems(const std::vector<StartupItem>& a, const std::vector<StartupItem>& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t k = 0; k < a.size(); ++k)
        if (a[k].Name != b[k].Name || a[k].Command != b[k].Command || a[k].DelayMinutes != b[k].DelayMinutes ||
            a[k].OldId != b[k].OldId || a[k].Source != SourceDelayed || b[k].Source != SourceDelayed)
            return false;
    return true;
}

// Every section is one of Item0 .. Item(n-1): the file the program itself writes.
bool OnlyItemSections(const IniFile& file) {
    IniFile probe = file;
    const int n = probe.SectionCount();
    for (int k = 0; k < n; ++k)
        if (!probe.DeleteSection(SectionName(static_cast<std::size_t>(k)))) return false;
    return probe.SectionCount() == 0;
}

// A text that comes back from the file as it went in on every system: the C library of
// Windows writes a line end as CR LF and this one as LF, so a CR is left out, as are the
// characters a line cannot hold.
bool Portable(const std::string& text) { return FitsOnOneLine(text) && text.find('\r') == std::string::npos; }

bool WriteFile(const std::string& path, const std::uint8_t* data, std::size_t size) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    bool written = std::fwrite(data, 1, size, f) == size;
    return std::fclose(f) == 0 && written;
}

// In memory where the system offers it: the file is written three times per input.
struct Scratch {
    std::string path = std::string(access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp") + "/mnemora-fuzz-delay-" +
                       std::to_string(getpid()) + ".cfg";
    ~Scratch() { std::remove(path.c_str()); }
};
const std::string& ScratchPath() {
    static const Scratch scratch;
    return scratch.path;
}

void CheckSchedule(std::vector<StartupItem> table, std::uint32_t minutes) {
    const std::uint32_t elapsedMs = minutes * 60000u;
    std::vector<std::size_t> first = DelayedStartTick(table, elapsedMs);
    std::vector<std::size_t> again = DelayedStartTick(table, elapsedMs);
    Check(again.empty());  // an item starts once
    std::size_t started = 0;
    for (std::size_t k = 0; k < table.size(); ++k) {
        const std::uint32_t delay = table[k].DelayMinutes < 0 ? 0 : static_cast<std::uint32_t>(table[k].DelayMinutes);
        Check((table[k].Started == 1) == (delay <= minutes));
        started += table[k].Started;
    }
    Check(started == first.size());
    for (std::size_t i = 1; i < first.size(); ++i) Check(first[i - 1] < first[i]);  // in file order
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    IniFile file("unused");
    file.LoadText(bytes);
    const std::vector<StartupItem> items = DelayedItemsOf(file);
    Check(static_cast<int>(items.size()) == file.SectionCount());
    const unsigned pick = size ? data[0] : 0;
    for (const StartupItem& item : items) {
        Check(item.Source == SourceDelayed && ModeOfSource(item.Source) == Delayed);
        // A delayed item goes back to the family it came from, or nowhere for an unknown one.
        const bool known = item.OldId == 0 || item.OldId == 1 || item.OldId == 5 || item.OldId == 6;
        for (int mode : {RunAtStartup, Paused}) {
            const int target = MoveTarget(SourceDelayed, item.OldId, mode);
            Check(known ? target >= 0 && ModeOfSource(target) == mode : target == -1);
        }
    }
    if (items.size() <= static_cast<std::size_t>(kMaxBootItems)) CheckSchedule(items, pick);

    // The same bytes as a file on disk, through the functions the program calls.
    const std::string& path = ScratchPath();
    if (items.size() > 16 || !WriteFile(path, data, size)) return 0;
    Check(SameItems(ReadDelayedItems(path), items));
    std::vector<StartupItem> table;
    Check(LoadDelayedItems(path, table) == static_cast<int>(items.size()) && SameItems(table, items));
    if (items.empty()) {
        Check(!RemoveDelayedItem(path, StartupItem()));
        return 0;
    }

    bool portable = OnlyItemSections(file);
    for (const StartupItem& item : items) portable = portable && Portable(item.Name) && Portable(item.Command);
    const StartupItem picked = items[pick % items.size()];
    Check(RemoveDelayedItem(path, picked));
    std::vector<StartupItem> expected = items;
    for (std::size_t k = expected.size(); k-- > 0;) {
        if (!SameItems({expected[k]}, {picked})) continue;
        expected.erase(expected.begin() + static_cast<std::ptrdiff_t>(k));
        break;
    }
    const std::vector<StartupItem> left = ReadDelayedItems(path);
    if (portable) Check(SameItems(left, expected));

    StartupItem added = items[0];
    added.DelayMinutes = INT_MIN + static_cast<int>(pick);
    Check(AppendDelayedItem(path, added));
    if (portable) {
        expected.push_back(added);
        Check(SameItems(ReadDelayedItems(path), expected));
    }
    return 0;
}
