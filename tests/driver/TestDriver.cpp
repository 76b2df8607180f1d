#include "driver/TestDriver.h"

#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <utility>
#include <vector>

namespace driver {

namespace {
const int kMessageBoxTextId = 0xFFFF;

struct FindData {
    const char* title;
    DWORD pid;
    HWND found;
};

BOOL CALLBACK FindByTitle(HWND wnd, LPARAM lp) {
    auto* data = reinterpret_cast<FindData*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(wnd, &pid);
    if (data->pid && pid != data->pid) return TRUE;
    if (WindowTitle(wnd) != data->title) return TRUE;
    data->found = wnd;
    return FALSE;
}

BOOL CALLBACK FindBox(HWND wnd, LPARAM lp) {
    auto* data = reinterpret_cast<FindData*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(wnd, &pid);
    if (pid != data->pid || !IsWindowVisible(wnd)) return TRUE;
    char cls[16] = {};
    GetClassNameA(wnd, cls, sizeof cls);
    if (std::string(cls) != "#32770" || !GetDlgItem(wnd, kMessageBoxTextId)) return TRUE;
    data->found = wnd;
    return FALSE;
}
}  // namespace

std::string EnvText(const char* name) {
    char value[1024];
    DWORD n = GetEnvironmentVariableA(name, value, sizeof value);
    return n > 0 && n < sizeof value ? std::string(value, n) : std::string();
}

std::string ProgramDir() {
    std::string chosen = EnvText("MNEMORA_PROGRAM_DIR");
    return chosen.empty() ? MNEMORA_PROGRAM_DIR : chosen;
}
std::string ProgramExe() { return ProgramDir() + "\\Ramvane.exe"; }
std::string TestProgramDir() { return std::string(MNEMORA_BINARY_DIR) + "\\testbin"; }

bool RightsRefused() { return !EnvText("MNEMORA_AS_USER").empty() && EnvText("MNEMORA_AS_USER") != "0"; }

std::string ScreenshotDir() {
    std::string condition = EnvText("MNEMORA_CONDITION");
    std::string dir = std::string(MNEMORA_BINARY_DIR) + "\\screenshots" + (condition.empty() ? "" : "-" + condition);
    CreateDirectoryA(dir.c_str(), nullptr);
    return dir;
}

ScopedEnv::ScopedEnv(const char* name, const char* value) : name_(name) {
    char old[1024];
    DWORD n = GetEnvironmentVariableA(name, old, sizeof old);
    had_ = n > 0 && n < sizeof old;
    if (had_) old_.assign(old, n);
    SetEnvironmentVariableA(name, value);
}
ScopedEnv::~ScopedEnv() { SetEnvironmentVariableA(name_.c_str(), had_ ? old_.c_str() : nullptr); }

bool AppProcess::Start(const std::string& exe, const std::string& args, const std::string& workDir) {
    Kill();
    std::string dir = workDir;
    if (dir.empty()) dir = exe.substr(0, exe.find_last_of('\\'));
    std::string command = "\"" + exe + "\"";
    if (!args.empty()) command += " " + args;
    std::vector<char> line(command.begin(), command.end());
    line.push_back('\0');
    STARTUPINFOA si{};
    si.cb = sizeof si;
    // Wine now and then refuses a start right after a copy of the same program was ended.
    for (int attempt = 0;; ++attempt) {
        if (CreateProcessA(exe.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, dir.c_str(), &si, &pi_)) break;
        DWORD error = GetLastError();
        pi_ = PROCESS_INFORMATION{};
        if (attempt == 3) {
            std::fprintf(stderr, "cannot start %s: error %lu\n", exe.c_str(), static_cast<unsigned long>(error));
            return false;
        }
        Sleep(500);
    }
    WaitForInputIdle(pi_.hProcess, 5000);
    return true;
}

bool AppProcess::Running() const {
    return pi_.hProcess && WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT;
}

bool AppProcess::WaitExit(DWORD timeoutMs, DWORD* exitCode) {
    if (!pi_.hProcess || WaitForSingleObject(pi_.hProcess, timeoutMs) != WAIT_OBJECT_0) return false;
    if (exitCode) GetExitCodeProcess(pi_.hProcess, exitCode);
    return true;
}

void AppProcess::Kill() {
    if (!pi_.hProcess) return;
    if (Running()) {
        TerminateProcess(pi_.hProcess, 1);
        WaitForSingleObject(pi_.hProcess, 5000);
    }
    CloseHandle(pi_.hProcess);
    CloseHandle(pi_.hThread);
    pi_ = PROCESS_INFORMATION{};
}

int KillStrays(const char* exeName) {
    int killed = 0;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return 0;
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
        if (lstrcmpiA(entry.szExeFile, exeName) != 0) continue;
        if (HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, entry.th32ProcessID)) {
            if (TerminateProcess(process, 1)) ++killed;
            WaitForSingleObject(process, 5000);
            CloseHandle(process);
        }
    }
    CloseHandle(snapshot);
    return killed;
}

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    for (;;) {
        if (condition()) return true;
        if (GetTickCount() - start >= timeoutMs) return false;
        Sleep(10);
    }
}

