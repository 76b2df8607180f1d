// The cache settings window: the disk I/O cache size from a slider whose
// end depends on the installed memory, and (hidden) the CD cache and the page-file switch.
#pragma once
#include "ui/Dialog.h"

class CacheSetupDialog : public DialogImpl<CacheSetupDialog> {
public:
    static constexpr int kTemplate = 129;
    // Reads the page-file setting and takes the one-time backup of the values it changes.
    CacheSetupDialog();
    static const Route kRoutes[];

    // Sets both sliders and their labels from the installed memory and the stored positions.
    void InitCacheControls();

private:
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnSave(DialogMessage& m);
    void OnRestore(DialogMessage& m);
    void OnSliderMoved(DialogMessage& m);
    void ShowSliderLabel(int sliderId);

    bool clearPageFile_ = false;
};
