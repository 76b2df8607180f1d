// Which Windows line and release the process runs on.
#pragma once
#include <windows.h>

#include <string>

// True on the 9x line (any platform but NT, Win32s included).
bool IsWindows9x();
// True on Windows Vista and later (NT 6.0 and up): there the start with Windows is a log-on
// task, since Windows does not start a program that asks for elevation from the Run key.
bool IsVistaOrLater();
// Release suffix ("-NT", "-2000", "-XP", "-95", "-95OSR2", "-98", "-98SE", "-Me", "32s" or "").
std::string GetOSVersionSuffix();
// The suffix of one version record; only the fields of OSVERSIONINFOA are read.
std::string OSVersionSuffixOf(const OSVERSIONINFOEXA& version);

// The running system's version. The numbers come from ntdll's RtlGetVersion where it exists:
// GetVersionExA reports 6.2 on Windows 8.1 and later to a program whose manifest does not
// name them. The service-pack text and the 9x line's fields come from GetVersionExA.
OSVERSIONINFOEXA QueryOsVersion();
// Windows Vista (NT 6.0) or later, of one version record.
bool IsVistaOrLater(const OSVERSIONINFOEXA& version);
// Windows 10 (NT 10.0) or later.
bool IsWindows10OrLater(const OSVERSIONINFOEXA& version);
