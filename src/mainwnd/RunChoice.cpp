// The optimizer settings' choice of how a run frees memory and of a run every so many minutes.
#include <windows.h>
#include <commctrl.h>

#include "app/ResourceText.h"
#include "app/Settings.h"
#include "mainwnd/MainDialog.h"
#include "resource.h"
#include "ui/MessageBox.h"

void MainDialog::SetUpRunChoice() {
    for (const char* key : {"strRunKind0", "strRunKind1"})
        SendDlgItemMessageA(hwnd_, IDC_RUNKIND, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Lang(key).c_str()));
    SetSpinRange(IDC_INTERVAL_SPIN, 0, static_cast<int>(kLongestIntervalMinutes));
    // Read again: a read of the controls before the list had its entries took "none".
    settings_.runKind = static_cast<int>(ReadSetting(kRunKind, 0, kListsRunKind));
    ShowMembers();
    listsRefusal_ = ListsRunAllowed();
    if (listsRefusal_.empty()) return;
    // The choice stays as stored, shown but not offered; a tip on it and on its label says why.
    EnableItem(IDC_RUNKIND, false);
    HWND tip = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr, nullptr, nullptr);
    if (!tip) return;
    SendMessageA(tip, TTM_SETMAXTIPWIDTH, 0, 300);
    std::string reason = Lang(listsRefusal_.c_str());
    for (int id : {IDC_RUNKIND_LABEL, IDC_RUNKIND}) {
        TOOLINFOA tool{};
        tool.cbSize = TTTOOLINFOA_V1_SIZE;
        tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        tool.hwnd = hwnd_;
        tool.uId = reinterpret_cast<UINT_PTR>(Item(id));
        tool.lpszText = &reason[0];
        SendMessageA(tip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
    }
}

void MainDialog::OnRunKindReason(DialogMessage&) {
    // A click on the label of a choice that is not offered says why.
    if (!listsRefusal_.empty())
        ShowMessage(hwnd_, listsRefusal_.c_str(), Lang("strDeleteBootItem"), MB_ICONINFORMATION | MB_OK);
}
