// The application's only permanent window: memory and processor
// figures above, optimizer settings below; hidden to the tray rather than closed.
#pragma once
#include <array>
#include <string>
#include <vector>

#include "app/Settings.h"
#include "mainwnd/MainLayout.h"
#include "mainwnd/RunDisplay.h"
#include "mainwnd/TrayIcon.h"
#include "mainwnd/TrayPictures.h"
#include "mainwnd/controls/BusyProgressCtrl.h"
#include "mainwnd/controls/DialGauge.h"
#include "mainwnd/controls/LoadHistoryChart.h"
#include "optimizer/OptimizeRun.h"
#include "procmgr/ProcessMonitor.h"
#include "startup/DelayedStart.h"
#include "ui/ColorButton.h"
#include "ui/ColorLabel.h"
#include "ui/Dialog.h"
#include "ui/Handles.h"
#include "ui/PresetTooltip.h"

constexpr int HOTKEY_ID = 0x2006;

class MainDialog : public DialogImpl<MainDialog> {
public:
    MainDialog(int argc, char** argv);
    ~MainDialog() override;
    static const Route kRoutes[];
    // Captions set at initialization, in the order they are set.
    static const Caption kCaptions[];
    static const size_t kCaptionCount;

    static constexpr UINT kRefreshTimer = 1;
    static constexpr UINT kLowMemoryTimer = 2;
    static constexpr UINT kHideTimer = 3;
    static constexpr UINT kDelayedStartTimer = 4;
    static constexpr UINT kOptimizeTimer = 5;
    static constexpr int kChartId = 5469;

    const MainSettings& Settings() const { return settings_; }
    const OptimizeRun& Run() const { return run_; }
    // Silent save of the main window's values (every start ends its initialization with it).
    void SaveSettings();
    // Manual run: seven progress ticks of timer 5, then one step on this thread.
    void StartManualOptimize();
    // Automatic run on a worker thread; progress and the end (WM_OPTIMIZE_DONE) are posted.
    // Either is a memory-lists run instead where that is the stored choice and allowed.
    void StartAutoOptimize();
    // Why the memory lists cannot be emptied here: the language key of the reason, or "" when
    // they can (the system and the account allow it).
    std::string ListsRunAllowed() const;
    void RefreshStatus();
    void HideAndCentre();
    void ToggleExpanded();
    void UpdateAmountLabel();
    // Draws the tray picture for the current memory use.
    UniqueIcon DrawLoadIcon();

private:
    BOOL OnInitDialog() override;
    void OnOK() override { StartManualOptimize(); }
    void OnCancel() override;
    bool OnUnrouted(DialogMessage& m) override;
    void OnDpiChanged(int) override { layout_.FollowDpi(hwnd_); }

    // Initialization steps, in the order they run.
    void RegisterHotKeyLetter();
    void SetUpAmountSlider();
    void SetUpBars();
    void SetUpChart();
    void SetUpButtons();
    void SetUpLabels();
    void SetUpProcessorLines();
    void SetUpTrayIcon();
    void KeepLanguageTexts();
    void SetUpPresetList();
    bool StartedByPowerOn() const;
    void StartHidden();
    void ApplyPercentDisplay();
    void StartDelayedStart() { delayedStart_.Start(hwnd_, kDelayedStartTimer); }
    void StartMonitor() { monitor_.Start(); }
    void PaintBackground(DialogMessage& m);
    void OnCtlColor(DialogMessage& m);
    void OnTimer(DialogMessage& m);
    void OnOptimizeTick();
    void OnOptimizeProgress(DialogMessage& m);
    void OnOptimizeDone(DialogMessage& m);
    void ShowReportIfAsked();
    void EndAutoRun();
    void LowMemoryTick();
    // The run every so many minutes, from the low-memory tick.
    void IntervalRunTick();
    void UpdateTrayPicture();
    bool ListsRunChosen() const;
    void StartListsRun(bool automatic);
    // The choice of the kind of run and the interval: their lists and ranges, and where the
    // memory lists cannot be emptied here, the choice not offered and a tip saying why.
    void SetUpRunChoice();
    void OnRunKindReason(DialogMessage& m);