HWND FindWindowOf(const char* title, DWORD pid) {
    FindData data{title, pid, nullptr};
    EnumWindows(FindByTitle, reinterpret_cast<LPARAM>(&data));
    return data.found;
}

HWND WaitForWindow(const char* title, DWORD pid, DWORD timeoutMs, bool visible) {
    HWND found = nullptr;
    WaitUntil(
        [&] {
            found = FindWindowOf(title, pid);
            // A dialog is findable before WM_INITDIALOG has run: wait for its controls.
            return found && (!visible || IsWindowVisible(found)) && GetWindow(found, GW_CHILD);
        },
        timeoutMs);
    if (found && !(visible ? IsWindowVisible(found) : true)) return nullptr;
    return found;
}

bool IsShown(HWND wnd) { return IsWindow(wnd) && IsWindowVisible(wnd); }

std::string ControlText(HWND dlg, int id) {
    HWND item = GetDlgItem(dlg, id);
    if (!item) return std::string();
    char buffer[4096] = {};
    SendMessageA(item, WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer));
    return buffer;
}

bool SetControlText(HWND dlg, int id, const std::string& text) {
    HWND item = GetDlgItem(dlg, id);
    return item && SendMessageA(item, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

bool IsChecked(HWND dlg, int id) { return SendMessageA(GetDlgItem(dlg, id), BM_GETCHECK, 0, 0) == BST_CHECKED; }

bool IsEnabled(HWND dlg, int id) { return IsWindowEnabled(GetDlgItem(dlg, id)) != FALSE; }

void Click(HWND dlg, int id) { SendMessageA(GetDlgItem(dlg, id), BM_CLICK, 0, 0); }

void PostClick(HWND dlg, int id) {
    // BM_CLICK posted to the button would need the pointer; the command itself is what the dialog sees.
    PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dlg, id)));
}

void PressKeyWhereFocused(HWND top, UINT vk) {
    // A real key goes to the control with the focus, not to the dialog itself.
    // A window just shown may not have given a control the focus yet.
    HWND target = top;
    WaitUntil(
        [&] {
            GUITHREADINFO info{};
            info.cbSize = sizeof info;
            if (!GetGUIThreadInfo(GetWindowThreadProcessId(top, nullptr), &info) || !info.hwndFocus) return false;
            target = info.hwndFocus;
            return true;
        },
        3000);
    PressKey(target, vk);
}

void PressKey(HWND wnd, UINT vk) {
    UINT scan = MapVirtualKeyA(vk, 0);
    PostMessageA(wnd, WM_KEYDOWN, vk, 1 | (scan << 16));
    PostMessageA(wnd, WM_KEYUP, vk, 1 | (scan << 16) | (1u << 30) | (1u << 31));
}

