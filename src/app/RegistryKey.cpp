#include "app/RegistryKey.h"

#include <cstring>

#include "ui/CriticalSection.h"
#include "ui/Handles.h"

const char kProgramKeyPath[] = "Software\\Ramvane";
const char kRunKeyPath[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

LONG RegistryKey::Open(HKEY parent, const char* subKey, REGSAM access) {
    HKEY key = nullptr;
    LONG status = RegOpenKeyExA(parent, subKey, 0, access, &key);
    if (status != ERROR_SUCCESS) return status;
    Close();
    key_ = key;
    return status;
}

LONG RegistryKey::Create(const char* subKey, const char* className, DWORD options, REGSAM access,
                         SECURITY_ATTRIBUTES* security, DWORD* disposition) {
    HKEY key = nullptr;
    DWORD disp = 0;
    LONG status = RegCreateKeyExA(key_, subKey, 0, const_cast<char*>(className), options, access, security, &key, &disp);
    Close();
    if (status != ERROR_SUCCESS) return status;
    if (disposition) *disposition = disp;
    key_ = key;
    return status;
}

LONG RegistryKey::Close() {
    if (!key_) return ERROR_SUCCESS;
    LONG status = RegCloseKey(key_);
    key_ = nullptr;
    return status;
}

LONG RegistryKey::QueryDword(DWORD& number, const char* name) const {
    BYTE data[4] = {};
    DWORD size = sizeof data;
    DWORD type = REG_NONE;
    LONG status = RegQueryValueExA(key_, name, nullptr, &type, data, &size);
    if (status != ERROR_SUCCESS) return status;
    // Windows 9x keeps its numbers (CDFS, PerfStats) as 4-byte binaries, so those count; a
    // short text such as "12" would read as 0x3231, and an empty value holds no number.
    if ((type != REG_DWORD && type != REG_BINARY) || size == 0) return ERROR_INVALID_DATA;
    number = static_cast<DWORD>(data[0]) | static_cast<DWORD>(data[1]) << 8 | static_cast<DWORD>(data[2]) << 16 |
             static_cast<DWORD>(data[3]) << 24;
    return status;
}

LONG RegistryKey::QueryDword(DWORD& number, const char* name, DWORD low, DWORD high) const {
    DWORD value = 0;
    LONG status = QueryDword(value, name);
    if (status != ERROR_SUCCESS) return status;
    if (value < low || value > high) return ERROR_INVALID_DATA;
    number = value;
    return status;
}

LONG RegistryKey::QueryString(std::string& text, const char* name, size_t maxBytes) const {
    std::string data(maxBytes + 1, '\0');  // one spare byte keeps the text terminated when maxBytes came
    DWORD size = static_cast<DWORD>(maxBytes);
    DWORD type = REG_NONE;
    LONG status = RegQueryValueExA(key_, name, nullptr, &type, reinterpret_cast<BYTE*>(&data[0]), &size);
    // A number's bytes would read as a few stray characters.
    if (status == ERROR_SUCCESS && type != REG_SZ && type != REG_EXPAND_SZ && type != REG_MULTI_SZ)
        status = ERROR_INVALID_DATA;
    if (status != ERROR_SUCCESS) {
        text.clear();
        return status;
    }
    text.assign(data.c_str(), strnlen(data.c_str(), size));
    return status;
}

LONG RegistryKey::SetDword(DWORD number, const char* name) const {
    return RegSetValueExA(key_, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof number);
}

LONG RegistryKey::SetString(const std::string& text, const char* name, size_t maxChars, DWORD type) const {
    if (text.size() > maxChars) return ERROR_INVALID_PARAMETER;
    return RegSetValueExA(key_, name, 0, type, reinterpret_cast<const BYTE*>(text.c_str()),
                          static_cast<DWORD>(text.size() + 1));
}

LONG RegistryKey::DeleteValue(const char* name) const { return RegDeleteValueA(key_, name); }

LONG RegistryKey::DeleteSubKey(const char* name) const { return RegDeleteKeyA(key_, name); }

std::string RegistryKey::EnumValueName(DWORD index) const {
    char name[256] = {};
    DWORD nameSize = sizeof name;
    BYTE data[256];
    DWORD dataSize = sizeof data;
    if (RegEnumValueA(key_, index, name, &nameSize, nullptr, nullptr, data, &dataSize) != ERROR_SUCCESS)
        return std::string();
    return std::string(name, nameSize);
}

bool RegistryKey::EnumValueNames(std::vector<std::string>& names) const {
    bool appended = false;
    for (DWORD i = 0; i < 30000; ++i) {
        std::string name = EnumValueName(i);
        if (name.empty()) break;
        names.push_back(name);
        appended = true;
    }
    return appended;
}

namespace {
// Opens the program key with `access`, creating it when it cannot be opened; true when it
// existed. Reading asks for read access only: a user without administrator rights may read
// the machine's keys but not write them.
bool OpenProgramKey(RegistryKey& key, REGSAM access) {
    if (key.Open(HKEY_LOCAL_MACHINE, kProgramKeyPath, access) == ERROR_SUCCESS) return true;
    if (key.Open(HKEY_LOCAL_MACHINE, "Software") == ERROR_SUCCESS) key.Create("Ramvane");
    return false;
}

// Opens the program key for writing, creating it when missing; the status of the last step.
LONG OpenProgramKeyToWrite(RegistryKey& key) {
    LONG status = key.Open(HKEY_LOCAL_MACHINE, kProgramKeyPath);
    if (status == ERROR_SUCCESS) return status;
    status = key.Open(HKEY_LOCAL_MACHINE, "Software");
    return status == ERROR_SUCCESS ? key.Create("Ramvane") : status;
}
}  // namespace

namespace {
// The program's own numbers are asked for every second (the low-memory tick), each read an
// open, a query and a close. On the NT line the key is watched instead and a number is asked
// again only after the key changed; where no key can be watched (the 9x line answers an
// asynchronous watch with an error, or the key cannot be opened) every read asks the
// registry, as before.
class ProgramNumbers {
public:
    DWORD Read(const char* name, DWORD defaultValue, bool ranged, DWORD low, DWORD high) {
        CriticalSection::Hold hold(lock_);
        const bool watched = Unchanged();
        if (watched)
            for (const Number& n : numbers_)
                if (n.name == name && n.byDefault == defaultValue && n.ranged == ranged && n.low == low &&
                    n.high == high)
                    return n.value;
        RegistryKey key;
        DWORD value = defaultValue;
        if (!OpenProgramKey(key, KEY_READ)) return value;
        if (ranged)
            key.QueryDword(value, name, low, high);
        else
            key.QueryDword(value, name);
        if (watched) numbers_.push_back({name, defaultValue, ranged, low, high, value});
        return value;
    }

private:
    struct Number {
        std::string name;
        DWORD byDefault;
        bool ranged;
        DWORD low, high;
        DWORD value;
    };
    using NotifyFn = LONG(WINAPI*)(HKEY, BOOL, DWORD, HANDLE, BOOL);

    // True when the kept numbers still hold: the key and its parent are watched and neither
    // changed since (a deleted and remade key tells only its parent). After a change the
    // numbers go and both are watched anew.
    bool Unchanged() {
        if (watching_) {
            HANDLE events[] = {changed_[0].get(), changed_[1].get()};
            if (WaitForMultipleObjects(2, events, FALSE, 0) == WAIT_TIMEOUT) return true;
        }
        numbers_.clear();
        watching_ = false;
        static const auto notify = reinterpret_cast<NotifyFn>(
            reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("advapi32.dll"), "RegNotifyChangeKeyValue")));
        if (!notify) return false;
        for (UniqueHandle& event : changed_) {
            if (!event) event.reset(CreateEventA(nullptr, FALSE, FALSE, nullptr));
            if (!event) return false;
            ResetEvent(event.get());
        }
        if (parent_.Open(HKEY_LOCAL_MACHINE, "Software", KEY_NOTIFY) != ERROR_SUCCESS ||
            key_.Open(HKEY_LOCAL_MACHINE, kProgramKeyPath, KEY_NOTIFY) != ERROR_SUCCESS)
            return false;
        watching_ = notify(parent_.Get(), FALSE, REG_NOTIFY_CHANGE_NAME, changed_[0].get(), TRUE) == ERROR_SUCCESS &&
                    notify(key_.Get(), FALSE, REG_NOTIFY_CHANGE_NAME | REG_NOTIFY_CHANGE_LAST_SET, changed_[1].get(),
                           TRUE) == ERROR_SUCCESS;
        if (!watching_) {
            key_.Close();
            parent_.Close();
        }
        return false;  // this read asks the registry; the next ones may be answered
    }

    CriticalSection lock_;  // the optimization run's thread reads settings too
    RegistryKey parent_, key_;
    UniqueHandle changed_[2];  // parent_'s, key_'s
    bool watching_ = false;
    std::vector<Number> numbers_;
};

ProgramNumbers& Numbers() {
    static ProgramNumbers& numbers = *new ProgramNumbers;  // never destroyed: read until the end
    return numbers;
}
}  // namespace

DWORD ReadSettingDword(const char* name, DWORD defaultValue) { return Numbers().Read(name, defaultValue, false, 0, 0); }

DWORD ReadSettingDword(const char* name, DWORD defaultValue, DWORD low, DWORD high) {
    return Numbers().Read(name, defaultValue, true, low, high);
}

std::string ReadSettingString(const char* name) {
    RegistryKey key;
    std::string value;
    if (OpenProgramKey(key, KEY_READ)) key.QueryString(value, name);
    return value;
}

LONG WriteSettingDword(const char* name, DWORD value) {
    RegistryKey key;
    LONG status = OpenProgramKeyToWrite(key);
    return status == ERROR_SUCCESS ? key.SetDword(value, name) : status;
}

LONG WriteSettingString(const char* name, const std::string& value) {
    RegistryKey key;
    LONG status = OpenProgramKeyToWrite(key);
    return status == ERROR_SUCCESS ? key.SetString(value, name) : status;
}
