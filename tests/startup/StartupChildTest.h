// Fixture of the start-up tests whose items run startup_child.exe, which appends its tag and
// a line end to the marker file it is given: the marker, Delay.cfg beside the program, the
// program's settings, the program and stray children are gone before and after each test.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "app/IniFile.h"
#include "app/RegistryKey.h"
#include "driver/TestDriver.h"

class StartupChildTest : public ::testing::Test {
protected:
    // `markerName`: the marker's file name in the temporary folder.
    explicit StartupChildTest(const char* markerName) : markerName_(markerName) {}
    void SetUp() override {
        char temp[MAX_PATH];
        GetTempPathA(sizeof temp, temp);
        marker_ = std::string(temp) + markerName_;
        delayFile_ = driver::ProgramDir() + "\\Delay.cfg";
        TearDown();
    }
    void TearDown() override {
        app_.Kill();
        driver::KillStrays();
        driver::KillStrays("startup_child.exe");
        driver::DeleteKeyTree(HKEY_LOCAL_MACHINE, kProgramKeyPath);
        DeleteFileA(marker_.c_str());
        DeleteFileA(delayFile_.c_str());
    }
    // What the started children wrote, in the order they started.
    std::string Marker() const {
        std::string bytes;
        IniFile::ReadBytes(marker_, bytes);
        return bytes;
    }
    driver::AppProcess app_;
    std::string marker_, delayFile_;

private:
    const char* markerName_;
};
