#include "mainwnd/AboutDialog.h"

#include "app/ResourceText.h"
#include "resource.h"

const AboutDialog::Route AboutDialog::kRoutes[] = {
    {},
};

namespace {
const Caption kCaptions[] = {
    CAPTION(IDC_STATICCOPYRIGHT), CAPTION(IDC_STATICPROGRAM), CAPTION(IDC_STATICABOUTKG),
    CAPTION(IDC_STATICWEBSITE), CAPTION(IDC_STATICEMAIL),
};
}  // namespace

AboutDialog::AboutDialog(HICON icon, HWND parent) : DialogImpl(IDD_ABOUTBOX, parent), icon_(icon) {
    UseRoundedFrame();
}

BOOL AboutDialog::OnInitDialog() {
    SendMessageA(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon_));
    SetCaptions(kCaptions);
    const COLORREF link = RGB(0, 0, 255), visited = RGB(255, 0, 0), hover = RGB(255, 100, 100);
    // The mail text carries its scheme ("mailto:"), which the label does not show.
    std::string mail = Lang("ActiveMail");
    SetItemText(IDC_MAIL_LINK, mail.size() > 7 ? mail.substr(7) : std::string());
    mail_.SetColors(link, visited, hover);
    mail_.Attach(Item(IDC_MAIL_LINK));
    mail_.SetTarget(mail);
    std::string website = Lang("ActiveWebsite");
    SetItemText(IDC_WEBSITE_LINK, website);
    website_.SetColors(link, visited, hover);
    website_.Attach(Item(IDC_WEBSITE_LINK));
    website_.SetTarget(website);
    return TRUE;
}
