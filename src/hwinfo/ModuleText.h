// Texts of the memory modules as the management service delivers them, and what the
// memory-module window makes of them. Plain and portable: no Windows headers, so the
// readers of outside data can be exercised anywhere.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Chip type from a `TypeDetail` text ("SDR", "CMOS", "EDO", "DDR", "RAMBUS"; "" when none fits).
std::string ChipTypeOf(const std::string& typeDetail);
// Package from a `FormFactor` text ("SIMM", "BGA", "DIMM", …; "" when none fits).
std::string PackageOf(const std::string& formFactor);
// Memory technology from a `MemoryType` text ("DRAM", "Synchronous DRAM", …; "" when none fits).
std::string TechnologyOf(const std::string& memoryType);

// The leading decimal number of `text` after blanks and an optional '+'; 0 when there is
// none, UINT64_MAX when it does not fit. Capacities are 64-bit byte counts sent as text.
std::uint64_t LeadingNumber(const std::string& text);
// Whole megabytes of a `Capacity` text, at most INT32_MAX.
std::int32_t CapacityMB(const std::string& capacity);
// Sum of the modules' whole megabytes (each divided on its own), at most INT32_MAX.
std::int32_t InstalledMBOf(const std::vector<std::string>& capacities);

// The last step of every property text: one that contains "Null" anywhere reads as "".
std::string WithoutNull(const std::string& text);

// One list per property, one text per module in the order the service delivered them.
// A query that failed leaves its list empty.
struct ModuleLists {
    std::vector<std::string> bankLabel, capacity, typeDetail, formFactor, dataWidth, serialNumber, memoryType, speed;
};

// The value fields of the memory-module window.
struct MemoryInfoFields {
    std::string count, size, chipType, package, status, dataWidth, serialNumber, technology, speed;
};

// What the window shows for `lists`; `unknown` stands in for texts shorter than two
// characters. The first module's fields read as "" (and so as `unknown`) when there is none.
MemoryInfoFields FillMemoryInfo(const ModuleLists& lists, const std::string& unknown);