    void MarkChanged();
    void CheckLoadThenOptimize();
    // Runs tool window T (a dialog with `static constexpr int kTemplate` and a constructor
    // without parent, given `args`) modally over this window, shown or hidden, unless one is
    // open already; with `warn`, asks first unless tools open without warning.
    template <class T, class... Args>
    void OpenTool(bool warn, Args&... args) {
        if (Dialog::IsOpen(T::kTemplate) || (warn && !ConfirmToolWarning())) return;
        T tool(args...);
        tool.RunModal(hwnd_);
    }
    // Reads the controls; true when tools open without warning or the user agreed.
    bool ConfirmToolWarning();
    void UpdateThresholdControls();

    void OnOptimizeButton(DialogMessage& m);
    void OnHotKey(DialogMessage& m);
    void OnTrayOptimize(DialogMessage& m);
    void OnToggle(DialogMessage& m);
    void OnExit(DialogMessage& m);
    void OnHide(DialogMessage& m);
    void OnShowMain(DialogMessage& m);
    void OnWindowPosChanging(DialogMessage& m);
    void OnWindowPosChanged(DialogMessage& m);
    void OnProcessButton(DialogMessage& m);
    void OnProcessManager(DialogMessage& m);
    void OnStartupManager(DialogMessage& m);
    void OnServiceManager(DialogMessage& m);
    void OnCacheSettings(DialogMessage& m);
    void OnMemoryModules(DialogMessage& m);
    void OnSave(DialogMessage& m);
    void OnAbout(DialogMessage& m);
    void OnHelp(DialogMessage& m);
    void OnCopyTool(DialogMessage& m);
    void OnPreset(DialogMessage& m);
    void OnSliderReleased(DialogMessage& m);
    void OnThresholdChange(DialogMessage& m);
    void OnHotKeyLetterChange(DialogMessage& m);
    void OnAutoDefragCheck(DialogMessage& m);
    void OnSoundCheck(DialogMessage& m);
    void OnAutoRunCheck(DialogMessage& m);
    void OnToolsWithoutWarning(DialogMessage& m);
    void OnMarkChanged(DialogMessage& m);
    void OnPercentCheck(DialogMessage& m);
    void OnPercentToggle(DialogMessage& m);
    void OnClockCheck(DialogMessage& m);
    void OnTrayNotify(DialogMessage& m);
    void OnQueryDragIcon(DialogMessage& m);

    static LRESULT CALLBACK MessageFilter(int code, WPARAM wp, LPARAM lp);

    int argc_;
    char** argv_;
    MainSettings settings_;
    AutoRunPlace autoRunPlace_ = AutoRunPlace::RunValue;  // the Run value before Vista, the task from Vista on
    HICON appIcon_;  // shared resource icon (LoadIconA): never destroyed
    std::string displayModeText_;
    bool keepHidden_ = false;  // started hidden and not yet asked to show
    MainLayout layout_;
    std::vector<std::string> weekDays_;
    std::vector<std::string> presetTexts_;
    struct KeptTexts {
        std::string pramTotal, pramFree, ramFree, pageFree, vramFree, curTime, titleCpu3, iconTipsCpu, iconTipsRam,
            usedMemoryB, usedFilePageB, usedMemoryM, usedFilePageM;
    } texts_;
    std::string loadLine_;  // the processor line (1096) as the last refresh made it

    std::array<BusyProgressCtrl, 3> bars_;  // page file, combined, physical
    RunDisplay runDisplay_;
    DialGauge gauge_;
    LoadHistoryChart chart_;
    std::array<ColorButton, 3> buttons_;
    std::array<ColorLabel, 15> labels_;
    CTrayIcon tray_;
    TrayPictures trayPictures_;
    PresetTooltip presetTip_;
    HHOOK filterHook_ = nullptr;
    bool thresholdSeen_ = false;
    bool thresholdRewriting_ = false;
    OptimizeRun run_;
    DelayedStart delayedStart_;
    bool promptArmed_ = true;  // PromptArmed: an automatic run may be started or offered
    DWORD lastRunTick_ = GetTickCount();  // when the last run started, for the run every N minutes
    std::string listsRefusal_;  // the language key of why the memory lists cannot be chosen, or ""
    ProcessMonitor monitor_;   // started at initialization, stopped at exit; lent to the process manager
};
