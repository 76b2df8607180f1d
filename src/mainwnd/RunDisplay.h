// What the main window shows of an optimization run: the progress bar and its figure, the run
// panel's title in green while an automatic run works, and the controls a run disables.
#pragma once
#include <windows.h>

#include "mainwnd/controls/BusyProgressCtrl.h"
#include "ui/ColorLabel.h"

class RunDisplay {
public:
    RunDisplay();

    // The bar of main window `window`, first in `colors`; `figure` is the percentage beside
    // it and `title` the panel's title, labels of the window that outlive this object.
    void Attach(HWND window, const BarColors& colors, ColorLabel& figure, ColorLabel& title);
    // A manual run: its start, each of its ticks (1 .. kManualTicks), its end.
    void BeginManual();
    void ShowManualTick(int tick);
    void EndManual();
    // An automatic run: its start, the progress it posts (a step, or kProgressComplete), its end.
    void BeginAuto();
    void ShowAutoProgress(WPARAM progress);
    // A lists run shows as an automatic one, its progress by its four steps.
    void ShowListsProgress(WPARAM progress);
    void EndAuto();

private:
    void EnableControls(bool enable) const;
    void ResetBar();

    HWND window_ = nullptr;
    BusyProgressCtrl bar_;
    ColorLabel* figure_ = nullptr;
    ColorLabel* title_ = nullptr;
};
