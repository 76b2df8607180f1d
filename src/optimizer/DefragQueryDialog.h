// Asks before an automatic run, showing the processor load.
#pragma once
#include <string>

#include "ui/Dialog.h"

class DefragQueryDialog : public DialogImpl<DefragQueryDialog> {
public:
    // Owned by `mainWindow`; once a second the load figure shows `loadLine`, the main window's
    // processor line as its last refresh made it (kept by the main window, which outlives this).
    DefragQueryDialog(HWND mainWindow, const std::string& loadLine);
    static const Route kRoutes[];
    static constexpr UINT kLoadTimer = 3;

private:
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    void OnLoadTimer(DialogMessage& m);
    const std::string& loadLine_;
};
