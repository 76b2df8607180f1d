// The installed memory modules, read from the management service (Win32_PhysicalMemory).
#pragma once
#include <cstdint>
#include <string>

#include "hwinfo/ModuleText.h"

// What InstalledMemoryMB answers when the service cannot be reached.
constexpr std::int32_t kModulesUnavailable = -1;

// Sum of the modules' capacities in MB, asked afresh on every call (slow: callers keep
// the figure); 0 when no module was reported, kModulesUnavailable when the service
// cannot be reached or the query fails.
std::int32_t InstalledMemoryMB();

// Reads the eight properties the memory-module window shows, one query each. False when
// the service cannot be reached (the lists stay empty); `error` then says why.
bool ReadModuleLists(ModuleLists& lists, std::string* error = nullptr);