HWND WaitForMessageBox(DWORD pid, DWORD timeoutMs) {
    FindData data{nullptr, pid, nullptr};
    WaitUntil(
        [&] {
            data.found = nullptr;
            EnumWindows(FindBox, reinterpret_cast<LPARAM>(&data));
            return data.found != nullptr;
        },
        timeoutMs);
    return data.found;
}

std::string MessageBoxText(HWND box) { return ControlText(box, kMessageBoxTextId); }

std::string WindowTitle(HWND wnd) {
    char buffer[512] = {};
    SendMessageTimeoutA(wnd, WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG, 1000,
                        nullptr);
    return buffer;
}

void AnswerMessageBox(HWND box, int buttonId) {
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, buttonId)));
}

int DialogTextWidth(const std::string& text) {
    HDC screen = GetDC(nullptr);
    int height = -MulDiv(8, ScreenDpi(), 72);
    HFONT font = CreateFontA(height, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "Tahoma");
    HGDIOBJ old = SelectObject(screen, font);
    SIZE size{};
    GetTextExtentPoint32A(screen, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(screen, old);
    DeleteObject(font);
    ReleaseDC(nullptr, screen);
    return size.cx;
}

int ScreenDpi() {
    HDC screen = GetDC(nullptr);
    int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : 96;
}

namespace {
// The pixels of screen rectangle `r`, row by row from the top.
std::vector<COLORREF> ScreenPixels(const RECT& r) {
    const int w = r.right - r.left, h = r.bottom - r.top;
    std::vector<COLORREF> pixels;
    if (w <= 0 || h <= 0) return pixels;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof bi.bmiHeader, w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        if (BitBlt(memory, 0, 0, w, h, screen, r.left, r.top, SRCCOPY)) {
            GdiFlush();
            const DWORD* p = static_cast<const DWORD*>(bits);
            for (int i = 0; i < w * h; ++i) pixels.push_back(RGB((p[i] >> 16) & 0xFF, (p[i] >> 8) & 0xFF, p[i] & 0xFF));
        }
        SelectObject(memory, old);
        DeleteObject(bitmap);
    }
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return pixels;
}
}  // namespace

RECT DrawnExtent(HWND control) {
    RECT r;
    GetWindowRect(control, &r);
    const int w = r.right - r.left;
    std::vector<COLORREF> pixels = ScreenPixels(r);
    std::map<COLORREF, int> counts;
    for (COLORREF c : pixels) ++counts[c];
    if (counts.empty()) return RECT{};
    auto fewer = [](const std::pair<const COLORREF, int>& a, const std::pair<const COLORREF, int>& b) {
        return a.second < b.second;
    };
    const COLORREF most = std::max_element(counts.begin(), counts.end(), fewer)->first;
    RECT box{w, static_cast<LONG>(pixels.size()), -1, -1};
    for (size_t i = 0; i < pixels.size(); ++i) {
        if (pixels[i] == most) continue;
        LONG x = static_cast<LONG>(i % w), y = static_cast<LONG>(i / w);
        box = {std::min(box.left, x), std::min(box.top, y), std::max(box.right, x + 1), std::max(box.bottom, y + 1)};
    }
    return box.right < 0 ? RECT{} : box;
}

