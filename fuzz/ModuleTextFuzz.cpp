// The memory-module texts of the management service (Win32_PhysicalMemory), as the
// memory-module window and the installed-memory figure read them.
//
// Input: lines; the first character of a line picks the property (its value modulo 8:
// BankLabel, Capacity, TypeDetail, FormFactor, DataWidth, SerialNumber, MemoryType, Speed),
// the rest is the text one module delivered.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "hwinfo/ModuleText.h"

namespace {
void Check(bool condition) {
    if (!condition) __builtin_trap();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    ModuleLists lists;
    std::vector<std::string>* byProperty[] = {&lists.bankLabel, &lists.capacity,     &lists.typeDetail,
                                              &lists.formFactor, &lists.dataWidth,   &lists.serialNumber,
                                              &lists.memoryType, &lists.speed};
    for (std::size_t start = 0; start < input.size();) {
        std::size_t end = input.find('\n', start);
        if (end == std::string::npos) end = input.size();
        if (end > start)
            byProperty[static_cast<unsigned char>(input[start]) % 8]->push_back(
                WithoutNull(input.substr(start + 1, end - start - 1)));
        start = end + 1;
    }

    const std::int32_t installed = InstalledMBOf(lists.capacity);
    for (const std::string& c : lists.capacity) {
        const std::int32_t mb = CapacityMB(c);
        Check(mb >= 0 && installed >= mb);
        // A text that starts with its digits reads as the C library reads it.
        if (!c.empty() && c[0] >= '0' && c[0] <= '9')
            Check(LeadingNumber(c) == std::strtoull(c.c_str(), nullptr, 10));
    }
    MemoryInfoFields f = FillMemoryInfo(lists, "Unknown");
    Check(f.count == std::to_string(lists.bankLabel.size()));
    Check(f.chipType.size() >= 2 && f.package.size() >= 2 && f.technology.size() >= 2);
    return 0;
}
