// Fixture of the tests that run the program: no copy left from an earlier test and no stored
// settings when a test begins; the program ended and its settings removed when it ends.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "app/RegistryKey.h"
#include "driver/TestDriver.h"
#include "resource.h"

// For a check of what the program stores: under refused rights (a user without administrator
// rights) nothing can be stored, and RefusedRightsTest checks what the program says instead.
#define SKIP_WITHOUT_RIGHTS()                                                             \
    do {                                                                                  \
        if (::driver::RightsRefused()) GTEST_SKIP() << "needs administrator rights here"; \
    } while (0)

namespace driver {

const DWORD kStartMs = 20000;  // a start under a loaded Wine, with room

class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        KillStrays();
        DeleteKeyTree(HKEY_LOCAL_MACHINE, kProgramKeyPath);
    }
    void TearDown() override {
        app_.Kill();
        DeleteKeyTree(HKEY_LOCAL_MACHINE, kProgramKeyPath);
    }
    // Starts the program (an argument means no logo) and waits until its modal loop has
    // refreshed the main window once; nullptr when either does not come in time.
    HWND StartMain(const std::string& args = "/x", const std::string& exe = ProgramExe()) {
        if (!app_.Start(exe, args)) return nullptr;
        HWND main = WaitForWindow("Mnemora", app_.Pid(), kStartMs);
        if (main && !WaitUntil([&] { return ControlText(main, IDC_CLOCK).find(':') != std::string::npos; }, 5000))
            return nullptr;
        return main;
    }
    AppProcess app_;
};

}  // namespace driver
