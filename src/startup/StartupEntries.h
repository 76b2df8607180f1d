// The start-up items in the registry and in Delay.cfg: reading the seven places, moving an
// item between active, paused and delayed, deleting it, and the clean-up of copies left
// behind when a name became active again.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "startup/StartupItem.h"

// Full path of Delay.cfg beside the executable.
std::string DelayFilePath();

// The registry key of a source; a null root for SourceDelayed and unknown sources.
struct StartupKey {
    HKEY root;
    const char* path;
};
StartupKey KeyOfSource(int source);

// One value of a Run key: its name and its data as text (up to the first NUL).
struct RunValue {
    std::string name;
    std::string data;
    bool expandable = false;  // REG_EXPAND_SZ: the system expands %variables% before starting it
};
// Every text value (REG_SZ, REG_EXPAND_SZ) of the key in the order the system reports
// them, whole at any length; none when the key cannot be opened.
std::vector<RunValue> ReadRunValues(HKEY root, const char* path);

// The items of the seven places in list order (HKLM Run, HKLM RunServices, Delay.cfg, HKLM
// Run-, HKLM RunServices-, HKCU Run, HKCU Run-), without HKLM Run values whose name contains
// "Ramvane" (the program's own entry). No limit on their number. `delayedReadable`, when
// given, is set false when Delay.cfg exists but cannot be read (its items are then missing).
std::vector<StartupItem> ReadStartupItems(bool* delayedReadable = nullptr);

// Outcome of SetStartupMode.
enum class ModeChange {
    Done,
    NotStorable,    // the name or command holds a line break or Ctrl-Z and cannot go to Delay.cfg
    DelayFileFull,  // Delay.cfg holds kMaxBootItems items: one more would stop every delayed start
    NotWritten,     // the target could not be written or the source cleared (rights, Delay.cfg in
                    // use): nothing changed
};
// Moves `item` to `mode` (a StartupMode); `delayMinutes` is used for Delayed. The target is
// written first, and the source is cleared only when that write succeeded; a source that
// cannot be cleared has the write undone.
ModeChange SetStartupMode(StartupItem item, int mode, int delayMinutes);

// Deletes the item from its place; true when it was deleted.
bool DeleteStartupItem(const StartupItem& item);

// Removes the paused and delayed copies of names that are active again (names compared
// ignoring case) and returns the names removed, in the order they were removed.
std::vector<std::string> CleanStartupEntries();
// The message that lists `cleaned` names.
std::string ReconcileMessage(const std::vector<std::string>& cleaned);
// CleanStartupEntries, then, when it removed something, the message in a box owned by the
// desktop.
void ReconcileStartupEntries();

// The command line as Windows starts it: with %variables% expanded for an expandable item
// (REG_EXPAND_SZ, or a delayed command holding a %); the command as stored otherwise.
std::string CommandToRun(const StartupItem& item);

// True when HKLM Run holds the program's own value `Ramvane`, whatever its length.
bool OwnStartupValueExists();
// Creates HKLM Run-, HKCU Run- and HKLM RunServices- when missing.
void CreateDisabledKeys();
