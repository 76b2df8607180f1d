// Free physical memory after a run, read once it has settled.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>

#include "probes/MemoryStatus.h"

// Readings closer than this count as settled.
constexpr std::uint64_t kSettledBytes = 1048576;
constexpr DWORD kSettleIntervalMs = 100;
constexpr int kMostSettleReadings = 10;

// The status once free memory has stopped moving after a run: `read` every `intervalMs`
// (through `wait`) until two readings in a row differ by at most kSettledBytes, or
// kMostSettleReadings were taken; returns the last reading.
MemoryStatusBytes SettledMemoryStatus(const std::function<MemoryStatusBytes()>& read = QueryMemoryStatus,
                                      const std::function<void(DWORD ms)>& wait = Sleep,
                                      DWORD intervalMs = kSettleIntervalMs);
