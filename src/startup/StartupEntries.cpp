#include "startup/StartupEntries.h"

#include <algorithm>

#include "app/ProgramPath.h"
#include "app/RegistryKey.h"
#include "app/ResourceText.h"
#include "startup/DelayFile.h"
#include "ui/MessageBox.h"

namespace {
const char kRun[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const char kRunServices[] = "Software\\Microsoft\\Windows\\CurrentVersion\\RunServices";
const char kRunDisabled[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run-";
const char kRunServicesDisabled[] = "Software\\Microsoft\\Windows\\CurrentVersion\\RunServices-";
const char kOwnValue[] = "Ramvane";
const DWORD kLongestValueName = 16383;  // the registry's own limit

// Writes the value whole: the registry has no 255-character limit of its own, and a cut
// command would start something else. A command with %variables% keeps its type, or they
// would no longer be expanded.
bool WriteValue(int source, const StartupItem& item) {
    StartupKey place = KeyOfSource(source);
    RegistryKey key;
    if (!place.root || key.Open(place.root, place.path, KEY_ALL_ACCESS) != ERROR_SUCCESS) return false;
    return key.SetString(item.Command, item.Name.c_str(), item.Command.size(),
                         item.Expandable ? REG_EXPAND_SZ : REG_SZ) == ERROR_SUCCESS;
}

bool DeleteValue(int source, const std::string& name) {
    StartupKey place = KeyOfSource(source);
    RegistryKey key;
    if (!place.root || key.Open(place.root, place.path, KEY_ALL_ACCESS) != ERROR_SUCCESS) return false;
    return key.DeleteValue(name.c_str()) == ERROR_SUCCESS;
}

// The value `name` of a source's key as it is now, to be put back when a move is undone.
struct HeldValue {
    bool present = false;
    RunValue value;
};
HeldValue ReadHeldValue(int source, const std::string& name) {
    StartupKey place = KeyOfSource(source);
    for (const RunValue& v : ReadRunValues(place.root, place.path))
        if (_stricmp(v.name.c_str(), name.c_str()) == 0) return {true, v};
    return {};
}

// Undoes a write of `name` to `source`: what was there before comes back, or the value goes.
void PutBack(int source, const std::string& name, const HeldValue& held) {
    if (!held.present) {
        DeleteValue(source, name);
        return;
    }
    StartupItem before;
    before.Name = held.value.name;
    before.Command = held.value.data;
    before.Expandable = held.value.expandable;
    WriteValue(source, before);
}

std::vector<std::string> ValueNames(int source) {
    StartupKey place = KeyOfSource(source);
    std::vector<std::string> names;
    for (const RunValue& v : ReadRunValues(place.root, place.path)) names.push_back(v.name);
    return names;
}

void AddItems(std::vector<StartupItem>& items, int source, bool skipOwn) {
    StartupKey place = KeyOfSource(source);
    for (const RunValue& v : ReadRunValues(place.root, place.path)) {
        if (skipOwn && v.name.find(kOwnValue) != std::string::npos) continue;
        StartupItem item;
        item.Name = v.name;
        item.Command = v.data;
        item.Source = source;
        item.Expandable = v.expandable;
        items.push_back(item);
    }
}

ModeChange MoveToDelayed(const StartupItem& chosen, int delayMinutes) {
    if (!FitsOnOneLine(chosen.Name) || !FitsOnOneLine(chosen.Command)) return ModeChange::NotStorable;
    std::string path = DelayFilePath();
    StartupItem item = chosen;
    item.DelayMinutes = delayMinutes;
    if (item.Source == SourceDelayed)
        return ReplaceDelayedItem(path, chosen, item) ? ModeChange::Done : ModeChange::NotWritten;
    int oldId = OldIdOfSource(item.Source);
    if (oldId < 0) return ModeChange::Done;
    if (static_cast<int>(ReadDelayedItems(path).size()) >= kMaxBootItems) return ModeChange::DelayFileFull;
    item.OldId = oldId;
    if (!AppendDelayedItem(path, item)) return ModeChange::NotWritten;
    if (DeleteValue(item.Source, item.Name)) return ModeChange::Done;
    // The source refused (a machine's key without administrator rights): take the copy back,
    // or the item would seem delayed and still start with Windows.
    RemoveDelayedItem(path, item);
    return ModeChange::NotWritten;
}
}  // namespace

std::string DelayFilePath() { return ProgramFilePath("Delay.cfg"); }

StartupKey KeyOfSource(int source) {
    switch (source) {
    case SourceHklmRun: return {HKEY_LOCAL_MACHINE, kRun};
    case SourceHklmRunServices: return {HKEY_LOCAL_MACHINE, kRunServices};
    case SourceHklmRunDisabled: return {HKEY_LOCAL_MACHINE, kRunDisabled};
    case SourceHklmRunServicesDisabled: return {HKEY_LOCAL_MACHINE, kRunServicesDisabled};
    case SourceHkcuRun: return {HKEY_CURRENT_USER, kRun};
    case SourceHkcuRunDisabled: return {HKEY_CURRENT_USER, kRunDisabled};
    default: return {nullptr, nullptr};
    }
}

std::vector<RunValue> ReadRunValues(HKEY root, const char* path) {
    std::vector<RunValue> values;
    RegistryKey key;
    if (!root || key.Open(root, path, KEY_READ) != ERROR_SUCCESS) return values;
    DWORD longestData = 0;
    RegQueryInfoKeyA(key.Get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &longestData,
                     nullptr, nullptr);
    std::string name(kLongestValueName + 1, '\0');
    std::string data(static_cast<size_t>(longestData) + 1, '\0');
    for (DWORD index = 0;;) {
        DWORD nameSize = static_cast<DWORD>(name.size());
        DWORD dataSize = static_cast<DWORD>(data.size() - 1);  // a spare byte keeps the text terminated
        DWORD type = REG_NONE;
        LONG status = RegEnumValueA(key.Get(), index, &name[0], &nameSize, nullptr, &type,
                                    reinterpret_cast<BYTE*>(&data[0]), &dataSize);
        if (status == ERROR_MORE_DATA && data.size() < (64u << 20)) {
            // The value grew since the key was measured: ask again with room for it.
            data.assign(std::max<size_t>(data.size() * 2, static_cast<size_t>(dataSize) + 1), '\0');
            continue;
        }
        if (status != ERROR_SUCCESS) break;
        ++index;
        // Windows starts only texts. Read as text, a number or binary would show as stray
        // characters, and moving it would store those in its place.
        if (type != REG_SZ && type != REG_EXPAND_SZ) continue;
        data[dataSize] = '\0';
        values.push_back({name.substr(0, nameSize), std::string(data.c_str()), type == REG_EXPAND_SZ});
    }
    return values;
}

std::vector<StartupItem> ReadStartupItems(bool* delayedReadable) {
    std::vector<StartupItem> items;
    AddItems(items, SourceHklmRun, true);
    AddItems(items, SourceHklmRunServices, false);
    for (const StartupItem& item : ReadDelayedItems(DelayFilePath(), delayedReadable)) items.push_back(item);
    AddItems(items, SourceHklmRunDisabled, false);
    AddItems(items, SourceHklmRunServicesDisabled, false);
    AddItems(items, SourceHkcuRun, false);
    AddItems(items, SourceHkcuRunDisabled, false);
    return items;
}

ModeChange SetStartupMode(StartupItem item, int mode, int delayMinutes) {
    if (mode == Delayed) return MoveToDelayed(item, delayMinutes);
    int target = MoveTarget(item.Source, item.OldId, mode);
    if (target < 0) return ModeChange::Done;
    HeldValue replaced = ReadHeldValue(target, item.Name);
    if (!WriteValue(target, item)) return ModeChange::NotWritten;
    bool cleared = item.Source == SourceDelayed ? RemoveDelayedItem(DelayFilePath(), item)
                                                : DeleteValue(item.Source, item.Name);
    if (cleared) return ModeChange::Done;
    // The source could not be cleared (rights, Delay.cfg in use): undo the write, so the item
    // stays as it was instead of living, and perhaps starting, in two places.
    PutBack(target, item.Name, replaced);
    return ModeChange::NotWritten;
}

bool DeleteStartupItem(const StartupItem& item) {
    if (item.Source == SourceDelayed) return RemoveDelayedItem(DelayFilePath(), item);
    return DeleteValue(item.Source, item.Name);
}

std::vector<std::string> CleanStartupEntries() {
    static const int kPairs[][2] = {
        {SourceHklmRunDisabled, SourceHklmRun},
        {SourceHklmRunServicesDisabled, SourceHklmRunServices},
        {SourceHkcuRunDisabled, SourceHkcuRun},
    };
    std::vector<std::string> active[3];
    for (int k = 0; k < 3; ++k) active[k] = ValueNames(kPairs[k][1]);
    std::vector<std::string> cleaned;
    for (int k = 0; k < 3; ++k)
        for (const std::string& name : ValueNames(kPairs[k][0]))
            if (IndexOfNameNoCase(name, active[k]) >= 0 && DeleteValue(kPairs[k][0], name)) cleaned.push_back(name);
    std::string path = DelayFilePath();
    std::vector<StartupItem> delayed = ReadDelayedItems(path);
    for (int k = 0; k < 3; ++k)
        for (const StartupItem& item : delayed)
            if (IndexOfNameNoCase(item.Name, active[k]) >= 0 && RemoveDelayedItem(path, item))
                cleaned.push_back(item.Name);
    return cleaned;
}

std::string ReconcileMessage(const std::vector<std::string>& cleaned) {
    std::string text = Lang("IDC_MSCONFIG_BT") + Lang("strDeleteBootItem") + ":\n\n";
    for (const std::string& name : cleaned) text += name + "\n";
    return text + "\n" + Lang("strBootProtect") + "\n";
}

void ReconcileStartupEntries() {
    std::vector<std::string> cleaned = CleanStartupEntries();
    if (cleaned.empty()) return;
    ShowMessageText(GetDesktopWindow(), ReconcileMessage(cleaned), Lang("ProgramName"));
}

std::string CommandToRun(const StartupItem& item) {
    if (!item.Expandable) return item.Command;
    std::string expanded(item.Command.size() + 256, '\0');
    for (int attempt = 0; attempt < 2; ++attempt) {
        DWORD size = ExpandEnvironmentStringsA(item.Command.c_str(), &expanded[0], static_cast<DWORD>(expanded.size()));
        if (size == 0) break;
        // The ANSI form may need a byte more than the size it reports: the text counts as
        // whole only when a byte was left over.
        if (size < expanded.size()) return expanded.c_str();
        expanded.assign(size + 1, '\0');
    }
    return item.Command;
}

bool OwnStartupValueExists() {
    RegistryKey key;
    if (key.Open(HKEY_LOCAL_MACHINE, kRun, KEY_READ) != ERROR_SUCCESS) return false;
    // Asked without a buffer: a long path must not read as a missing value.
    return RegQueryValueExA(key.Get(), kOwnValue, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

void CreateDisabledKeys() {
    static const struct {
        HKEY root;
        const char* name;
    } kKeys[] = {{HKEY_LOCAL_MACHINE, "Run-"}, {HKEY_CURRENT_USER, "Run-"}, {HKEY_LOCAL_MACHINE, "RunServices-"}};
    for (const auto& k : kKeys) {
        RegistryKey key;
        if (key.Open(k.root, "Software\\Microsoft\\Windows\\CurrentVersion", KEY_ALL_ACCESS) == ERROR_SUCCESS)
            key.Create(k.name);
    }
}
