// Borderless splash window showing the logo bitmap; closes itself after 1.5 s,
// on a key or on a left click.
#pragma once
#include "ui/Dialog.h"

class LogoDialog : public DialogImpl<LogoDialog> {
public:
    LogoDialog();
    static const Route kRoutes[];
    static constexpr UINT kCloseTimer = 4;
    static constexpr UINT kCloseAfterMs = 1500;
    // The picture's size at 96 DPI.
    static constexpr int kWidth = 360;
    static constexpr int kHeight = 240;

private:
    BOOL OnInitDialog() override;
    void OnClose(DialogMessage& m);
};

// Window text of the logo (it has no visible caption), for finding it.
extern const char kLogoWindowTitle[];
