#include "app/ProgramPath.h"

#include <windows.h>

std::string ExecutablePath() {
    std::string path(512, '\0');
    for (;;) {
        DWORD n = GetModuleFileNameA(nullptr, &path[0], static_cast<DWORD>(path.size()));
        if (n == 0) return std::string();
        if (n < path.size()) {
            path.resize(n);
            return path;
        }
        if (path.size() >= 32768) return std::string();
        path.resize(path.size() * 2);  // truncated: try a larger buffer
    }
}

std::string ExecutableFolder() {
    std::string path = ExecutablePath();
    size_t slash = path.find_last_of('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string ProgramFilePath(const std::string& name) { return ExecutableFolder() + "\\" + name; }