namespace {
bool IsClass(HWND wnd, const char* name) {
    char cls[32] = {};
    GetClassNameA(wnd, cls, sizeof cls);
    return lstrcmpiA(cls, name) == 0;
}

bool IsGroupBox(HWND wnd) {
    return IsClass(wnd, "Button") && (GetWindowLongA(wnd, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX;
}

// An up-down control lies over the edge of the edit it belongs to, as it is meant to.
bool IsSpinOf(HWND spin, HWND edit) {
    const UINT kGetBuddy = WM_USER + 106;  // UDM_GETBUDDY
    return IsClass(spin, "msctls_updown32") && reinterpret_cast<HWND>(SendMessageA(spin, kGetBuddy, 0, 0)) == edit;
}

// A control by class and id, or a rectangle, for the list of faults.
std::string Describe(HWND control) {
    char cls[32] = {}, text[64];
    GetClassNameA(control, cls, sizeof cls);
    std::snprintf(text, sizeof text, "%s %d", cls, GetDlgCtrlID(control));
    return text;
}
std::string RectText(const RECT& r) {
    char text[64];
    std::snprintf(text, sizeof text, "(%ld,%ld)-(%ld,%ld)", r.left, r.top, r.right, r.bottom);
    return text;
}
}  // namespace

std::string LayoutFaults(HWND window, const std::vector<int>& drawn) {
    RECT client;
    GetClientRect(window, &client);
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&client), 2);
    std::string faults;
    std::vector<std::pair<HWND, RECT>> placed;
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (!IsWindowVisible(child)) continue;
        RECT r;
        GetWindowRect(child, &r);
        if (r.top >= client.bottom) continue;  // folded away
        RECT inside;
        IntersectRect(&inside, &r, &client);
        if (!EqualRect(&inside, &r)) faults += Describe(child) + " at " + RectText(r) + " leaves the client area " + RectText(client) + "; ";
        if (IsGroupBox(child)) continue;
        for (const auto& other : placed) {
            RECT common;
            if (IntersectRect(&common, &r, &other.second) && !IsSpinOf(child, other.first) &&
                !IsSpinOf(other.first, child))
                faults += Describe(child) + " overlaps " + Describe(other.first) + "; ";
        }
        placed.push_back({child, r});
    }
    for (int id : drawn) {
        HWND control = GetDlgItem(window, id);
        if (!control || !IsWindowVisible(control)) continue;
        RECT r;
        GetClientRect(control, &r);
        RECT box = DrawnExtent(control);
        const bool text = GetWindowTextLengthA(control) > 0;
        const bool fills = text ? 10 * (box.bottom - box.top) >= 4 * r.bottom
                                : 4 * (box.right - box.left) >= 3 * r.right && 4 * (box.bottom - box.top) >= 3 * r.bottom;
        if (!fills) faults += Describe(control) + " draws " + RectText(box) + " of " + RectText(r) + "; ";
    }
    return faults;
}

RECT ScaledWindowRect(HWND window, int from, int to) {
    RECT r;
    GetWindowRect(window, &r);
    const LONG w = MulDiv(r.right - r.left, to, from), h = MulDiv(r.bottom - r.top, to, from);
    const LONG x = std::max(0L, std::min(r.left, static_cast<LONG>(GetSystemMetrics(SM_CXSCREEN)) - w));
    const LONG y = std::max(0L, std::min(r.top, static_cast<LONG>(GetSystemMetrics(SM_CYSCREEN)) - h));
    return {x, y, x + w, y + h};
}

bool SendDpiChanged(HWND window, int dpi, const RECT& rect) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, pid);
    if (!process) return false;
    void* remote = VirtualAllocEx(process, nullptr, sizeof rect, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    bool sent = false;
    if (remote && WriteProcessMemory(process, remote, &rect, sizeof rect, nullptr)) {
        DWORD_PTR result = 0;
        const UINT kDpiChanged = 0x02E0;  // WM_DPICHANGED
        sent = SendMessageTimeoutA(window, kDpiChanged, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(remote),
                                   SMTO_ABORTIFHUNG, 10000, &result) != 0;
    }
    if (remote) VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    CloseHandle(process);
    return sent;
}

std::string AnswerNextBox(DWORD pid, int buttonId, DWORD timeoutMs) {
    HWND box = WaitForMessageBox(pid, timeoutMs);
    if (!box) return std::string();
    std::string text = MessageBoxText(box);
    AnswerMessageBox(box, buttonId);
    WaitUntil([&] { return !IsWindow(box); }, 5000);
    return text;
}

