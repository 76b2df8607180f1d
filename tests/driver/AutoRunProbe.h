// The start with Windows as tests see it: the Windows version Wine reports to the program (the
// Run value before Vista, a log-on task from Vista on) and the file the scheduler keeps a task in.
#pragma once
#include <windows.h>

#include <fstream>
#include <sstream>
#include <string>

namespace driver {

constexpr const char* kWindowsXP = sizeof(void*) == 8 ? "winxp64" : "winxp";  // Wine's names
constexpr const char* kWindows10 = "win10";

// Makes Wine report `version` to programs named Ramvane.exe started within the scope.
class ScopedWindowsVersion {
public:
    explicit ScopedWindowsVersion(const char* version) {
        RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\Ramvane.exe", 0, nullptr, 0, KEY_ALL_ACCESS,
                        nullptr, &key_, nullptr);
        RegSetValueExA(key_, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version), lstrlenA(version) + 1);
    }
    ~ScopedWindowsVersion() {
        RegDeleteValueA(key_, "Version");
        RegCloseKey(key_);
    }
    ScopedWindowsVersion(const ScopedWindowsVersion&) = delete;
    ScopedWindowsVersion& operator=(const ScopedWindowsVersion&) = delete;

private:
    HKEY key_ = nullptr;
};

inline std::string TaskFilePath() {
    char system[MAX_PATH] = {};
    GetSystemDirectoryA(system, MAX_PATH);
    return std::string(system) + "\\Tasks\\Mnemora";
}

// The task's file as text, "" when there is no task; UTF-16 (as Windows keeps it) read as ASCII.
inline std::string TaskFileText() {
    std::ostringstream bytes;
    bytes << std::ifstream(TaskFilePath(), std::ios::binary).rdbuf();
    std::string text = bytes.str(), ascii;
    if (text.compare(0, 2, "\xFF\xFE") != 0) return text;
    for (size_t i = 2; i < text.size(); i += 2) ascii += text[i];
    return ascii;
}

}  // namespace driver
