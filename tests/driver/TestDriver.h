// End-to-end test driver: starts Ramvane.exe, finds its windows, reads and
// clicks controls, answers message boxes, takes screenshots.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace driver {

// Folder with Ramvane.exe and its files, as laid out by the build; MNEMORA_PROGRAM_DIR in the
// environment chooses another (the test build, for a run under refused rights).
std::string ProgramDir();
std::string ProgramExe();
// Folder of the test build of the program, whose Windows calls answer as Windows does where
// Wine is friendlier (refusals with MNEMORA_AS_USER=1 in its environment).
std::string TestProgramDir();
// True when this run stands for a user without administrator rights (MNEMORA_AS_USER).
bool RightsRefused();
// An environment variable of this process, "" when unset.
std::string EnvText(const char* name);
// Folder for screenshots taken by tests (created on demand); one per condition of the run.
std::string ScreenshotDir();

// Sets an environment variable (null: removes it) for the scope, so programs started
// meanwhile inherit it; the old value comes back at the end.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string name_, old_;
    bool had_ = false;
};

class AppProcess {
public:
    AppProcess() = default;
    AppProcess(const AppProcess&) = delete;
    AppProcess& operator=(const AppProcess&) = delete;
    ~AppProcess() { Kill(); }

    // Starts `exe` with `args` (may be empty) in `workDir` (default: the exe's folder).
    bool Start(const std::string& exe, const std::string& args = "", const std::string& workDir = "");
    DWORD Pid() const { return pi_.dwProcessId; }
    bool Running() const;
    // Waits for the process to end; true when it did, with its exit code.
    bool WaitExit(DWORD timeoutMs, DWORD* exitCode = nullptr);
    void Kill();

private:
    PROCESS_INFORMATION pi_{};
};

// Ends every process whose executable has this name (copies left by a test that was cut
// short would otherwise hold the single-instance mutex); returns how many were ended.
int KillStrays(const char* exeName = "Ramvane.exe");

// Polls `condition` every 10 ms until it holds or the time is up.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs);

// Top-level window of process `pid` (0: any) with exactly this title, or null.
HWND FindWindowOf(const char* title, DWORD pid);
// Waits until such a window exists, is visible (when asked) and has its controls.
HWND WaitForWindow(const char* title, DWORD pid, DWORD timeoutMs, bool visible = true);
bool IsShown(HWND wnd);

std::string ControlText(HWND dlg, int id);
bool SetControlText(HWND dlg, int id, const std::string& text);
bool IsChecked(HWND dlg, int id);
bool IsEnabled(HWND dlg, int id);
// Clicks and waits for the handler; use PostClick when the click opens a modal box.
void Click(HWND dlg, int id);
void PostClick(HWND dlg, int id);
// Posts a key press and release to `wnd`.
void PressKey(HWND wnd, UINT vk);
// Posts the key to the control that has the focus in `top`'s thread (or to `top`).
void PressKeyWhereFocused(HWND top, UINT vk);

// A message box (dialog with a text static) of process `pid`, or null after the timeout.
HWND WaitForMessageBox(DWORD pid, DWORD timeoutMs);
std::string MessageBoxText(HWND box);
std::string WindowTitle(HWND wnd);
// Presses the box's button `buttonId` (IDOK, IDYES, IDNO …).
void AnswerMessageBox(HWND box, int buttonId);
// Waits for the next message box of `pid`, answers it with `buttonId` and returns its text,
// "" when none came.
std::string AnswerNextBox(DWORD pid, int buttonId = IDOK, DWORD timeoutMs = 5000);

// The colour on screen at client point (x, y) of `wnd` (negative: from the right or bottom
// edge), CLR_INVALID when it cannot be read.
COLORREF ClientPixel(HWND wnd, int x, int y);
// "" when `wnd` shows the shared rounded white panel on grey (grey outside the panel, the
// dark edge on its right, white inside), else the colours it shows there.
std::string RoundedFrameMismatch(HWND wnd);

// Width in pixels of `text` in the dialogs' font (Tahoma 8 points) at the screen's DPI.
int DialogTextWidth(const std::string& text);
// The screen's DPI: what the program's windows are laid out and drawn at.
int ScreenDpi();

// "" when `window` is laid out soundly, else what is not. Every visible control lies inside
// the client area (one wholly below it is folded away, as the compact main window folds its
// lower half) and overlaps no other (group boxes hold others). Each visible control of `drawn`
// (ids) fills its frame: one without text draws across 3/4 of its width and height at least,
// the text of one with text is 40 % of its height at least (drawn pixels: those that differ
// from the colour the control shows most).
std::string LayoutFaults(HWND window, const std::vector<int>& drawn = {});

// Where `control` draws on screen: the bounding box, relative to it, of its pixels that differ
// from the colour it shows most; empty when it shows one colour.
RECT DrawnExtent(HWND control);

// Tells `window` it moved to a monitor of `dpi` and suggests `rect` as its new window rectangle,
// as Windows does (the rectangle is written into the window's process); false when it could not.
bool SendDpiChanged(HWND window, int dpi, const RECT& rect);
// The window rectangle of `window` scaled by `to` / `from` about its top-left corner, moved
// back onto the screen where it would leave it.
RECT ScaledWindowRect(HWND window, int from, int to);

// Saves the screen to a 24-bit BMP; true on success. Beside it, in a file of the same name
// ending in .txt, the rectangle of the window in front ("left top right bottom"), to crop to.
bool SaveScreenshot(const std::string& path);

// Deletes a registry key with all its subkeys; true when it is gone.
bool DeleteKeyTree(HKEY root, const char* path);

}  // namespace driver
