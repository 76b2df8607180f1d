// Painting, colours and the periodic refresh of the main window.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>

#include "mainwnd/MainDialog.h"
#include "mainwnd/MainGeometry.h"
#include "mainwnd/StatusText.h"
#include "probes/CpuLoad.h"
#include "probes/MemoryStatus.h"
#include "resource.h"
#include "ui/OffscreenBitmap.h"
#include "ui/RoundedFrame.h"

void MainDialog::PaintBackground(DialogMessage&) {
    PaintDc paint(hwnd_);
    if (IsIconic(hwnd_)) {
        RECT client;
        GetClientRect(hwnd_, &client);
        SendMessageA(hwnd_, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(paint.get()), 0);
        DrawIcon(paint.get(), (client.right - GetSystemMetrics(SM_CXICON) + 1) / 2,
                 (client.bottom - GetSystemMetrics(SM_CYICON) + 1) / 2, appIcon_);
        return;
    }
    RECT client;
    GetClientRect(hwnd_, &client);
    // Drawn off screen and copied at once, so the panels never flicker.
    OffscreenBitmap memory;
    if (!memory.Create(paint.get(), client.right, client.bottom)) return;
    UniqueGdi<HBRUSH> grey(CreateSolidBrush(kWindowGrey));
    FillRect(memory.Dc(), &client, grey.get());
    for (const Panel& p : layout_.Panels(Dpi())) FillRounded(memory.Dc(), p.rect, p.color, Dpi());
    memory.CopyTo(paint.get());
}

void MainDialog::OnCtlColor(DialogMessage& m) {
    // Texts lie over the painted panels.
    HDC dc = reinterpret_cast<HDC>(m.wParam);
    m.result = ColorReply(dc);
    SetBkMode(dc, TRANSPARENT);
}

void MainDialog::OnTimer(DialogMessage& m) {
    switch (m.id) {
    case kRefreshTimer: RefreshStatus(); break;
    case kLowMemoryTimer: LowMemoryTick(); break;
    case kHideTimer: HideAndCentre(); break;
    case kDelayedStartTimer: delayedStart_.OnTimer(); break;
    case kOptimizeTimer: OnOptimizeTick(); break;
    default: m.passOn = true; break;
    }
}

void MainDialog::RefreshStatus() {
    KillTimer(hwnd_, kRefreshTimer);
    ReadControls({IDC_CHECKPERCENT, IDC_CHECK12H});  // what this tick shows; the rest is read where used
    SYSTEMTIME now;
    GetLocalTime(&now);
    char caption[256];
    std::snprintf(caption, sizeof caption, " %s ", texts_.curTime.c_str());
    labels_[5].SetText(caption);
    labels_[6].SetText(ClockText(now, settings_.clock12 != 0, weekDays_));

    MemorySnapshot s = QueryMemorySnapshot();
    MemoryStatusBytes b = QueryMemoryStatus();
    StatusFigures f = ComputeStatusFigures(s.AvailPhysMB, s.TotalPhysMB, b.TotalPageFile, b.AvailPageFile);
    bool percent = settings_.percent != 0;
    labels_[12].SetText(percent ? PercentFigure(texts_.pageFree, f.pageFree)
                                : MegabyteFigure(texts_.pageFree, f.pageAvailMB));
    labels_[13].SetText(percent ? PercentFigure(texts_.vramFree, f.allFree)
                                : MegabyteFigure(texts_.vramFree, f.allAvailMB));
    labels_[14].SetText(percent ? PercentFigure(texts_.ramFree, PhysFree(f))
                                : MegabyteFigure(texts_.ramFree, f.availPhysMB));
    bars_[0].SetPosition(PageFileBarValue(f));
    bars_[1].SetPosition(CombinedBarValue(f));
    bars_[2].SetPosition(s.AvailPhysMB);
    labels_[11].SetText(TotalUsedLine(texts_.pramTotal, texts_.pramFree, f));

    int cpu = 0;
    SampleCpuLoad(cpu);
    if (chart_.SeriesCount()) chart_.Series(0).AddValue(cpu);
    chart_.Update();
    int unusedCpu = 0, freeMem = 0;
    SampleLoad(unusedCpu, freeMem);
    TooltipLabels tip{texts_.iconTipsCpu, texts_.usedMemoryM, texts_.usedFilePageM, texts_.usedMemoryB,
                      texts_.usedFilePageB};
    tray_.SetTooltipText(TooltipText(percent, tip, cpu, freeMem, f));
    gauge_.SetValue(100.0 - freeMem);
    loadLine_ = LoadLine(texts_.titleCpu3, cpu);
    labels_[9].SetText(loadLine_);
    SetTimer(hwnd_, kRefreshTimer, 500, nullptr);
}

void MainDialog::HideAndCentre() {
    KillTimer(hwnd_, kHideTimer);
    ShowWindow(hwnd_, SW_HIDE);
    // Centred as the full window would be, so unfolding it later keeps it on screen.
    POINT at = layout_.CentredOrigin();
    SetWindowPos(hwnd_, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

UniqueIcon MainDialog::DrawLoadIcon() { return trayPictures_.Draw(settings_.percent != 0); }
