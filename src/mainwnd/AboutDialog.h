// The about box with its two links.
#pragma once
#include "ui/Dialog.h"
#include "ui/HyperlinkLabel.h"

class AboutDialog : public DialogImpl<AboutDialog> {
public:
    explicit AboutDialog(HICON icon, HWND parent = nullptr);
    static const Route kRoutes[];

private:
    BOOL OnInitDialog() override;
    HICON icon_;  // the caller's; not destroyed here
    HyperlinkLabel mail_;
    HyperlinkLabel website_;
};
