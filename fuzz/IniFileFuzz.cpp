// IniFile::LoadText over any bytes, followed by what the program does with the two files
// it reads: the language file's lookups and Delay.cfg's items, read and renumbered.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/IniFile.h"

namespace {
struct Item {
    std::string project, path, delay, oldId;
};

void Check(bool condition) {
    if (!condition) __builtin_trap();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    IniFile ini("unused");
    ini.LoadText(std::string(reinterpret_cast<const char*>(data), size));

    for (const char* key : {"ProgramName", "IDCANCEL", "strExitQuery", ""}) {
        std::string value = ini.GetValue("Resource", key);
        Check(value.empty() || ini.HasValue("Resource", key));
    }

    // Delay.cfg: items Item0..Item(n-1), numbers by leading decimals, then the rewrite a
    // removal makes (every section deleted, the items written back in order).
    const int n = ini.SectionCount();
    if (n > 100) return 0;
    std::vector<Item> items;
    for (int k = 0; k < n; ++k) {
        const std::string section = "Item" + std::to_string(k);
        items.push_back({ini.GetValue(section, "Project"), ini.GetValue(section, "Path"),
                         ini.GetValue(section, "Delay"), ini.GetValue(section, "OLDID")});
        std::strtol(items.back().delay.c_str(), nullptr, 10);
        std::strtol(items.back().oldId.c_str(), nullptr, 10);
    }
    for (int k = 0; k < n; ++k) ini.DeleteSection("Item" + std::to_string(k));
    for (std::size_t k = 0; k < items.size(); ++k) {
        const std::string section = "Item" + std::to_string(k);
        ini.SetValue(section, "Project", items[k].project, true);
        ini.SetValue(section, "Path", items[k].path, true);
        ini.SetValue(section, "Delay", items[k].delay, true);
        ini.SetValue(section, "OLDID", items[k].oldId, true);
        Check(ini.GetValue(section, "Path") == items[k].path);
    }
    return 0;
}
