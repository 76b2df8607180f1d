// The main window's stored settings: loading, the silent save, the auto-run entry
// and the switch copies read by the periodic low-memory check.
#pragma once
#include <windows.h>

#include <string>

#include "app/SettingValues.h"

// Members of the main window bound to its check boxes and edits; each starts at what the
// window shows while its value is missing.
struct MainSettings {
    bool clipboard = kCleanClipBoard.byDefault != 0;
    bool autoDefrag = kAutoDefrag.byDefault != 0;
    bool sound = kSoundAlert.byDefault != 0;
    bool report = kBuildReport.byDefault != 0;
    bool autoRun = false;  // the start with Windows, as AutoRunStored finds it
    bool askBeforeRun = kNoticeDialog.byDefault != 0;
    bool clock12 = false;
    bool toolsNoWarning = kOtherFunctionTips.byDefault != 0;
    bool logoOff = kDisableLogo.byDefault != 0;
    bool percent = kPerch.byDefault != 0;
    std::string threshold = std::to_string(kRamAlertValue.byDefault);
    std::string hotKey = kHotKey.byDefault;
    std::string rangeLow;
    std::string rangeHigh;
    int userType = static_cast<int>(kUserType.byDefault);    // the preset list's selection
    int sliderPos = static_cast<int>(kSliderPos.byDefault);  // the amount slider, 1..8 eighths
    int runKind = static_cast<int>(kRunKind.byDefault);      // the "free memory with" list's selection
    std::string interval = std::to_string(kRunInterval.byDefault);  // minutes between runs, 0: none
};

// RamAlertValue is a percentage: a larger number (read as an int it may even be negative)
// counts as missing. The window accepts 1..75 only when the user types.
constexpr DWORD kHighestStoredThreshold = 100;
// The range of UserType, the preset list's indexes.
constexpr DWORD kHighestUserType = 4;
// The kinds of run RunKind names, and the longest interval RunEveryMinutes takes.
constexpr DWORD kListsRunKind = 1;
constexpr DWORD kLongestIntervalMinutes = 1440;
// The interval edit's text as stored: its leading number held within 0..1440 ("" and words 0).
std::string IntervalText(const std::string& text);

// Where the start with Windows is kept: the Run value before Vista; from Vista on a log-on
// task, since Windows does not start a program that asks for elevation from the Run key.
enum class AutoRunPlace { RunValue, LogonTask };

// Loads the members in the main window constructor's order; missing values keep defaults
// (so do values of another type or outside their range). The auto-run member is AutoRunStored.
void LoadMainSettings(MainSettings& s, AutoRunPlace place);

// Writes the main window's values to the program key in the stored order (no creation of
// the key); the first failure's status, or ERROR_SUCCESS when every value was written.
LONG WriteMainValues(const MainSettings& s, int userType, int sliderPos);
// WriteMainValues, then WriteAutoRun.
void SaveMainSettings(const MainSettings& s, int userType, int sliderPos, AutoRunPlace place);

// True when the program starts with Windows: the Run value as a text; from Vista on the task,
// or a Run value of an older version that was not moved into the task yet.
bool AutoRunStored(AutoRunPlace place);
// Stores (on) or removes (off) the start with Windows for `exePath` (default: the running
// executable); the status of the write, where removing what is not there succeeds. From Vista
// on: on registers the task, and only then deletes an old Run value (moving it into the task);
// off deletes the task and any old Run value.
LONG WriteAutoRun(bool on, AutoRunPlace place);
LONG WriteAutoRun(bool on, AutoRunPlace place, const std::string& exePath);

// The auto-run text for `exePath`: the path and " -PowerOn"; "" when the path is
// over 250 characters (such a command line could not be read back whole).
std::string AutoRunCommand(const std::string& exePath);
constexpr size_t kMaxAutoRunPathChars = 250;
constexpr size_t kMaxAutoRunCommandChars = 259;  // the path, " -PowerOn", within 260 with the NUL

// Writes (on) or deletes (off) the `Ramvane` value of the Run key for `exePath`. A path too
// long for the entry leaves the value untouched and returns ERROR_FILENAME_EXCED_RANGE;
// deleting a value that is not there succeeds.
LONG WriteAutoRunEntry(bool on, const std::string& exePath);

// Copies of SoundAlert and AutoDefrag read by the low-memory check; both 0 at start.
struct SettingsSnapshot {
    bool soundAlert = false;
    bool autoDefrag = false;
};
extern SettingsSnapshot gSettingsSnapshot;

// Refreshes the copies from the program key; a failed read keeps the last copy.
void ReloadSettingsSnapshot();
