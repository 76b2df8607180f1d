#include "hwinfo/MemoryInfoDialog.h"

#include "app/ResourceText.h"
#include "hwinfo/MemoryModules.h"
#include "resource.h"
#include "ui/MessageBox.h"

static_assert(MemoryInfoDialog::kTemplate == IDD_MEMINFO_DIALOG, "template id");

namespace {
const Caption kCaptions[] = {
    {Dialog::kWindowTitle, "IDC_DIALOGHDINFO"},
    CAPTION(IDC_STATICHD1), CAPTION(IDC_STATICHD2), CAPTION(IDC_STATICHD3), CAPTION(IDC_STATICHD4),
    CAPTION(IDC_STATICHD5), CAPTION(IDC_STATICHD6), CAPTION(IDC_STATICHD7), CAPTION(IDC_STATICHD8),
    CAPTION(IDC_STATICHD9),
};
}  // namespace

const MemoryInfoDialog::Route MemoryInfoDialog::kRoutes[] = {
    {},
};

MemoryInfoDialog::MemoryInfoDialog() : DialogImpl(kTemplate) { UseRoundedFrame(); }

BOOL MemoryInfoDialog::OnInitDialog() {
    SetCaptions(kCaptions);
    ShowModules();
    return TRUE;
}

void MemoryInfoDialog::ShowModules() {
    ModuleLists lists;
    if (!ReadModuleLists(lists)) {
        // Not from English.ini: a diagnostic of failed system calls, the same in every language.
        ShowMessageText(hwnd_, "Failed to initialize COM library!", "Error", MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    MemoryInfoFields f = FillMemoryInfo(lists, Lang("strUnknow"));
    const struct {
        int id;
        const std::string& text;
    } kFields[] = {
        {IDC_MODULE_COUNT, f.count},       {IDC_MODULE_SIZE, f.size},
        {IDC_MODULE_CHIP, f.chipType},     {IDC_MODULE_PACKAGE, f.package},
        {IDC_MODULE_STATUS, f.status},     {IDC_MODULE_WIDTH, f.dataWidth},
        {IDC_MODULE_SERIAL, f.serialNumber}, {IDC_MODULE_TECHNOLOGY, f.technology},
        {IDC_MODULE_SPEED, f.speed},
    };
    for (const auto& field : kFields) SetItemText(field.id, field.text);
}
