// Which Windows line and release the process runs on.
#pragma once
#include <windows.h>

#include <string>

// True on the 9x line (any platform but NT, Win32s included).
bool IsWindows9x();
// Release suffix ("-NT", "-2000", "-XP", "-95", "-95OSR2", "-98", "-98SE", "-Me", "32s" or "").
std::string GetOSVersionSuffix();
// The suffix of one version record; only the fields of OSVERSIONINFOA are read.
std::string OSVersionSuffixOf(const OSVERSIONINFOEXA& version);
