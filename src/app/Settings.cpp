#include "app/Settings.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <utility>

#include "app/LogonTask.h"
#include "app/ProgramPath.h"
#include "app/RegistryKey.h"

SettingsSnapshot gSettingsSnapshot;

namespace {
const char kAutoRunValue[] = "Ramvane";

void ReadSwitch(const RegistryKey& key, const DwordSetting& setting, bool& member) {
    DWORD value = 0;
    if (key.QueryDword(value, setting.name) == ERROR_SUCCESS) member = value != 0;
}

bool RunValueReadable() {
    RegistryKey key;
    std::string command;
    return key.Open(HKEY_LOCAL_MACHINE, kRunKeyPath, KEY_READ) == ERROR_SUCCESS &&
           key.QueryString(command, kAutoRunValue, kMaxAutoRunCommandChars + 1) == ERROR_SUCCESS;
}

// Any value of the name, whatever its type or length.
bool RunValueExists() {
    RegistryKey key;
    return key.Open(HKEY_LOCAL_MACHINE, kRunKeyPath, KEY_READ) == ERROR_SUCCESS &&
           RegQueryValueExA(key.Get(), kAutoRunValue, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}
}  // namespace

void LoadMainSettings(MainSettings& s, AutoRunPlace place) {
    s = MainSettings();
    RegistryKey key;
    // Read access only: a user without administrator rights still sees what is stored.
    if (key.Open(HKEY_LOCAL_MACHINE, kProgramKeyPath, KEY_READ) == ERROR_SUCCESS) {
        ReadSwitch(key, kSoundAlert, s.sound);
        ReadSwitch(key, kAutoDefrag, s.autoDefrag);
        ReadSwitch(key, kCleanClipBoard, s.clipboard);
        DWORD threshold = 0;
        if (key.QueryDword(threshold, kRamAlertValue.name, 0, kHighestStoredThreshold) == ERROR_SUCCESS)
            s.threshold = std::to_string(static_cast<int>(threshold));
        ReadSwitch(key, kBuildReport, s.report);
        key.Close();
    }
    if (key.Open(HKEY_LOCAL_MACHINE, kProgramKeyPath, KEY_READ) == ERROR_SUCCESS) {
        DWORD notice = 0;
        if (key.QueryDword(notice, kNoticeDialog.name) == ERROR_SUCCESS) s.askBeforeRun = notice == 1;
        key.Close();
    }
    if (key.Open(HKEY_LOCAL_MACHINE, kProgramKeyPath, KEY_READ) == ERROR_SUCCESS) {
        DWORD tips = 0;
        if (key.QueryDword(tips, kOtherFunctionTips.name) == ERROR_SUCCESS) s.toolsNoWarning = tips == 1;
        key.Close();
    }
    s.autoRun = AutoRunStored(place);
    s.percent = ReadSetting(kPerch) != 0;
    s.logoOff = ReadSetting(kDisableLogo) == 1;
    s.hotKey = ReadSettingString(kHotKey.name);
    if (s.hotKey.size() != 1) s.hotKey = kHotKey.byDefault;
    s.runKind = static_cast<int>(ReadSetting(kRunKind, 0, kListsRunKind));
    s.interval = std::to_string(ReadSetting(kRunInterval, 0, kLongestIntervalMinutes));
}

LONG WriteMainValues(const MainSettings& s, int userType, int sliderPos) {
    RegistryKey key;
    LONG status = key.Open(HKEY_LOCAL_MACHINE, kProgramKeyPath);
    if (status != ERROR_SUCCESS) return status;
    const struct {
        DWORD value;
        const char* name;
    } values[] = {
        {static_cast<DWORD>(userType), kUserType.name},
        {s.sound ? 1u : 0u, kSoundAlert.name},
        {s.autoDefrag ? 1u : 0u, kAutoDefrag.name},
        {s.clipboard ? 1u : 0u, kCleanClipBoard.name},
        {static_cast<DWORD>(std::atoi(s.threshold.c_str())), kRamAlertValue.name},
        {static_cast<DWORD>(sliderPos), kSliderPos.name},
        {s.report ? 1u : 0u, kBuildReport.name},
        {s.askBeforeRun ? 1u : 0u, kNoticeDialog.name},
        {static_cast<DWORD>(s.runKind == static_cast<int>(kListsRunKind) ? kListsRunKind : 0), kRunKind.name},
        {static_cast<DWORD>(std::atol(IntervalText(s.interval).c_str())), kRunInterval.name},
    };
    for (const auto& v : values) {
        LONG written = key.SetDword(v.value, v.name);
        if (status == ERROR_SUCCESS) status = written;
    }
    return status;
}

void SaveMainSettings(const MainSettings& s, int userType, int sliderPos, AutoRunPlace place) {
    WriteMainValues(s, userType, sliderPos);
    WriteAutoRun(s.autoRun, place);
}

bool AutoRunStored(AutoRunPlace place) {
    if (place == AutoRunPlace::LogonTask && LogonTaskExists()) return true;
    return RunValueReadable();
}

LONG WriteAutoRun(bool on, AutoRunPlace place) { return WriteAutoRun(on, place, ExecutablePath()); }

LONG WriteAutoRun(bool on, AutoRunPlace place, const std::string& exePath) {
    if (place == AutoRunPlace::RunValue) return WriteAutoRunEntry(on, exePath);
    if (on) {
        LONG status = RegisterLogonTask(exePath);
        // The task replaces the value, which Windows would not start; a value that stays
        // (the delete refused) is moved again at the next write.
        if (status == ERROR_SUCCESS) WriteAutoRunEntry(false, exePath);
        return status;
    }
    LONG task = DeleteLogonTask();
    LONG value = WriteAutoRunEntry(false, exePath);
    return task != ERROR_SUCCESS ? task : value;
}

std::string IntervalText(const std::string& text) {
    long minutes = std::atol(text.c_str());
    return std::to_string(std::min<long>(std::max<long>(minutes, 0), static_cast<long>(kLongestIntervalMinutes)));
}

std::string AutoRunCommand(const std::string& exePath) {
    if (exePath.empty() || exePath.size() > kMaxAutoRunPathChars) return std::string();
    return exePath + " -PowerOn";
}

LONG WriteAutoRunEntry(bool on, const std::string& exePath) {
    // Nothing to delete is no refusal, also for a user who may not write the key.
    if (!on && !RunValueExists()) return ERROR_SUCCESS;
    RegistryKey key;
    LONG status = key.Open(HKEY_LOCAL_MACHINE, kRunKeyPath);
    if (status != ERROR_SUCCESS) return status;
    if (!on) return key.DeleteValue(kAutoRunValue);
    std::string command = AutoRunCommand(exePath);
    if (command.empty()) return ERROR_FILENAME_EXCED_RANGE;
    // The one text longer than the usual 255 characters: the entry has a buffer of its own.
    return key.SetString(command, kAutoRunValue, kMaxAutoRunCommandChars);
}

void ReloadSettingsSnapshot() {
    // Through the watched reads (a missing or unreadable value keeps the switch as it was).
    for (auto [setting, member] : {std::pair<const DwordSetting*, bool*>{&kSoundAlert, &gSettingsSnapshot.soundAlert},
                                   {&kAutoDefrag, &gSettingsSnapshot.autoDefrag}})
        *member = ReadSettingDword(setting->name, *member ? 1 : 0) != 0;
}
