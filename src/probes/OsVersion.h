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
// IsVistaOrLater of one version record.
bool IsVistaOrLaterOf(const OSVERSIONINFOEXA& version);
