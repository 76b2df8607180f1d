// Asks before an automatic run, showing the processor load.
#pragma once
#include "ui/Dialog.h"

class DefragQueryDialog : public DialogImpl<DefragQueryDialog> {
public:
    // `mainWindow` is the window whose processor line (1096) the dialog copies.
    explicit DefragQueryDialog(HWND mainWindow);
    static const Route kRoutes[];
    static constexpr UINT kLoadTimer = 3;

private:
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    void OnLoadTimer(DialogMessage& m);
    HWND mainWindow_;
};
