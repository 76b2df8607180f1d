// Optimization runs, the low-memory tick and the tray picture of the main window.
#include <windows.h>
#include <commctrl.h>
#include <mmsystem.h>

#include "app/ProgramPath.h"
#include "app/RegistryKey.h"
#include "app/Settings.h"
#include "mainwnd/LoadIcon.h"
#include "mainwnd/MainDialog.h"
#include "optimizer/AllocationPlan.h"
#include "optimizer/DefragQueryDialog.h"
#include "optimizer/LowMemory.h"
#include "optimizer/OptimizeReportDialog.h"
#include "optimizer/OptimizeRun.h"
#include "probes/CpuLoad.h"
#include "probes/MemoryStatus.h"
#include "resource.h"

namespace {
const COLORREF kTitleCyan = RGB(19, 238, 255);
const COLORREF kRunGreen = RGB(0, 238, 0);
const int kRunControls[] = {IDC_LZL_BUTTON, IDC_CLEANRAM_BT, IDC_BUTTONOT1, IDC_MSCONFIG_BT, IDC_PROCESSMG_BT,
                            IDC_SERVICEMG_BT};

bool CleanClipboardSetting() { return ReadSettingDword("CleanClipBoard") != 0; }
}  // namespace

void MainDialog::EnableRunControls(bool enable, bool all) {
    // Without `all`, the optimize and process buttons are left as they are.
    for (int id : kRunControls)
        if (all || (id != IDC_LZL_BUTTON && id != IDC_CLEANRAM_BT)) EnableItem(id, enable);
}

void MainDialog::StartManualOptimize() {
    if (OptimizeRunning) return;
    HCURSOR old = SetCursor(LoadCursorA(nullptr, IDC_WAIT));
    OptimizeLevel = static_cast<int>(SendDlgItemMessageA(hwnd_, IDC_SLIDER, TBM_GETPOS, 0, 0));
    AutoRun = 0;
    EnableRunControls(false, true);
    SetOptimizeRunning(true);
    SetTimer(hwnd_, kOptimizeTimer, 250, nullptr);
    SetCursor(old);
}

void MainDialog::OnOptimizeTick() {
    KillTimer(hwnd_, kOptimizeTimer);
    ++ProgressTicks;
    if (ProgressTicks <= kManualTicks) {
        labels_[4].SetText(ProgressText(ManualProgressPercent(ProgressTicks)));
        progress_.SetPosition(32 * ProgressTicks);
        SetTimer(hwnd_, kOptimizeTimer, 250, nullptr);
        return;
    }
    ReadControls();
    TakeBaselineSnapshot();
    RunOptimizeStep(OptimizeLevel, hwnd_, CleanClipboardSetting());
    ReadControls();
    if (settings_.report) ShowOptimizeReport(hwnd_, false);
    progress_.SetPosition(0);
    labels_[4].SetText("0 %");
    OptimizeLevel = ProgressTicks = AutoRun = 0;
    EnableRunControls(true, true);
    SetOptimizeRunning(false);
}

void MainDialog::ResetProgress(COLORREF onColor, COLORREF offColor) {
    progress_.SetSegmentCount(32);
    progress_.SetRange(0, kProgressRange);
    progress_.SetColors({offColor, offColor, offColor, onColor, onColor});
    progress_.Reset();
    progress_.SetPosition(0);
}

void MainDialog::StartAutoOptimize() {
    if (OptimizeRunning) return;
    EnableRunControls(false, false);
    ResetProgress(kTitleCyan, RGB(85, 85, 85));
    labels_[3].SetTextColor(kRunGreen);
    int cpu = 0, freeMem = 0;
    SampleLoad(cpu, freeMem);
    OptimizeLevel = AutoLevel(freeMem);
    AutoRun = 1;
    EnableItem(IDC_LZL_BUTTON, false);
    EnableItem(IDC_CLEANRAM_BT, false);
    SetOptimizeRunning(true);
    ProgressTicks = 0;
    TakeBaselineSnapshot();
    if (worker_) CloseHandle(worker_);
    DWORD id;
    worker_ = CreateThread(nullptr, 0, OptimizeWorker, reinterpret_cast<LPVOID>(static_cast<INT_PTR>(OptimizeLevel)),
                           0, &id);
    if (!worker_) {
        // No thread, no run: leave the window as it was.
        DialogMessage none{};
        OnOptimizeDone(none);
    }
}

DWORD WINAPI MainDialog::OptimizeWorker(LPVOID parameter) {
    int level = static_cast<int>(reinterpret_cast<INT_PTR>(parameter));
    MainDialog* main = MainWindowPointer;
    if (!main) return 0;
    HWND wnd = main->hwnd_;
    HWND label = GetDlgItem(wnd, IDC_PERCENT), bar = GetDlgItem(wnd, IDC_PROGRESS_BAR);
    // Only the final step may empty the clipboard; the stored setting is left alone.
    bool cleanClipboard = CleanClipboardSetting();
    for (int i = 0; i < level; ++i) {
        SetWindowTextA(label, ProgressText(AutoProgressPercent(i)).c_str());
        SendMessageA(bar, kBarSetPosition, 32 * (i + 1), 0);
        RunOptimizeStep(i, wnd, false);
    }
    RunOptimizeStep(level, wnd, cleanClipboard);
    SendMessageA(bar, kBarSetPosition, kProgressRange, 0);
    SetWindowTextA(label, "100 %");
    // Sent, not posted: the thread ends only after the window has finished the run.
    SendMessageA(wnd, WM_OPTIMIZE_DONE, 0, 0);
    return 0;
}

