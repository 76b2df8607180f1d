#include "cache/CacheSetupDialog.h"

#include <commctrl.h>

#include "app/Application.h"
#include "app/ResourceText.h"
#include "cache/CacheRegistry.h"
#include "cache/CacheTables.h"
#include "probes/MemoryStatus.h"
#include "resource.h"
#include "ui/MessageBox.h"

static_assert(CacheSetupDialog::kTemplate == IDD_CACHE_DIALOG, "template id");

namespace {
const Caption kCaptions[] = {
    {Dialog::kWindowTitle, "IDC_BUTTONOT1"},
    CAPTION(IDC_STATICHDIOCACHE), CAPTION(IDC_STATICCKG1), CAPTION(IDC_STATICCDIOCACHE),
    CAPTION(IDC_PAGECLEAN_CHECK), CAPTION(IDC_RESTORECACHE_BUTTON), CAPTION(IDC_BUTTONSURECACHE),
    {IDOK, "IDOKINCACHE"},
};
}  // namespace

const CacheSetupDialog::Route CacheSetupDialog::kRoutes[] = {
    {WM_COMMAND, IDC_BUTTONSURECACHE, BN_CLICKED, &CacheSetupDialog::OnSave},
    {WM_COMMAND, IDC_RESTORECACHE_BUTTON, BN_CLICKED, &CacheSetupDialog::OnRestore},
    {WM_NOTIFY, IDC_HDCACHE_SLIDER, NM_RELEASEDCAPTURE, &CacheSetupDialog::OnSliderMoved},
    {WM_NOTIFY, IDC_CDCACHE_SLIDER, NM_RELEASEDCAPTURE, &CacheSetupDialog::OnSliderMoved},
    // Keys move a slider without capturing the mouse: its label follows here.
    {WM_HSCROLL, 0, 0, &CacheSetupDialog::OnSliderMoved},
    {},
};

CacheSetupDialog::CacheSetupDialog() : DialogImpl(kTemplate) {
    UseRoundedFrame();
    clearPageFile_ = ReadClearPageFile();
    TakeCacheBackupOnce();
    BindCheck(IDC_PAGECLEAN_CHECK, &clearPageFile_);
}

BOOL CacheSetupDialog::OnInitDialog() {
    InitCacheControls();
    SetCaptions(kCaptions);
    return TRUE;
}

void CacheSetupDialog::InitCacheControls() {
    SetSliderRange(IDC_CDCACHE_SLIDER, 0, kCdSteps - 1);
    SetItemText(IDC_HDCACHE_MIN, "4 MB");
    SetItemText(IDC_CDCACHE_MIN, KilobyteText(CdStepAt(0).sizeKB));
    SetItemText(IDC_CDCACHE_MAX, KilobyteText(CdStepAt(kCdSteps - 1).sizeKB));

    const int highest = HighestDiskPosition(InstalledPhysMB());
    SetSliderRange(IDC_HDCACHE_SLIDER, 0, highest);
    SetItemText(IDC_HDCACHE_MAX, DiskRangeText(highest));

    // A stored position the memory no longer allows leaves the slider at its end while
    // the label shows the stored size; one past the tables reads as their last entry.
    StoredCachePositions stored = ReadStoredCachePositions();
    DWORD disk = stored.hasDisk ? stored.disk : static_cast<DWORD>(highest);
    SetSliderPos(IDC_HDCACHE_SLIDER, StoredPosition(disk, highest));
    SetItemText(IDC_HDCACHE_VALUE, DiskSizeText(StoredPosition(disk, kDiskSteps - 1)));
    const int cd = StoredPosition(stored.cd, kCdSteps - 1);
    SetSliderPos(IDC_CDCACHE_SLIDER, cd);
    SetItemText(IDC_CDCACHE_VALUE, CdSettingText(cd));
}

void CacheSetupDialog::ShowSliderLabel(int sliderId) {
    if (sliderId == IDC_HDCACHE_SLIDER)
        SetItemText(IDC_HDCACHE_VALUE, DiskSizeText(SliderPos(IDC_HDCACHE_SLIDER)));
    else if (sliderId == IDC_CDCACHE_SLIDER)
        SetItemText(IDC_CDCACHE_VALUE, CdMovedText(SliderPos(IDC_CDCACHE_SLIDER)));
}

void CacheSetupDialog::OnSliderMoved(DialogMessage& m) {
    if (m.message == WM_HSCROLL)
        ShowSliderLabel(GetDlgCtrlID(reinterpret_cast<HWND>(m.lParam)));
    else
        ShowSliderLabel(static_cast<int>(m.id));
}

void CacheSetupDialog::OnSave(DialogMessage&) {
    ReadControls();
    LONG status =
        SaveCacheSettings(SliderPos(IDC_CDCACHE_SLIDER), SliderPos(IDC_HDCACHE_SLIDER), clearPageFile_);
    InitCacheControls();
    ShowMessage(hwnd_, status == ERROR_SUCCESS ? "MessageCacheSetupEnd" : "MessageCacheRefused", kMainWindowTitle);
}

void CacheSetupDialog::OnRestore(DialogMessage&) {
    LONG status = RestoreCacheSettings();
    InitCacheControls();
    ShowMessage(hwnd_, status == ERROR_SUCCESS ? "MessageCacheRestore" : "MessageCacheRefused", kMainWindowTitle);
}

void CacheSetupDialog::OnOK() {
    ReadControls();
    // The page-file box is applied on closing; a refusal that leaves another setting than the
    // box shows is said before the window goes.
    if (ApplyClearPageFile(clearPageFile_) != ERROR_SUCCESS && ReadClearPageFile() != (clearPageFile_))
        ShowMessage(hwnd_, "MessageCacheRefused", kMainWindowTitle);
    EndDialog(IDOK);
}
