// Property values of the management service as text.
#pragma once
#include <windows.h>
#include <oleauto.h>

#include <string>

// The text of a property value: strings in the ANSI code page, numbers in decimal, dates
// as "year-month-day hour:minute", booleans as a check or a cross. Empty, NULL and
// unhandled types, and any text containing "Null", read as "".
std::string VariantToText(const VARIANT& value);

// A check (true) or a cross (false) in code page `codePage`; where that code page has
// no such characters, "Yes" or "No".
std::string BoolText(bool value, UINT codePage = CP_ACP);
