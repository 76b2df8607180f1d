// Runs the service window by itself with a loader that cannot find one entry point, as on
// a system without it:  svcmgr_window_host.exe ENTRY_POINT
// The exit code is the dialog's result.
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "app/ResourceText.h"
#include "svcmgr/ServiceDialog.h"
#include "ui/UiText.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    SetUiTextSource(&Lang);
    SetUiTextBatchHook(&LanguageBatch);
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);
    std::string missing = __argc > 1 ? __argv[1] : "";
    ServiceLoader loader;
    loader.lookup = [missing](HMODULE module, const char* name) -> FARPROC {
        return missing == name ? nullptr : GetProcAddress(module, name);
    };
    ServiceDialog dialog(loader);
    return static_cast<int>(dialog.RunModal());
}
