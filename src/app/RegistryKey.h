// One open registry key with number and string access; statuses are Win32 error codes.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

class RegistryKey {
public:
    RegistryKey() = default;
    virtual ~RegistryKey() { Close(); }
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;

    // On success the new key replaces the held one; on failure the held one stays.
    LONG Open(HKEY parent, const char* subKey, REGSAM access = KEY_ALL_ACCESS);
    // Creates or opens `subKey` below the held key. On success it replaces the held one; on
    // failure the object holds no key, so later writes fail instead of landing in the parent.
    LONG Create(const char* subKey, const char* className = nullptr, DWORD options = 0,
                REGSAM access = KEY_ALL_ACCESS, SECURITY_ATTRIBUTES* security = nullptr,
                DWORD* disposition = nullptr);
    LONG Close();
    HKEY Get() const { return key_; }

    // A REG_DWORD or REG_BINARY of 1 to 4 bytes, read as a little-endian number; other types
    // and empty values fail with ERROR_INVALID_DATA. On failure `number` keeps what the
    // caller put there.
    LONG QueryDword(DWORD& number, const char* name) const;
    // As above, and a number outside [low, high] fails with ERROR_INVALID_DATA too.
    LONG QueryDword(DWORD& number, const char* name, DWORD low, DWORD high) const;
    // A REG_SZ, REG_EXPAND_SZ or REG_MULTI_SZ up to its first NUL; on failure (missing,
    // over `maxBytes`, another type: ERROR_INVALID_DATA) `text` becomes "".
    LONG QueryString(std::string& text, const char* name, size_t maxBytes = 256) const;
    LONG SetDword(DWORD number, const char* name) const;
    // REG_SZ (or `type`, REG_EXPAND_SZ) of at most `maxChars` characters; a longer text is
    // refused (ERROR_INVALID_PARAMETER) rather than written cut.
    LONG SetString(const std::string& text, const char* name, size_t maxChars = kMaxStringChars,
                   DWORD type = REG_SZ) const;
    LONG DeleteValue(const char* name) const;
    LONG DeleteSubKey(const char* name) const;
    // Name of the value at `index`, "" on any failure (including data over 256 bytes).
    std::string EnumValueName(DWORD index) const;
    // Appends names from index 0 until the first empty one; true when one was appended.
    bool EnumValueNames(std::vector<std::string>& names) const;

    static constexpr size_t kMaxStringChars = 255;

private:
    HKEY key_ = nullptr;
};

// Roots of the application's settings.
extern const char kProgramKeyPath[];  // HKEY_LOCAL_MACHINE "Software\Ramvane"
extern const char kRunKeyPath[];      // HKEY_LOCAL_MACHINE "...\CurrentVersion\Run"

// Single values of the program key; a missing key is created. A value that cannot be read
// gives `defaultValue` (strings: "").
DWORD ReadSettingDword(const char* name, DWORD defaultValue = 0);
// As above; a number outside [low, high] gives `defaultValue` too.
DWORD ReadSettingDword(const char* name, DWORD defaultValue, DWORD low, DWORD high);
std::string ReadSettingString(const char* name);
// Writes one value of the program key; the status of the write (or of the opening).
LONG WriteSettingDword(const char* name, DWORD value);
LONG WriteSettingString(const char* name, const std::string& value);
