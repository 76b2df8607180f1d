// Command-line face of the test driver for scripts:
//   mnemora_driver wait-window TITLE SECONDS   exit 0 once a visible window has that title
//   mnemora_driver screenshot FILE.bmp         save the screen
//   mnemora_driver keep-desktop                hold the Wine desktop open until killed
//   mnemora_driver wait-keeper                 wait until the keeper's window exists
//   mnemora_driver conditions                  print the Windows version, code page and DPI seen
//   mnemora_driver start-time TITLE EXE [ARGS]  ms until EXE has a window TITLE (then it is ended)
#include <cstdlib>
#include <cstdio>
#include <string>

#include "driver/TestDriver.h"

int main(int argc, char** argv) {
    if (argc >= 4 && std::string(argv[1]) == "wait-window") {
        HWND wnd = driver::WaitForWindow(argv[2], 0, static_cast<DWORD>(std::atoi(argv[3])) * 1000);
        return wnd ? 0 : 1;
    }
    if (argc >= 2 && std::string(argv[1]) == "keep-desktop") {
        // Wine closes its desktop process when the last window goes; a test run
        // would then start (and wait for) a new one with every test program.
        CreateWindowA("STATIC", "mnemora desktop keeper", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
        for (;;) Sleep(INFINITE);
    }
    if (argc >= 2 && std::string(argv[1]) == "wait-keeper") {
        // The first test must not be the process that brings up Wine's desktop:
        // the desktop would inherit its output pipe and ctest would wait on it.
        for (int i = 0; i < 300; ++i) {
            if (FindWindowA("STATIC", "mnemora desktop keeper")) return 0;
            Sleep(100);
        }
        return 1;
    }
    if (argc >= 3 && std::string(argv[1]) == "screenshot") return driver::SaveScreenshot(argv[2]) ? 0 : 1;
    if (argc >= 4 && std::string(argv[1]) == "start-time") {
        // Milliseconds from the start of EXE until a window with TITLE exists (shown or not).
        std::string command = "\"" + std::string(argv[3]) + "\"";
        for (int i = 4; i < argc; ++i) command += std::string(" ") + argv[i];
        STARTUPINFOA si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi{};
        LARGE_INTEGER frequency, start, now;
        QueryPerformanceFrequency(&frequency);
        QueryPerformanceCounter(&start);
        if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return 1;
        bool found = driver::WaitUntil([&] { return driver::FindWindowOf(argv[2], pi.dwProcessId) != nullptr; }, 60000);
        QueryPerformanceCounter(&now);
        TerminateProcess(pi.hProcess, 0);
        WaitForSingleObject(pi.hProcess, 5000);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
        if (!found) return 1;
        std::printf("%.0f\n", 1000.0 * static_cast<double>(now.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart));
        return 0;
    }
    if (argc >= 2 && std::string(argv[1]) == "conditions") {
        // What Wine applied: the Windows version, the ANSI code page and the DPI programs see.
        // The system's own answer: GetVersionEx tells a program without a compatibility
        // manifest no later version than 6.2.
        RTL_OSVERSIONINFOW version{};
        version.dwOSVersionInfoSize = sizeof version;
        using RtlGetVersionFn = LONG(WINAPI*)(RTL_OSVERSIONINFOW*);
        auto rtlGetVersion = reinterpret_cast<RtlGetVersionFn>(
            reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "RtlGetVersion")));
        if (rtlGetVersion) rtlGetVersion(&version);
        HDC screen = GetDC(nullptr);
        int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
        if (screen) ReleaseDC(nullptr, screen);
        std::printf("Windows %lu.%lu (%s line), code page %u, %d DPI\n", version.dwMajorVersion,
                    version.dwMinorVersion, version.dwPlatformId == VER_PLATFORM_WIN32_NT ? "NT" : "9x", GetACP(),
                    dpi);
        return 0;
    }
    std::fprintf(stderr, "usage: mnemora_driver wait-window TITLE SECONDS | screenshot FILE.bmp\n");
    return 2;
}
