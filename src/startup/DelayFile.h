// Delay.cfg, the items this program starts a set number of minutes after boot: one INI
// section per item, "Item0", "Item1", ... numbered in file order without gaps, each with the
// keys Project, Path, Delay and OLDID in that order. Portable: plain file access only.
#pragma once
#include <string>
#include <vector>

#include "app/IniFile.h"
#include "startup/StartupItem.h"

// The most items the boot schedule takes; a longer file starts nothing.
constexpr int kMaxBootItems = 100;

// The items of a parsed file: sections Item0 .. Item(n-1) where n is the number of sections
// (a missing section or key reads as empty text, a number as its leading decimal).
std::vector<StartupItem> DelayedItemsOf(IniFile& file);
// The items of the file at `path`; none when it is missing or unreadable. `readable`, when
// given, is set false when the file exists but cannot be read (held by another program).
std::vector<StartupItem> ReadDelayedItems(const std::string& path, bool* readable = nullptr);
// The boot table: the items of the file, or none when it holds more than kMaxBootItems
// sections. Returns the number loaded.
int LoadDelayedItems(const std::string& path, std::vector<StartupItem>& table);
// Writes `item` as section Item(n), n = the number of sections, and saves. False, with nothing
// written, when the file cannot be written, or exists but cannot be read (its items would be lost).
bool AppendDelayedItem(const std::string& path, const StartupItem& item);
// Drops the item equal to `item` in Project (case-sensitive), Path, Delay and OLDID, and
// renumbers the rest from Item0 in their order. One name may stand for two items (delayed from
// HKLM Run and from HKCU Run): only the one with all four keys alike goes, and of two items
// alike in all four, the later. False, with the file unchanged, when no item is alike or the
// file cannot be read or written.
bool RemoveDelayedItem(const std::string& path, const StartupItem& item);
// RemoveDelayedItem of `old` followed by AppendDelayedItem of `item`, as one save: a file that
// cannot be written then never loses the item in between.
bool ReplaceDelayedItem(const std::string& path, const StartupItem& old, const StartupItem& item);
