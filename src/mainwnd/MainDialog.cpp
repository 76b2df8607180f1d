#include "mainwnd/MainDialog.h"

#include <commctrl.h>

#include <cctype>
#include <cstdio>

#include "app/Application.h"
#include "app/RegistryKey.h"
#include "app/ResourceText.h"
#include "resource.h"

const MainDialog::Route MainDialog::kRoutes[] = {
    {WM_COMMAND, IDC_EXITBT, BN_CLICKED, &MainDialog::OnExit},
    {WM_COMMAND, IDC_HIDEBT2, BN_CLICKED, &MainDialog::OnHide},
    {WM_TIMER, kHideTimer, 0, &MainDialog::OnHideTimer},
    {WM_QUERYDRAGICON, 0, 0, &MainDialog::OnQueryDragIcon},
    {},
};

const CaptionKey MainDialog::kCaptions[] = {
    {IDC_LZL_BUTTON, "IDC_LZL_BUTTON"},
    {IDC_CLEANRAM_BT, "IDC_CLEANRAM_BT"},
    {IDCANCEL, "IDCANCEL"},
    {IDC_TAB_BUTTON, "IDC_TAB_BUTTON1"},
    {IDC_STATICBT2, "IDC_STATICBT2"},
    {IDC_STATICBT4, "IDC_STATICBT4"},
    {IDC_STATICBT5, "IDC_STATICBT5"},
    {IDC_STATICUSESM, "IDC_STATICUSESM"},
    {IDC_STATICZDSM1, "IDC_STATICZDSM1"},
    {IDC_STATICZDSM2, "IDC_STATICZDSM2"},
    {IDC_CHECKSOUND, "IDC_CHECKSOUND"},
    {IDC_CHECKAUTODEFRAG, "IDC_CHECKAUTODEFRAG"},
    {IDC_CHECKCLIPBOARD, "IDC_CHECKCLIPBOARD"},
    {IDC_CHECKLOG, "IDC_CHECKLOG"},
    {IDC_CHECKAUTORUN, "IDC_CHECKAUTORUN"},
    {IDC_BUTTONSAVERAM, "IDC_BUTTONSAVERAM"},
    {IDC_MSCONFIG_BT, "IDC_MSCONFIG_BT"},
    {IDC_PROCESSMG_BT, "IDC_PROCESSMG_BT"},
    {IDC_SERVICEMG_BT, "IDC_SERVICEMG_BT"},
    {IDC_EXITBT, "IDC_EXITBT"},
    {IDC_BUTTONOT1, "IDC_BUTTONOT1"},
    {IDC_ABOUT2, "IDC_ABOUT2"},
    {IDC_HIDEBT2, "IDC_HIDEBT2"},
    {IDC_CHECKAUTODEFRAGTIP, "IDC_CHECKAUTODEFRAGTIP"},
    {IDC_HELPBT, nullptr},  // fixed text "Help"
    {IDC_CHECKALERTNOTICE, "IDC_CHECKALERTNOTICE"},
    {IDC_CHECKLOGONWND, "IDC_CHECKLOGONWND"},
    {ID_COPYBT, "ID_COPYBT"},
    {IDC_MEMHDINFOBT, "IDC_MEMHDINFOBT"},
    {IDC_STATICHOTKEY1, "IDC_STATICHOTKEY1"},
};
const size_t MainDialog::kCaptionCount = sizeof kCaptions / sizeof kCaptions[0];

MainDialog::MainDialog(int argc, char** argv)
    : DialogImpl(IDD_MAIN_DIALOG), argc_(argc), argv_(argv),
      appIcon_(LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINFRAME))) {
    LoadMainSettings(settings_);
    BindCheck(IDC_CHECKCLIPBOARD, &settings_.clipboard);
    BindCheck(IDC_CHECKAUTODEFRAG, &settings_.autoDefrag);
    BindCheck(IDC_CHECKSOUND, &settings_.sound);
    BindCheck(IDC_CHECKLOG, &settings_.report);
    BindCheck(IDC_CHECKAUTORUN, &settings_.autoRun);
    BindCheck(IDC_CHECKAUTODEFRAGTIP, &settings_.askBeforeRun);
    BindCheck(IDC_CHECK12H, &settings_.clock12);
    BindCheck(IDC_CHECKALERTNOTICE, &settings_.toolsNoWarning);
    BindCheck(IDC_CHECKLOGONWND, &settings_.logoOff);
    BindCheck(IDC_CHECKPERCENT, &settings_.percent);
    BindText(IDC_RAMALERT, &settings_.threshold);
    BindText(IDC_HOTKEY, &settings_.hotKey, 1);
    BindText(IDC_SLIDER_MIN, &settings_.rangeLow);
    BindText(IDC_SLIDER_MAX, &settings_.rangeHigh);
}

