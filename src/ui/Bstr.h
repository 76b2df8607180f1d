// A BSTR owned for one call.
#pragma once
#include <windows.h>
#include <oleauto.h>

#include <string>

class Bstr {
public:
    // From an ANSI text (the system code page).
    explicit Bstr(const std::string& text);
    explicit Bstr(const wchar_t* text) : value_(SysAllocString(text)) {}
    ~Bstr() { SysFreeString(value_); }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    // Null when the system could not allocate it.
    BSTR get() const { return value_; }

private:
    BSTR value_;
};
