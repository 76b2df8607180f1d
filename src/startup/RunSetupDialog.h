// The run-setup window: for one start-up item, choose between starting it with
// Windows, pausing it, or having this program start it some minutes after boot.
#pragma once
#include <string>

#include "resource.h"
#include "startup/StartupItem.h"
#include "ui/Dialog.h"

class RunSetupDialog : public DialogImpl<RunSetupDialog> {
public:
    static constexpr int kTemplate = IDD_RUNSETUP_DIALOG;
    static constexpr int kMinDelay = 1;
    static constexpr int kMaxDelay = 60;
    static const Route kRoutes[];

    explicit RunSetupDialog(HWND parent);

    // Set by the caller before RunModal; read after it returned IDOK.
    StartupMode Mode = RunAtStartup;
    int DelayMinutes = 1;  // kMinDelay..kMaxDelay once read from the window
    std::string NameText;
    std::string CommandText;

private:
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    void OnRunAtStartup(DialogMessage& m);
    void OnPaused(DialogMessage& m);
    void OnDelayed(DialogMessage& m);
    void ChooseMode(StartupMode mode);
    // With Delayed chosen, copies the delay from its edit into DelayMinutes; false, with a
    // message and the member unchanged, when it is not a whole number from 1 to 60.
    bool ReadDelay();
};
