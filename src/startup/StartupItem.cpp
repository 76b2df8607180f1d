#include "startup/StartupItem.h"

#include <cctype>
#include <climits>

#include "app/TextUtil.h"

StartupMode ModeOfSource(int source) {
    switch (source) {
    case SourceDelayed: return Delayed;
    case SourceHklmRunDisabled:
    case SourceHklmRunServicesDisabled:
    case SourceHkcuRunDisabled: return Paused;
    default: return RunAtStartup;
    }
}

int MoveTarget(int source, int oldId, int mode) {
    if (source == SourceDelayed) {
        if (mode == Delayed) return -1;
        bool paused = mode == Paused;
        switch (oldId) {
        case 0: return paused ? SourceHklmRunDisabled : SourceHklmRun;
        case 1: return paused ? SourceHklmRunServicesDisabled : SourceHklmRunServices;
        case 5:
        case 6: return paused ? SourceHkcuRunDisabled : SourceHkcuRun;
        default: return -1;
        }
    }
    static const int kActive[kStartupSourceCount] = {-1, -1, -1, SourceHklmRun, SourceHklmRunServices, -1, SourceHkcuRun};
    static const int kPaused[kStartupSourceCount] = {SourceHklmRunDisabled, SourceHklmRunServicesDisabled, -1, -1, -1,
                                                     SourceHkcuRunDisabled, -1};
    if (source < 0 || source >= kStartupSourceCount) return -1;
    if (mode == RunAtStartup) return kActive[source];
    if (mode == Paused) return kPaused[source];
    return -1;
}

int OldIdOfSource(int source) {
    switch (source) {
    case SourceHklmRun:
    case SourceHklmRunDisabled: return 0;
    case SourceHklmRunServices:
    case SourceHklmRunServicesDisabled: return 1;
    case SourceHkcuRun: return 5;
    case SourceHkcuRunDisabled: return 6;
    default: return -1;
    }
}

int IndexOfNameNoCase(const std::string& text, const std::vector<std::string>& list) {
    std::string upper = Upper(text);
    for (size_t i = 0; i < list.size(); ++i)
        if (Upper(list[i]) == upper) return static_cast<int>(i);
    return -1;
}

int IndexOfPrefixNoCase(const std::string& text, const std::vector<std::string>& list) {
    std::string upper = Upper(text);
    for (size_t i = 0; i < list.size(); ++i)
        if (upper.compare(0, list[i].size(), Upper(list[i])) == 0) return static_cast<int>(i);
    return -1;
}

std::string CommandToIconPath(const std::string& command) {
    if (!command.empty() && command[0] == '"') {
        size_t close = command.find('"', 1);
        return command.substr(1, close == std::string::npos ? std::string::npos : close - 1);
    }
    size_t space = command.find(' ');
    if (space != std::string::npos) return command.substr(0, space);
    size_t dot = command.find('.');
    if (dot != std::string::npos) return command.substr(0, dot + 4);
    return command;
}

bool IsCommandRunning(const std::string& command, const std::vector<std::string>& imagePaths) {
    std::string program = !command.empty() && command[0] == '"' ? command.substr(1) : command;
    std::vector<std::string> known;
    for (const std::string& path : imagePaths)
        if (!path.empty()) known.push_back(path);
    return IndexOfPrefixNoCase(program, known) >= 0;
}

int LeadingDecimal(const std::string& text) {
    size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    long long value = 0;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > static_cast<long long>(INT_MAX) + 1) value = static_cast<long long>(INT_MAX) + 1;
    }
    if (negative) return static_cast<int>(-value < INT_MIN ? INT_MIN : -value);
    return static_cast<int>(value > INT_MAX ? INT_MAX : value);
}

bool FitsOnOneLine(const std::string& text) {
    return text.find_first_of(std::string("\r\n\x1a\0", 4)) == std::string::npos;
}
