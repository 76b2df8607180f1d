#include "hwinfo/VariantText.h"

#include <cinttypes>

#include "app/TextUtil.h"
#include "hwinfo/ModuleText.h"

namespace {
// A wide text in code page `codePage`; false when a character has no equivalent there.
bool Narrow(const wchar_t* wide, int length, UINT codePage, std::string& out) {
    out.clear();
    if (length <= 0) return true;
    BOOL usedDefault = FALSE;
    // The ANSI code page itself may be UTF-8 (a Windows 10 option).
    if (codePage == CP_ACP || codePage == CP_THREAD_ACP) codePage = GetACP();
    // UTF-7 and UTF-8 take neither flags nor the used-default report (Windows refuses the
    // call); elsewhere a "best fit" look-alike (a 'v' for the check) would hide that the
    // character is missing.
    bool utf = codePage == CP_UTF7 || codePage == CP_UTF8;
    DWORD flags = utf ? 0 : WC_NO_BEST_FIT_CHARS;
    BOOL* flag = utf ? nullptr : &usedDefault;
    int size = WideCharToMultiByte(codePage, flags, wide, length, nullptr, 0, nullptr, flag);
    if (size <= 0) return false;
    out.resize(static_cast<size_t>(size));
    WideCharToMultiByte(codePage, flags, wide, length, &out[0], size, nullptr, flag);
    return !usedDefault;
}

std::string BstrText(BSTR text) {
    std::string out;
    // A null BSTR is a valid empty string; the length, not a NUL, ends a BSTR.
    if (text) Narrow(text, static_cast<int>(SysStringLen(text)), CP_ACP, out);
    return out;
}

std::string DateText(DATE date) {
    SYSTEMTIME t{};
    if (!VariantTimeToSystemTime(date, &t)) return std::string();
    return Format("%d-%d-%d %d:%d", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute);
}

// The value of `type` at `p`; unsigned types print unsigned, so large values stay positive.
std::string ValueText(VARTYPE type, const void* p) {
    switch (type) {
    case VT_BSTR: return BstrText(*static_cast<const BSTR*>(p));
    case VT_I1: return Format("%d", *static_cast<const signed char*>(p));
    case VT_I2: return Format("%d", *static_cast<const SHORT*>(p));
    case VT_I4: return Format("%ld", static_cast<long>(*static_cast<const LONG*>(p)));
    case VT_INT: return Format("%d", *static_cast<const INT*>(p));
    case VT_UI1: return Format("%u", *static_cast<const BYTE*>(p));
    case VT_UI2: return Format("%u", *static_cast<const USHORT*>(p));
    case VT_UI4: return Format("%lu", static_cast<unsigned long>(*static_cast<const ULONG*>(p)));
    case VT_UINT: return Format("%u", *static_cast<const UINT*>(p));
    case VT_I8: return Format("%" PRId64, static_cast<std::int64_t>(*static_cast<const LONGLONG*>(p)));
    case VT_UI8: return Format("%" PRIu64, static_cast<std::uint64_t>(*static_cast<const ULONGLONG*>(p)));
    case VT_R4: return Format("%lf", static_cast<double>(*static_cast<const float*>(p)));
    case VT_DATE: return DateText(*static_cast<const DATE*>(p));
    case VT_BOOL: return BoolText(*static_cast<const VARIANT_BOOL*>(p) != VARIANT_FALSE);
    case VT_UNKNOWN: return BoolText(false);
    default: return "Null";
    }
}

// Where the value of a by-value VARIANT lives.
const void* ValuePointer(const VARIANT& v) {
    switch (V_VT(&v)) {
    case VT_BSTR: return &V_BSTR(&v);
    case VT_I1: return &V_I1(&v);
    case VT_I2: return &V_I2(&v);
    case VT_I4: return &V_I4(&v);
    case VT_INT: return &V_INT(&v);
    case VT_UI1: return &V_UI1(&v);
    case VT_UI2: return &V_UI2(&v);
    case VT_UI4: return &V_UI4(&v);
    case VT_UINT: return &V_UINT(&v);
    case VT_I8: return &V_I8(&v);
    case VT_UI8: return &V_UI8(&v);
    case VT_R4: return &V_R4(&v);
    case VT_DATE: return &V_DATE(&v);
    case VT_BOOL: return &V_BOOL(&v);
    default: return nullptr;
    }
}

std::string TextOf(const VARIANT& v, int depth) {
    VARTYPE type = V_VT(&v);
    std::string text = "Null";
    if (type & VT_BYREF) {
        const void* p = V_BYREF(&v);
        VARTYPE target = type & ~VT_BYREF;
        // A reference to a VARIANT is followed a few steps, never round a cycle.
        if (target == VT_VARIANT && p && depth < 4) return TextOf(*static_cast<const VARIANT*>(p), depth + 1);
        // VT_UNKNOWN by reference still reads as a cross, like the value itself.
        if (p || target == VT_UNKNOWN) text = ValueText(target, p);
    } else if (type == VT_UNKNOWN) {
        text = ValueText(VT_UNKNOWN, nullptr);
    } else if (const void* p = ValuePointer(v)) {
        text = ValueText(type, p);
    }
    return text;
}
}  // namespace

std::string BoolText(bool value, UINT codePage) {
    std::string check, cross;
    if (Narrow(L"\u221A", 1, codePage, check) && Narrow(L"\u00D7", 1, codePage, cross)) return value ? check : cross;
    return value ? "Yes" : "No";
}

std::string VariantToText(const VARIANT& v) { return WithoutNull(TextOf(v, 0)); }