void MainDialog::OnOptimizeDone(DialogMessage&) {
    ReadControls();
    if (settings_.report) ShowOptimizeReport(hwnd_, AutoRun != 0);
    labels_[4].SetText("0 %");
    ResetProgress(kTitleCyan, RGB(85, 85, 85));
    labels_[3].SetTextColor(kTitleCyan);
    SetOptimizeRunning(false);
    OptimizeLevel = ProgressTicks = AutoRun = 0;
    EnableRunControls(true, true);
}

void MainDialog::LowMemoryTick() {
    KillTimer(hwnd_, kLowMemoryTimer);
    int threshold = ReadAlertThreshold();
    ReloadSettingsSnapshot();
    if (gSettingsSnapshot.soundAlert && !OptimizeRunning) {
        int cpu = 0, freeMem = 0;
        SampleLoad(cpu, freeMem);
        if (ShouldSoundAlert(true, false, freeMem, threshold)) {
            tray_.SetIcon(IDI_ALERT);
            // Synchronous: the tick waits for the sound; a failure changes nothing.
            PlaySoundA(ProgramFilePath("Alert.wav").c_str(), nullptr, SND_FILENAME);
        }
    }
    if (gSettingsSnapshot.autoDefrag) {
        int cpu = 0, freeMem = 0;
        if (!OptimizeRunning) SampleLoad(cpu, freeMem);
        AutoStep step = DecideAutoStep(OptimizeRunning != 0, freeMem, cpu, threshold, PromptArmed,
                                       ReadSettingDword("NoticeDialog") != 0);
        if (step.arm) PromptArmed = true;
        switch (step.action) {
        case AutoAction::ShowRunning:
            tray_.SetIcon(IDI_RUNNING);
            SetTimer(hwnd_, kLowMemoryTimer, 1000, nullptr);
            return;
        case AutoAction::Ask: {
            DefragQueryDialog query(hwnd_);
            if (query.RunModal() == IDOK)
                StartAutoOptimize();
            else
                PromptArmed = false;
            break;
        }
        case AutoAction::Start: StartAutoOptimize(); break;
        case AutoAction::None: break;
        }
    }
    UpdateTrayPicture();
    SetTimer(hwnd_, kLowMemoryTimer, 1000, nullptr);
}

void MainDialog::UpdateTrayPicture() {
    if (OptimizeRunning) {
        tray_.SetIcon(IDI_RUNNING);
        return;
    }
    HICON icon = DrawLoadIcon();
    tray_.SetIcon(icon);
    if (icon) DestroyIcon(icon);
}

HICON MainDialog::DrawLoadIcon() {
    MemorySnapshot s = QueryMemorySnapshot();
    int used = s.TotalPhysMB - s.AvailPhysMB;
    HICON base = basePictures_[BasePictureIndex(used, s.TotalPhysMB)];
    if (!base) return nullptr;
    std::string text = TrayIconText(settings_.percent != 0, s.AvailPhysMB, s.TotalPhysMB);

    COLORREF background = GetSysColor(COLOR_BTNFACE);
    if (xpTray_) {
        HWND tray = FindWindowA("Shell_TrayWnd", "");
        HWND notify = tray ? FindWindowExA(tray, nullptr, "TrayNotifyWnd", "") : nullptr;
        if (notify) {
            RECT r;
            GetClientRect(notify, &r);
            WindowDc dc(notify);
            COLORREF pixel = GetPixel(dc.get(), r.right - 1, 18);
            if (pixel != CLR_INVALID) background = pixel;
        }
    }
    WindowDc screen(hwnd_);
    UniqueMemoryDc memory(CreateCompatibleDC(screen.get()));
    UniqueGdi<HBITMAP> picture(CreateCompatibleBitmap(screen.get(), 32, 32));
    if (!memory || !picture) return nullptr;
    ICONINFO info{};
    if (!GetIconInfo(base, &info)) return nullptr;
    UniqueGdi<HBITMAP> mask(info.hbmMask), color(info.hbmColor);
    {
        SelectGuard select(memory.get(), picture.get());
        DrawIconEx(memory.get(), 0, 0, base, 32, 32, 0, nullptr, DI_NORMAL);
        RECT top = {0, 0, 32, 24};
        UniqueGdi<HBRUSH> brush(CreateSolidBrush(background));
        FillRect(memory.get(), &top, brush.get());
        UniqueGdi<HFONT> font(CreateFontA(settings_.percent ? 22 : 26, 10, 0, 0, 100, FALSE, FALSE, FALSE,
                                          DEFAULT_CHARSET, OUT_STRING_PRECIS, CLIP_CHARACTER_PRECIS, DEFAULT_QUALITY,
                                          DEFAULT_PITCH, "MS Serif"));
        SelectGuard selectFont(memory.get(), font.get());
        SetTextColor(memory.get(), TrayTextColor(background));
        SetBkMode(memory.get(), TRANSPARENT);
        TextOutA(memory.get(), TrayTextX(text.size()), 0, text.c_str(), static_cast<int>(text.size()));
    }
    info.hbmColor = picture.get();
    info.fIcon = TRUE;
    return CreateIconIndirect(&info);
}
