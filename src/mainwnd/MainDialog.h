// The application's only permanent window (template 102): memory and processor
// figures above, optimizer settings below; hidden to the tray rather than closed.
#pragma once
#include <string>
#include <vector>

#include "app/Settings.h"
#include "ui/Dialog.h"
#include "ui/Handles.h"

// A control whose caption comes from a language key.
struct CaptionKey {
    int id;
    const char* key;
};

class MainDialog : public DialogImpl<MainDialog> {
public:
    MainDialog(int argc, char** argv);
    static const Route kRoutes[];
    // Captions set at initialization, in the order they are set.
    static const CaptionKey kCaptions[];
    static const size_t kCaptionCount;

    static constexpr UINT kRefreshTimer = 1;
    static constexpr UINT kLowMemoryTimer = 2;
    static constexpr UINT kHideTimer = 3;
    static constexpr UINT kDelayedStartTimer = 4;
    static constexpr UINT kOptimizeTimer = 5;

    const MainSettings& Settings() const { return settings_; }
    // Silent save of the main window's values (every start ends its initialization with it).
    void SaveSettings();

private:
    BOOL OnInitDialog() override;
    void OnOK() override {}
    void OnCancel() override;

    void SetCaptions();
    void KeepLanguageTexts();
    void SetUpPresetList();
    void SetUpAmountSlider();
    void SetUpCompactGeometry();
    bool StartedByPowerOn() const;
    void StartHidden();

    void OnExit(DialogMessage& m);
    void OnHide(DialogMessage& m);
    void OnHideTimer(DialogMessage& m);
    void OnQueryDragIcon(DialogMessage& m);

    int argc_;
    char** argv_;
    MainSettings settings_;
    HICON appIcon_;
    int expanded_ = 0;
    RECT fullRect_{}, compactRect_{}, restoreRect_{}, compactClientRect_{}, fullClientRect_{};
    std::vector<std::string> weekDays_;
    std::vector<std::string> presetTexts_;
};
