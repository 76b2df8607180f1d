// The start-up model's reading of command lines and numbers it did not write: a Run value's
// data or a Delay.cfg Path (the program whose icon stands for it, whether it runs), the
// leading decimals of Delay and OLDID, the names looked up without letter case, and the
// moves between the places an item can live in.
//
// Input: lines. The first is the command; the others are the executable paths of the
// running processes and the names of a key. Each line is also read as a number.
#include <cctype>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "startup/StartupItem.h"

namespace {
void Check(bool condition) {
    if (!condition) __builtin_trap();
}

std::string Upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

// The C library's reading of the same text, held to the range of int.
int ClampedStrtoll(const std::string& text) {
    long long v = std::strtoll(text.c_str(), nullptr, 10);
    return v > INT_MAX ? INT_MAX : v < INT_MIN ? INT_MIN : static_cast<int>(v);
}

void CheckCommand(const std::string& command, const std::vector<std::string>& paths) {
    const std::string icon = CommandToIconPath(command);
    const bool quoted = !command.empty() && command[0] == '"';
    // The program's file is the command's start: after its opening quote, without the rest.
    Check(command.compare(quoted ? 1 : 0, icon.size(), icon) == 0);
    Check(icon.find(quoted ? '"' : ' ') == std::string::npos);
    // A command runs when its own program is among the processes, whatever the letter case;
    // a process whose path could not be read (empty) matches nothing.
    const bool ownProgram = !icon.empty();
    Check(IsCommandRunning(command, {icon}) == ownProgram);
    Check(IsCommandRunning(command, {Upper(icon), std::string()}) == ownProgram);
    Check(!IsCommandRunning(command, {std::string()}));
    std::vector<std::string> withEmpty = paths;
    withEmpty.push_back(std::string());
    Check(IsCommandRunning(command, paths) == IsCommandRunning(command, withEmpty));
}

void CheckLookups(const std::string& text, const std::vector<std::string>& list) {
    const int name = IndexOfNameNoCase(text, list);
    const int prefix = IndexOfPrefixNoCase(text, list);
    Check(name >= -1 && name < static_cast<int>(list.size()));
    Check(prefix >= -1 && prefix < static_cast<int>(list.size()));
    // A whole name is also a prefix, and the first prefix comes no later than it.
    if (name >= 0) Check(Upper(list[static_cast<std::size_t>(name)]) == Upper(text) && prefix >= 0 && prefix <= name);
    if (prefix >= 0) Check(Upper(text).compare(0, list[static_cast<std::size_t>(prefix)].size(),
                                               Upper(list[static_cast<std::size_t>(prefix)])) == 0);
}

// Moving an item of any place to a mode lands it in a place of that mode, or leaves it.
void CheckMoves(int source, int oldId) {
    for (int mode : {RunAtStartup, Paused, Delayed}) {
        const int target = MoveTarget(source, oldId, mode);
        Check(target == -1 || (target >= 0 && target < kStartupSourceCount && ModeOfSource(target) == mode));
        if (mode == Delayed || ModeOfSource(source) == mode) Check(target == -1);
    }
    const int family = OldIdOfSource(source);
    Check(family == -1 || family == 0 || family == 1 || family == 5 || family == 6);
    // What a delayed item remembers brings it back to a place of its family.
    if (family >= 0) Check(MoveTarget(SourceDelayed, family, ModeOfSource(source)) == source);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> lines;
    for (std::size_t start = 0; start <= input.size();) {
        std::size_t end = input.find('\n', start);
        if (end == std::string::npos) end = input.size();
        lines.push_back(input.substr(start, end - start));
        start = end + 1;
    }
    const std::string& command = lines[0];
    const std::vector<std::string> others(lines.begin() + 1, lines.end());
    CheckCommand(command, others);
    CheckLookups(command, others);

    for (const std::string& line : lines) {
        Check(LeadingDecimal(line) == ClampedStrtoll(line));
        Check(FitsOnOneLine(line) == (line.find_first_of(std::string("\r\n\x1a\0", 4)) == std::string::npos));
    }
    CheckMoves(LeadingDecimal(command), others.empty() ? 0 : LeadingDecimal(others[0]));
    for (int source = -1; source <= kStartupSourceCount; ++source) CheckMoves(source, LeadingDecimal(command));
    return 0;
}
