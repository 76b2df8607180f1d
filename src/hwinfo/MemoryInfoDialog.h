// The memory-module window: number, size, chip type, package, data width,
// serial number and speed of the installed modules.
#pragma once
#include "ui/Dialog.h"

class MemoryInfoDialog : public DialogImpl<MemoryInfoDialog> {
public:
    static constexpr int kTemplate = 177;
    MemoryInfoDialog();
    static const Route kRoutes[];

private:
    BOOL OnInitDialog() override;
    // Reads the modules and fills the value fields; says so in a box when the service
    // cannot be reached (the fields then stay empty).
    void ShowModules();
};
