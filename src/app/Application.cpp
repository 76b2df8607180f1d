#include "app/Application.h"

#include <commctrl.h>

#include "app/LogoDialog.h"
#include "app/ProgramPath.h"
#include "app/ResourceText.h"
#include "ui/Dialog.h"
#include "ui/Handles.h"
#include "ui/UiText.h"

const char kMainWindowTitle[] = "Mnemora";

namespace {
const char kInstanceMutex[] = "Mnemora Mutex";
const char kTipsMutex[] = "Memlull Tips Mutex";

// The optional skinning library, reached only by ordinal; absent, nothing happens.
class SkinLibrary {
public:
    void Start(const std::string& skinPath) {
        module_.reset(LoadLibraryA(ProgramFilePath("USkin.dll").c_str()));
        if (!module_) return;
        using StartFn = int(WINAPI*)(const char*, const char*, const char*);
        if (auto start = reinterpret_cast<StartFn>(
                reinterpret_cast<void*>(GetProcAddress(module_.get(), MAKEINTRESOURCEA(1)))))
            start(nullptr, nullptr, skinPath.c_str());
    }
    void End() {
        if (!module_) return;
        using EndFn = int(WINAPI*)();
        if (auto end = reinterpret_cast<EndFn>(reinterpret_cast<void*>(GetProcAddress(module_.get(), MAKEINTRESOURCEA(2)))))
            end();
    }

private:
    UniqueModule module_;
};

// A second copy hands over to the first: restore its window (also when hidden) and end.
void RestoreRunningCopy() {
    HANDLE tips = CreateMutexA(nullptr, FALSE, kTipsMutex);
    if (tips && GetLastError() != ERROR_ALREADY_EXISTS) CloseHandle(tips);
    // An existing tips mutex stays open until this process ends.
    if (HWND running = FindWindowA(nullptr, kMainWindowTitle)) {
        ShowWindow(running, SW_SHOWMINIMIZED);
        ShowWindow(running, SW_SHOWNORMAL);
    }
}
}  // namespace

bool Application::StartUp(MainWindowRunner runMainWindow) {
    SetUiTextSource(&Lang);
    SetUiTextBatchHook(&LanguageBatch);
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_WIN95_CLASSES | ICC_BAR_CLASSES | ICC_UPDOWN_CLASS};
    InitCommonControlsEx(&icc);

    UniqueHandle instance(CreateMutexA(nullptr, FALSE, kInstanceMutex));
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        RestoreRunningCopy();
        return false;
    }
    if (argc_ <= 1) {
        LogoDialog logo;
        logo.RunModal();
    }
    SkinLibrary skin;
    skin.Start(ProgramFilePath("Skin.msstyles"));
    Dialog::SetDialogBkColor(RGB(255, 255, 255), RGB(0, 0, 0));
    runMainWindow(argc_, argv_);
    skin.End();
    instance.reset();
    return false;
}
