// The values of the program key: the one place their names are spelled, with the default the
// main window shows while a value is missing or unreadable. A read at the moment of a decision
// counts a missing switch as off instead (StoredSwitchOn).
#pragma once
#include <windows.h>

#include "app/RegistryKey.h"

struct DwordSetting {
    const char* name;
    DWORD byDefault;
};
struct TextSetting {
    const char* name;
    const char* byDefault;
};

// The main window's.
constexpr DwordSetting kUserType{"UserType", 2};  // the preset list's index
constexpr DwordSetting kSoundAlert{"SoundAlert", 1};
constexpr DwordSetting kAutoDefrag{"AutoDefrag", 0};
constexpr DwordSetting kCleanClipBoard{"CleanClipBoard", 1};
constexpr DwordSetting kRamAlertValue{"RamAlertValue", 10};  // percent free; the periodic check has its own
constexpr DwordSetting kSliderPos{"SliderPos", 4};           // eighths of physical memory
constexpr DwordSetting kBuildReport{"BuildReport", 1};
constexpr DwordSetting kNoticeDialog{"NoticeDialog", 1};
constexpr DwordSetting kOtherFunctionTips{"OtherFunctionTips", 0};
constexpr DwordSetting kDisableLogo{"DisableLogo", 0};
constexpr DwordSetting kPerch{"Perch", 0};            // figures in percent
constexpr DwordSetting kShowStatus{"ShowStatus", 1};  // the window was visible when last left
constexpr TextSetting kHotKey{"HotKey", "C"};         // the letter of Ctrl+Alt+letter
constexpr TextSetting kCpuMhz{"CPUMHz", ""};          // measured once, then shown
constexpr DwordSetting kRunKind{"RunKind", 0};          // how a run frees memory: 0 the optimization run,
                                                        // 1 the system's memory lists (Vista and later)
constexpr DwordSetting kListSteps{"MemoryListSteps", 0xF};  // a lists run's steps, one bit each: all four
constexpr DwordSetting kRunInterval{"RunEveryMinutes", 0};  // a run every so many minutes; 0: none

// The tool windows'.
constexpr DwordSetting kAutoRefresh{"AutoRefresh", 0};  // the process list refreshes itself
// The cache window's positions and the flag and copy of its first backup.
constexpr char kCacheBackupBool[] = "CacheBackupBOOL";
constexpr char kMmDefault[] = "MMDefault";
constexpr char kHdUseValue[] = "HDUSEValue";
constexpr char kCdUseValue[] = "CDUSEValue";

// The stored number, or the setting's default while it cannot be read (or lies outside
// [low, high]).
inline DWORD ReadSetting(const DwordSetting& s) { return ReadSettingDword(s.name, s.byDefault); }
inline DWORD ReadSetting(const DwordSetting& s, DWORD low, DWORD high) {
    return ReadSettingDword(s.name, s.byDefault, low, high);
}
// True when the switch is stored and not 0.
inline bool StoredSwitchOn(const DwordSetting& s) { return ReadSettingDword(s.name) != 0; }
