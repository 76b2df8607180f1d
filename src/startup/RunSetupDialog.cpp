#include "startup/RunSetupDialog.h"

#include <cctype>

#include "app/ResourceText.h"
#include "startup/StartupItem.h"
#include "ui/MessageBox.h"

namespace {
const Caption kCaptions[] = {
    {Dialog::kWindowTitle, "IDD_RUNSETUP_DIALOG"},
    CAPTION(IDC_STATICKGS), CAPTION(IDC_RADIOONE), CAPTION(IDC_RADIOTWO), CAPTION(IDC_RADIOTHREE),
    CAPTION(IDC_STATICSJSZ),
    {IDOK, "IDOKINRS"},
    {IDCANCEL, "IDCANCELINRS"},
};
const int kDelayControls[] = {IDC_STATICSJSZ, IDC_RUNSETUP_DELAY, IDC_RUNSETUP_SPIN};

// The whole number `text` holds, or -1 when it holds anything else (or too many digits).
int WholeNumber(const std::string& text) {
    if (text.empty() || text.size() > 6) return -1;
    int value = 0;
    for (char c : text) {
        if (!std::isdigit(static_cast<unsigned char>(c))) return -1;
        value = value * 10 + (c - '0');
    }
    return value;
}
}  // namespace

const RunSetupDialog::Route RunSetupDialog::kRoutes[] = {
    {WM_COMMAND, IDC_RADIOONE, BN_CLICKED, &RunSetupDialog::OnRunAtStartup},
    {WM_COMMAND, IDC_RADIOTWO, BN_CLICKED, &RunSetupDialog::OnPaused},
    {WM_COMMAND, IDC_RADIOTHREE, BN_CLICKED, &RunSetupDialog::OnDelayed},
    {},
};

RunSetupDialog::RunSetupDialog(HWND parent) : DialogImpl(kTemplate, parent) {
    UseRoundedFrame();
    BindText(IDC_RUNSETUP_NAME, &NameText);
    BindText(IDC_RUNSETUP_COMMAND, &CommandText);
}

BOOL RunSetupDialog::OnInitDialog() {
    SetItemText(IDC_RUNSETUP_DELAY, std::to_string(DelayMinutes));
    int checked = Mode == Delayed ? IDC_RADIOTHREE : Mode == Paused ? IDC_RADIOTWO : IDC_RADIOONE;
    CheckRadioButton(hwnd_, IDC_RADIOONE, IDC_RADIOTHREE, checked);
    for (int id : kDelayControls) EnableItem(id, Mode == Delayed);
    SetCaptions(kCaptions);
    SetSpinRange(IDC_RUNSETUP_SPIN, kMinDelay, kMaxDelay);
    return TRUE;
}

bool RunSetupDialog::ReadDelay() {
    if (Mode != Delayed) return true;  // the delay means nothing for the other modes
    int value = WholeNumber(ItemText(IDC_RUNSETUP_DELAY));
    if (value < kMinDelay || value > kMaxDelay) {
        ShowMessage(hwnd_, "strDelayRange", Lang("ProgramName"), MB_OK | MB_ICONEXCLAMATION);
        SetFocus(Item(IDC_RUNSETUP_DELAY));
        return false;
    }
    DelayMinutes = value;
    return true;
}

void RunSetupDialog::ChooseMode(StartupMode mode) {
    Mode = mode;
    for (int id : kDelayControls) EnableItem(id, mode == Delayed);
    ReadDelay();
}

void RunSetupDialog::OnRunAtStartup(DialogMessage&) { ChooseMode(RunAtStartup); }
void RunSetupDialog::OnPaused(DialogMessage&) { ChooseMode(Paused); }
void RunSetupDialog::OnDelayed(DialogMessage&) { ChooseMode(Delayed); }

void RunSetupDialog::OnOK() {
    if (ReadDelay()) EndDialog(IDOK);
}

void RunSetupDialog::OnCancel() {
    // The controls are read as for OK, so a wrong delay is named; the window closes all the same.
    ReadDelay();
    EndDialog(IDCANCEL);
}
