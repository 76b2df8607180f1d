// startup_child.exe TAG FILE [MS]: appends the line TAG to FILE, then stays running MS
// milliseconds (default 0).
#include <windows.h>

#include <cstdio>
#include <cstdlib>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    if (__argc < 3) return 2;
    // Shared appends from children started at once must not overwrite each other.
    for (int attempt = 0; attempt < 200; ++attempt) {
        HANDLE f = CreateFileA(__argv[2], FILE_APPEND_DATA, 0, nullptr, OPEN_ALWAYS, 0, nullptr);
        if (f == INVALID_HANDLE_VALUE) {
            Sleep(10);
            continue;
        }
        char line[256];
        int n = std::snprintf(line, sizeof line, "%s\r\n", __argv[1]);
        DWORD written = 0;
        WriteFile(f, line, static_cast<DWORD>(n), &written, nullptr);
        CloseHandle(f);
        break;
    }
    if (__argc > 3) Sleep(static_cast<DWORD>(std::atoi(__argv[3])));
    return 0;
}