COLORREF ClientPixel(HWND wnd, int x, int y) {
    RECT client;
    if (!GetClientRect(wnd, &client)) return CLR_INVALID;
    POINT at = {x < 0 ? client.right + x : x, y < 0 ? client.bottom + y : y};
    ClientToScreen(wnd, &at);
    // Copied out as the screenshots are: reading single pixels off the screen DC is not
    // something every system answers.
    std::vector<COLORREF> pixel = ScreenPixels({at.x, at.y, at.x + 1, at.y + 1});
    return pixel.empty() ? CLR_INVALID : pixel[0];
}

std::string RoundedFrameMismatch(HWND wnd) {
    RECT client;
    GetClientRect(wnd, &client);
    int midY = client.bottom / 2;
    // The frame's margins are drawn for 96 DPI and grow with the scaling.
    auto at = [](int pixels) { return MulDiv(pixels, ScreenDpi(), 96); };
    const struct {
        int x;
        COLORREF want;
    } probes[] = {{at(3), RGB(215, 215, 215)}, {-at(8), RGB(50, 50, 50)}, {at(9), RGB(255, 255, 255)}};
    // The dark edge is two pixels wide; a system's round regions may end a pixel short of
    // their right side, so the probe sits on the inner of the two.
    std::string seen;
    // Painting may lag the window's appearance by a moment.
    WaitUntil([&] {
        seen.clear();
        for (const auto& p : probes) {
            COLORREF c = ClientPixel(wnd, p.x, midY);
            if (c != p.want) {
                char text[96];
                std::snprintf(text, sizeof text, "(%d,%d) is %06lX; ", p.x, midY, static_cast<unsigned long>(c));
                seen += text;
            }
        }
        return seen.empty();
    }, 3000);
    return seen;
}

bool SaveScreenshot(const std::string& path) {
    int w = GetSystemMetrics(SM_CXVIRTUALSCREEN), h = GetSystemMetrics(SM_CYVIRTUALSCREEN);
    if (w <= 0 || h <= 0) {
        w = GetSystemMetrics(SM_CXSCREEN);
        h = GetSystemMetrics(SM_CYSCREEN);
    }
    std::vector<COLORREF> pixels = ScreenPixels({0, 0, w, h});
    if (pixels.empty()) return false;
    // A 24-bit BMP: rows from the bottom, blue-green-red, each padded to four bytes.
    const DWORD stride = (static_cast<DWORD>(w) * 3 + 3) & ~3u, size = stride * h;
    std::vector<unsigned char> bits(size);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            COLORREF p = pixels[static_cast<size_t>(h - 1 - y) * w + x];
            unsigned char* at = &bits[y * stride + 3 * x];
            at[0] = GetBValue(p), at[1] = GetGValue(p), at[2] = GetRValue(p);
        }
    BITMAPINFOHEADER info{sizeof info, w, h, 1, 24, BI_RGB, size, 0, 0, 0, 0};
    BITMAPFILEHEADER fh{0x4D42, static_cast<DWORD>(sizeof fh + sizeof info + size), 0, 0, sizeof fh + sizeof info};
    bool ok = false;
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        ok = std::fwrite(&fh, sizeof fh, 1, f) == 1 && std::fwrite(&info, sizeof info, 1, f) == 1 &&
             std::fwrite(bits.data(), size, 1, f) == 1;
        std::fclose(f);
    }
    RECT front{};
    HWND wnd = GetForegroundWindow();
    if (ok && wnd && GetWindowRect(wnd, &front)) {
        std::string name = path.substr(0, path.find_last_of('.')) + ".txt";
        if (FILE* f = std::fopen(name.c_str(), "w")) {
            std::fprintf(f, "%ld %ld %ld %ld\n", front.left, front.top, front.right, front.bottom);
            std::fclose(f);
        }
    }
    return ok;
}

bool DeleteKeyTree(HKEY root, const char* path) {
    HKEY key;
    if (RegOpenKeyExA(root, path, 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) {
        char name[256];
        for (;;) {
            DWORD size = sizeof name;
            if (RegEnumKeyExA(key, 0, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
            if (!DeleteKeyTree(key, name)) break;
        }
        RegCloseKey(key);
    }
    LONG status = RegDeleteKeyA(root, path);
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
}

}  // namespace driver
