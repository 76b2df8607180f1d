// Leaves a mark as soon as a test program runs, so its runner can tell a program Wine never
// started (it is started again) from one whose tests failed.
#include <windows.h>

namespace {
struct StartedMark {
    StartedMark() {
        char path[MAX_PATH];
        DWORD n = GetEnvironmentVariableA("MNEMORA_STARTED_MARK", path, sizeof path);
        if (n == 0 || n >= sizeof path) return;
        HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    }
} startedMark;
}  // namespace