BOOL MainDialog::OnInitDialog() {
    SendMessageA(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(appIcon_));
    SendMessageA(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(appIcon_));
    RegistryKey uninstall;
    if (uninstall.Open(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall") ==
        ERROR_SUCCESS)
        uninstall.DeleteSubKey("Memkite_is1");
    EnableItem(IDC_BUTTONSAVERAM, false);
    SetUpAmountSlider();
    SendDlgItemMessageA(hwnd_, IDC_RAMALERT_SPIN, UDM_SETRANGE, 0, MAKELPARAM(75, 1));
    SetUpCompactGeometry();
    SetCaptions();
    KeepLanguageTexts();
    SetUpPresetList();
    DWORD showStatus = 1;
    {
        RegistryKey key;
        if (key.Open(HKEY_LOCAL_MACHINE, kProgramKeyPath) == ERROR_SUCCESS) key.QueryDword(showStatus, "ShowStatus");
    }
    if (showStatus == 0 && argc_ <= 1) StartHidden();
    SaveSettings();
    if (ReadSettingDword("AutoDefrag") == 0) EnableItem(IDC_CHECKAUTODEFRAGTIP, false);
    if (StartedByPowerOn()) StartHidden();
    return TRUE;
}

void MainDialog::SetCaptions() {
    for (const CaptionKey& c : kCaptions) SetItemText(c.id, c.key ? Lang(c.key) : std::string("Help"));
}

void MainDialog::KeepLanguageTexts() {
    weekDays_.clear();
    char key[32];
    for (int i = 0; i < 7; ++i) {
        std::snprintf(key, sizeof key, "WEEKSTR%d", i);
        weekDays_.push_back(Lang(key));
    }
    presetTexts_.clear();
    for (int i = 0; i < 5; ++i) {
        std::snprintf(key, sizeof key, "UserType%d", i);
        presetTexts_.push_back(Lang(key));
    }
}

void MainDialog::SetUpPresetList() {
    DWORD userType = 2;
    {
        RegistryKey key;
        if (key.Open(HKEY_LOCAL_MACHINE, kProgramKeyPath) == ERROR_SUCCESS) key.QueryDword(userType, "UserType");
    }
    char key[32];
    for (int i = 1; i <= 5; ++i) {
        std::snprintf(key, sizeof key, "strComboxText%d", i);
        SendDlgItemMessageA(hwnd_, IDC_USERTYPE, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Lang(key).c_str()));
    }
    SendDlgItemMessageA(hwnd_, IDC_USERTYPE, CB_SETCURSEL, userType, 0);
    if (userType == 4) EnableItem(IDC_SLIDER, true);
}

void MainDialog::SetUpAmountSlider() {
    DWORD position = 4;
    {
        RegistryKey key;
        if (key.Open(HKEY_LOCAL_MACHINE, kProgramKeyPath) == ERROR_SUCCESS) key.QueryDword(position, "SliderPos");
    }
    SendDlgItemMessageA(hwnd_, IDC_SLIDER, TBM_SETRANGE, FALSE, MAKELPARAM(1, 8));
    SendDlgItemMessageA(hwnd_, IDC_SLIDER, TBM_SETPOS, TRUE, static_cast<LPARAM>(position));
    EnableItem(IDC_SLIDER, false);
    ShowMembers();
}

void MainDialog::SetUpCompactGeometry() {
    GetWindowRect(hwnd_, &fullRect_);
    GetClientRect(hwnd_, &fullClientRect_);
    compactRect_ = fullRect_;
    compactRect_.bottom = fullRect_.top + (fullRect_.bottom - fullRect_.top) / 2;
    SetWindowPos(hwnd_, nullptr, 0, 0, compactRect_.right - compactRect_.left, compactRect_.bottom - compactRect_.top,
                 SWP_NOMOVE | SWP_NOZORDER);
    restoreRect_ = compactRect_;
    GetClientRect(hwnd_, &compactClientRect_);
}

bool MainDialog::StartedByPowerOn() const {
    if (argc_ < 2) return false;
    std::string first = argv_[1];
    for (char& c : first) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return first.find("POWER") != std::string::npos;
}

void MainDialog::StartHidden() {
    SetWindowPos(hwnd_, nullptr, -1024, -1024, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    SetTimer(hwnd_, kHideTimer, 50, nullptr);
}

void MainDialog::SaveSettings() {
    ReadControls();
    int userType = static_cast<int>(SendDlgItemMessageA(hwnd_, IDC_USERTYPE, CB_GETCURSEL, 0, 0));
    int sliderPos = static_cast<int>(SendDlgItemMessageA(hwnd_, IDC_SLIDER, TBM_GETPOS, 0, 0));
    SaveMainSettings(settings_, userType, sliderPos);
}

void MainDialog::OnExit(DialogMessage&) {
    if (MessageBoxA(hwnd_, Lang("strExitQuery").c_str(), kMainWindowTitle, MB_YESNO | MB_ICONEXCLAMATION) != IDYES)
        return;
    KillTimer(hwnd_, kRefreshTimer);
    KillTimer(hwnd_, kLowMemoryTimer);
    KillTimer(hwnd_, kDelayedStartTimer);
    ReadControls();
    EndDialog(IDOK);
}

void MainDialog::OnCancel() {
    ShowWindow(hwnd_, SW_HIDE);
    RegistryKey key;
    if (key.Open(HKEY_LOCAL_MACHINE, kProgramKeyPath) == ERROR_SUCCESS) key.SetDword(0, "ShowStatus");
}

void MainDialog::OnHide(DialogMessage&) { ShowWindow(hwnd_, SW_HIDE); }

void MainDialog::OnHideTimer(DialogMessage&) {
    KillTimer(hwnd_, kHideTimer);
    ShowWindow(hwnd_, SW_HIDE);
    RECT r;
    GetWindowRect(hwnd_, &r);
    int x = (GetSystemMetrics(SM_CXSCREEN) - (r.right - r.left)) / 2;
    int y = (GetSystemMetrics(SM_CYSCREEN) - (r.bottom - r.top)) / 2;
    SetWindowPos(hwnd_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void MainDialog::OnQueryDragIcon(DialogMessage& m) { m.result = reinterpret_cast<INT_PTR>(appIcon_); }
