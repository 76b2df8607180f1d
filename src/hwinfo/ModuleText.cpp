#include "hwinfo/ModuleText.h"

#include <limits>

#include "app/TextUtil.h"

namespace {
constexpr std::uint64_t kMegabyte = 1048576;
constexpr std::int32_t kMaxMB = std::numeric_limits<std::int32_t>::max();

struct Match {
    const char* contains;
    const char* name;
};

// Later matches replace earlier ones.
const Match kChipTypes[] = {{"128", "SDR"}, {"256", "CMOS"}, {"512", "EDO"}, {"1024", "DDR"}, {"64", "RAMBUS"}};
// The first match wins.
const Match kPackages[] = {{"7", "SIMM"},   {"21", "BGA"},   {"8", "DIMM"}, {"13", "SDIMM"},
                           {"19", "LCC"},   {"22", "FPBGA"}, {"23", "LGA"}};
// Later matches replace earlier ones.
const Match kTechnologies[] = {
    {"2", "DRAM"}, {"3", "Synchronous DRAM"}, {"4", "Cache DRAM"}, {"5", "EDO"}, {"6", "EDRAM"}};


template <size_t N>
std::string LastMatch(const std::string& text, const Match (&table)[N]) {
    std::string result;
    for (const Match& m : table)
        if (Contains(text, m.contains)) result = m.name;
    return result;
}

const std::string& At(const std::vector<std::string>& list, size_t i) {
    static const std::string kNone;
    return i < list.size() ? list[i] : kNone;
}

std::string OrUnknown(const std::string& text, const std::string& unknown) { return text.size() >= 2 ? text : unknown; }
}  // namespace

std::string ChipTypeOf(const std::string& typeDetail) { return LastMatch(typeDetail, kChipTypes); }

std::string PackageOf(const std::string& formFactor) {
    for (const Match& m : kPackages)
        if (Contains(formFactor, m.contains)) return m.name;
    return std::string();
}

std::string TechnologyOf(const std::string& memoryType) { return LastMatch(memoryType, kTechnologies); }

std::uint64_t LeadingNumber(const std::string& text) {
    size_t i = text.find_first_not_of(" \t\r\n");
    if (i == std::string::npos) return 0;
    if (text[i] == '+') ++i;
    std::uint64_t value = 0;
    const std::uint64_t max = std::numeric_limits<std::uint64_t>::max();
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        unsigned digit = static_cast<unsigned>(text[i] - '0');
        if (value > (max - digit) / 10) return max;
        value = value * 10 + digit;
    }
    return value;
}

std::int32_t CapacityMB(const std::string& capacity) {
    std::uint64_t mb = LeadingNumber(capacity) / kMegabyte;
    return mb > static_cast<std::uint64_t>(kMaxMB) ? kMaxMB : static_cast<std::int32_t>(mb);
}

std::int32_t InstalledMBOf(const std::vector<std::string>& capacities) {
    std::int64_t sum = 0;
    for (const std::string& c : capacities) {
        sum += CapacityMB(c);
        if (sum > kMaxMB) return kMaxMB;
    }
    return static_cast<std::int32_t>(sum);
}

std::string WithoutNull(const std::string& text) { return Contains(text, "Null") ? std::string() : text; }

MemoryInfoFields FillMemoryInfo(const ModuleLists& lists, const std::string& unknown) {
    const size_t n = lists.bankLabel.size();
    std::string chip, technology, package;
    // Each table speaks for the last module only; the lists may be shorter than n.
    for (size_t i = 0; i < n; ++i) chip = ChipTypeOf(At(lists.typeDetail, i));
    for (const std::string& t : lists.memoryType) technology = TechnologyOf(t);
    for (const std::string& f : lists.formFactor) package = PackageOf(f);

    MemoryInfoFields f;
    f.count = std::to_string(n);
    f.size = lists.capacity.empty() ? unknown : std::to_string(CapacityMB(lists.capacity[0])) + " MB";
    f.chipType = OrUnknown(chip, unknown);
    f.package = OrUnknown(package, unknown);
    f.status = "OK";
    f.dataWidth = At(lists.dataWidth, 0);
    f.serialNumber = OrUnknown(At(lists.serialNumber, 0), unknown);
    f.technology = OrUnknown(technology, unknown);
    f.speed = OrUnknown(At(lists.speed, 0), unknown);
    return f;
}
