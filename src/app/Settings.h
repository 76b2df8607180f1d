// The main window's stored settings: loading, the silent save, the auto-run entry
// and the switch copies read by the periodic low-memory check.
#pragma once
#include <windows.h>

#include <string>

// Members of the main window bound to its check boxes and edits (switches are 0 or 1).
struct MainSettings {
    int clipboard = 1;
    int autoDefrag = 0;
    int sound = 1;
    int report = 1;
    int autoRun = 1;
    int askBeforeRun = 1;
    int clock12 = 0;
    int toolsNoWarning = 1;
    int logoOff = 0;
    int percent = 0;
    std::string threshold = "10";
    std::string hotKey = "C";
    std::string rangeLow;
    std::string rangeHigh;
    int userType = 2;   // the preset list's selection
    int sliderPos = 4;  // the amount slider, 1..8 eighths
};

// RamAlertValue is a percentage: a larger number (read as an int it may even be negative)
// counts as missing. The window accepts 1..75 only when the user types.
constexpr DWORD kHighestStoredThreshold = 100;
// The range of UserType, the preset list's indexes.
constexpr DWORD kHighestUserType = 4;

// Loads the members in the main window constructor's order; missing values keep defaults
// (so do values of another type or outside their range).
void LoadMainSettings(MainSettings& s);

// Writes the main window's values to the program key in the stored order (no creation of
// the key); the first failure's status, or ERROR_SUCCESS when every value was written.
LONG WriteMainValues(const MainSettings& s, int userType, int sliderPos);
// WriteMainValues, then the auto-run entry.
void SaveMainSettings(const MainSettings& s, int userType, int sliderPos);

// The auto-run text for `exePath`: the path and " -PowerOn"; "" when the path is
// over 250 characters (such a command line could not be read back whole).
std::string AutoRunCommand(const std::string& exePath);
constexpr size_t kMaxAutoRunPathChars = 250;
constexpr size_t kMaxAutoRunCommandChars = 259;  // the path, " -PowerOn", within 260 with the NUL

// Writes (on) or deletes (off) the `Ramvane` value of the Run key for `exePath` (default:
// the running executable); the status, ERROR_SUCCESS for "off" where there was no value. A
// path too long for the entry leaves the value untouched and returns ERROR_FILENAME_EXCED_RANGE.
LONG WriteAutoRunEntry(bool on);
LONG WriteAutoRunEntry(bool on, const std::string& exePath);

// Copies of SoundAlert and AutoDefrag read by the low-memory check; both 0 at start.
struct SettingsSnapshot {
    int soundAlert = 0;
    int autoDefrag = 0;
};
extern SettingsSnapshot gSettingsSnapshot;

// Refreshes the copies from the program key; a failed read keeps the last copy.
void ReloadSettingsSnapshot();
