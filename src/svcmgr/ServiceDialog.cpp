#include "svcmgr/ServiceDialog.h"

#include <shellapi.h>

#include "app/Application.h"
#include "app/ResourceText.h"
#include "svcmgr/KnownServices.h"
#include "svcmgr/ServiceRows.h"
#include "ui/Dpi.h"
#include "ui/MessageBox.h"
#include "ui/UiText.h"

namespace {
const Caption kCaptions[] = {
    {Dialog::kWindowTitle, "IDD_SERVICE_DIALOG"},
    CAPTION(IDC_STOPSEVALL_BT), CAPTION(IDC_StartSEVALL_BT), CAPTION(IDC_STOPSEVONE_BT),
    CAPTION(IDC_StartSEVONE_BT), CAPTION(IDC_STARTSYSSEVBT), CAPTION(IDC_STATICSERVICESM),
    {IDCANCEL, "IDCANCELINSM"},
};

const ListColumn kColumns[] = {
    {"MSITEM1", 200, LVCFMT_LEFT},
    {"MSITEM2", 60, LVCFMT_LEFT},
    {"MSITEM4", 240, LVCFMT_LEFT},
    {"MSITEM5", 0, LVCFMT_LEFT},
};

const int kDescriptionColumn = 2;

HICON LoadSmallIcon(int id, int dpi) {
    const int side = SmallIconSize(dpi);
    return static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), IMAGE_ICON, side, side, 0));
}
}  // namespace

const ServiceDialog::Route ServiceDialog::kRoutes[] = {
    {WM_NOTIFY, IDC_SERVICE_LIST, NM_CLICK, &ServiceDialog::OnListClick},
    {WM_COMMAND, IDC_StartSEVONE_BT, BN_CLICKED, &ServiceDialog::OnStartOne},
    {WM_COMMAND, IDC_STOPSEVONE_BT, BN_CLICKED, &ServiceDialog::OnStopOne},
    {WM_COMMAND, IDC_StartSEVALL_BT, BN_CLICKED, &ServiceDialog::OnStartAll},
    {WM_COMMAND, IDC_STOPSEVALL_BT, BN_CLICKED, &ServiceDialog::OnStopAll},
    {WM_COMMAND, IDC_STARTSYSSEVBT, BN_CLICKED, &ServiceDialog::OnServicesConsole},
    {},
};

ServiceDialog::ServiceDialog(ServiceLoader loader) : DialogImpl(kTemplate), api_(std::move(loader)) {
    UseRoundedFrame();
}

BOOL ServiceDialog::OnInitDialog() {
    SetCaptions(kCaptions);
    SetUpList();
    if (!api_.BindServiceApi()) {
        ShowMessage(hwnd_, "strErrorServiceSupport", kMainWindowTitle);
        EndDialog(IDOK);
        return TRUE;
    }
    FillServiceList();
    EnableItem(IDC_STOPSEVONE_BT, false);
    EnableItem(IDC_StartSEVONE_BT, false);
    return TRUE;
}

void ServiceDialog::SetUpList() {
    list_.SetUpToolList(Item(IDC_SERVICE_LIST), kColumns);
    stoppedIcon_.reset(LoadSmallIcon(IDI_SERVICE_STOPPED, Dpi()));
    runningIcon_.reset(LoadSmallIcon(IDI_SERVICE_RUNNING, Dpi()));
    list_.AddIcon(stoppedIcon_.get());  // image 0: not running
    list_.AddIcon(runningIcon_.get());  // image 1: running
}

int ServiceDialog::FillServiceList() {
    UiTextBatch texts;  // the state texts of fifteen rows from one read of the language file
    list_.Clear();
    if (!api_.ConnectServiceManager()) {
        ReportServiceError("Open SCMdatabase Error!");
        return 0;
    }
    std::vector<ServiceRowState> states(kKnownServiceCount);
    for (int k = 0; k < kKnownServiceCount; ++k)
        states[k].running = api_.QueryServiceInfo(KnownServices[k].serviceName, states[k].info) == 1;
    list_.SetRows(ServiceRows(states));
    return 1;
}

void ServiceDialog::OnListClick(DialogMessage& m) {
    m.result = 0;
    int row = list_.FocusedRow();
    if (row < 0) return;
    EnableItem(IDC_STOPSEVONE_BT, true);
    EnableItem(IDC_StartSEVONE_BT, true);
    SetItemText(IDC_STATICSERVICESM, Lang("strServiceGuide") + list_.Text(row, kDescriptionColumn));
}

void ServiceDialog::OnStartOne(DialogMessage&) {
    int row = list_.FocusedRow();
    if (row < 0 || row >= kKnownServiceCount) return;
    api_.StartServiceAuto(KnownServices[row].serviceName);
    FillAfterChange();
}

void ServiceDialog::OnStopOne(DialogMessage&) {
    int row = list_.FocusedRow();
    if (row < 0 || row >= kKnownServiceCount) return;
    api_.StopServiceManual(KnownServices[row].serviceName);
    FillAfterChange();
}

void ServiceDialog::OnStartAll(DialogMessage&) {
    for (const KnownService& service : KnownServices) api_.StartServiceAuto(service.serviceName);
    FillAfterChange();
}

void ServiceDialog::OnStopAll(DialogMessage&) {
    for (const KnownService& service : KnownServices) api_.StopServiceManual(service.serviceName);
    FillAfterChange();
}

void ServiceDialog::FillAfterChange() {
    FillServiceList();
    // Other failures show in the refreshed states; a refusal would look like nothing happened.
    if (api_.TakeRefusal())
        ShowMessage(hwnd_, "strServiceRefused", kMainWindowTitle, MB_OK | MB_ICONEXCLAMATION);
}

void ServiceDialog::OnServicesConsole(DialogMessage&) {
    char path[1024] = {};
    UINT length = GetSystemDirectoryA(path, sizeof path);
    if (length == 0 || length >= sizeof path) return;
    std::string console = std::string(path) + "\\services.msc";
    ShellExecuteA(hwnd_, "open", console.c_str(), "/s", "", SW_SHOWMAXIMIZED);
}

void ServiceDialog::OnCancel() {
    api_.Release();
    EndDialog(IDCANCEL);
}
