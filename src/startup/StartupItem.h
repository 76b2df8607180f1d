// One start-up item and the plain rules about it. Portable: no Windows headers, so the
// parsers of outside data (Delay.cfg entries, command lines) build anywhere.
#pragma once
#include <string>
#include <vector>

// Where an item lives now, in the order the manager lists the places.
enum StartupSource {
    SourceHklmRun = 0,
    SourceHklmRunServices = 1,
    SourceDelayed = 2,  // an item of Delay.cfg
    SourceHklmRunDisabled = 3,
    SourceHklmRunServicesDisabled = 4,
    SourceHkcuRun = 5,
    SourceHkcuRunDisabled = 6,
};
constexpr int kStartupSourceCount = 7;

// The states a user chooses between.
enum StartupMode { RunAtStartup = 0, Paused = 1, Delayed = 2 };

struct StartupItem {
    std::string Name;     // registry value name, or Project of Delay.cfg
    std::string Command;  // registry value data, or Path of Delay.cfg
    int Source = SourceHklmRun;
    int DelayMinutes = 0;  // delayed items only
    int OldId = 0;         // delayed items: the key family they came from (0, 1, 5, 6)
    bool Started = false;  // boot table only: true once started
    // Its %variables% are to be expanded: REG_EXPAND_SZ in the registry; in Delay.cfg, which
    // keeps no type, a command holding a %.
    bool Expandable = false;
};

// The mode an item of `source` is in: 2 Delayed; 3, 4, 6 Paused; 0, 1, 5 (and anything else)
// RunAtStartup.
StartupMode ModeOfSource(int source);

// The place an item of `source` moves to for `mode` RunAtStartup or Paused (a delayed item by
// its `oldId`: 0 HKLM Run family, 1 HKLM RunServices family, 5 and 6 HKCU Run family); -1 when
// it stays (already in that mode, an unknown OldId, or mode Delayed).
int MoveTarget(int source, int oldId, int mode);
// The OldId a delayed item keeps of `source`: 0 for HKLM Run and Run-, 1 for HKLM RunServices
// and RunServices-, 5 for HKCU Run, 6 for HKCU Run-; -1 for any other.
int OldIdOfSource(int source);

// Index of the first entry equal to `text` ignoring letter case, -1 when none.
int IndexOfNameNoCase(const std::string& text, const std::vector<std::string>& list);
// Index of the first entry that `text` begins with, ignoring letter case (an empty entry
// matches), -1 when none.
int IndexOfPrefixNoCase(const std::string& text, const std::vector<std::string>& list);

// The file whose icon stands for `command`: a quoted program path without its quotes; else
// the text before the first space; else, with a ".", the text up to it and the three
// characters after it; else the command itself.
std::string CommandToIconPath(const std::string& command);

// True when the program `command` starts is one of `imagePaths` (full executable paths of the
// running processes): the command, without a leading quote, begins with the path, ignoring
// letter case. Empty paths (processes whose path could not be read) match nothing.
bool IsCommandRunning(const std::string& command, const std::vector<std::string>& imagePaths);

// The value of the C library's leading-decimal conversion (spaces, a sign, digits; 0 when
// the text does not start so), held to the range of int instead of overflowing.
int LeadingDecimal(const std::string& text);

// True when `text` can be stored as one value of a line-based file: no line break, no
// Ctrl-Z (which ends a file read in text mode) and no NUL.
bool FitsOnOneLine(const std::string& text);
