// The start-up items manager: every item of the seven places with its command
// line and state; set its mode, delete it, or run it now.
#pragma once
#include <vector>

#include "resource.h"
#include "startup/StartupItem.h"
#include "ui/Dialog.h"
#include "ui/FileIcon.h"
#include "ui/ListView.h"

class StartupManagerDialog : public DialogImpl<StartupManagerDialog> {
public:
    static constexpr int kTemplate = IDD_AUTORUN_DIALOG;
    static const Route kRoutes[];

    StartupManagerDialog();

    // Reads every item again and rebuilds the rows; no row keeps the focus.
    void FillStartupList();

private:
    BOOL OnInitDialog() override;
    void OnListClick(DialogMessage& m);
    void OnListDoubleClick(DialogMessage& m);
    void OnIconRequest(DialogMessage& m);
    void OnSet(DialogMessage& m);
    void OnDelete(DialogMessage& m);
    void OnRun(DialogMessage& m);
    // The item of the first row with the focus bit; false when no row has it.
    bool FocusedItem(StartupItem& item) const;
    void EnableActions(bool enable);
    void SetItem(const StartupItem& item);

    ListView list_;
    FileIconCache icons_;
    std::vector<StartupItem> items_;  // row k shows items_[k]
};
