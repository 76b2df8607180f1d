#include "hwinfo/VariantText.h"

#include <gtest/gtest.h>

#include <string>

namespace {
VARIANT Of(VARTYPE type) {
    VARIANT v;
    VariantInit(&v);
    V_VT(&v) = type;
    return v;
}

std::wstring Widened(const std::string& text, UINT codePage) {
    std::wstring wide(text.size() + 1, L'\0');
    int n = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), &wide[0],
                                static_cast<int>(wide.size()));
    wide.resize(n > 0 ? static_cast<size_t>(n) : 0);
    return wide;
}

TEST(VariantToText, NumbersDatesAndEmptyValues) {
    VARIANT v = Of(VT_I4);
    V_I4(&v) = -5;
    EXPECT_EQ(VariantToText(v), "-5");
    v = Of(VT_UI4);
    V_UI4(&v) = 4000000000u;
    EXPECT_EQ(VariantToText(v), "4000000000");
    v = Of(VT_UI1);
    V_UI1(&v) = 200;
    EXPECT_EQ(VariantToText(v), "200");
    v = Of(VT_I2);
    V_I2(&v) = -300;
    EXPECT_EQ(VariantToText(v), "-300");
    v = Of(VT_I8);
    V_I8(&v) = -25276178432ll;
    EXPECT_EQ(VariantToText(v), "-25276178432");
    v = Of(VT_UI8);
    V_UI8(&v) = 18446744073709551615ull;
    EXPECT_EQ(VariantToText(v), "18446744073709551615");
    v = Of(VT_R4);
    V_R4(&v) = 1.5f;
    EXPECT_EQ(VariantToText(v), "1.500000");
    v = Of(VT_DATE);
    SYSTEMTIME t{2004, 2, 0, 29, 23, 7, 0, 0};
    ASSERT_TRUE(SystemTimeToVariantTime(&t, &V_DATE(&v)));
    EXPECT_EQ(VariantToText(v), "2004-2-29 23:7");

    EXPECT_EQ(VariantToText(Of(VT_EMPTY)), "");
    EXPECT_EQ(VariantToText(Of(VT_NULL)), "");
    v = Of(VT_R8);  // a type the list does not handle
    V_R8(&v) = 2.0;
    EXPECT_EQ(VariantToText(v), "");
}

TEST(VariantToText, StringsByValueAndByReference) {
    VARIANT v = Of(VT_BSTR);
    V_BSTR(&v) = SysAllocString(L"DIMM 0");
    EXPECT_EQ(VariantToText(v), "DIMM 0");
    VARIANT ref = Of(VT_BSTR | VT_BYREF);
    V_BSTRREF(&ref) = &V_BSTR(&v);
    EXPECT_EQ(VariantToText(ref), "DIMM 0");
    VARIANT outer = Of(VT_VARIANT | VT_BYREF);
    V_VARIANTREF(&outer) = &v;
    EXPECT_EQ(VariantToText(outer), "DIMM 0");
    VariantClear(&v);

    // Any text containing "Null" reads as empty; a null BSTR is an empty string.
    v = Of(VT_BSTR);
    V_BSTR(&v) = SysAllocString(L"xNully");
    EXPECT_EQ(VariantToText(v), "");
    VariantClear(&v);
    v = Of(VT_BSTR);
    V_BSTR(&v) = nullptr;
    EXPECT_EQ(VariantToText(v), "");

    LONG number = 77;
    ref = Of(VT_I4 | VT_BYREF);
    V_I4REF(&ref) = &number;
    EXPECT_EQ(VariantToText(ref), "77");
    V_I4REF(&ref) = nullptr;
    EXPECT_EQ(VariantToText(ref), "");
}

// The check and the cross must come out as those characters in whatever code page the
// window shows them; where the code page has none, as words.
TEST(VariantToText, BooleansAreACheckOrACrossInTheWindowsCodePage) {
    EXPECT_EQ(BoolText(true, 936), "\xA1\xCC");
    EXPECT_EQ(BoolText(false, 936), "\xA1\xC1");
    EXPECT_EQ(Widened(BoolText(true, 932), 932), L"\u221A");
    EXPECT_EQ(Widened(BoolText(false, 932), 932), L"\u00D7");
    EXPECT_EQ(BoolText(true, 65001), "\xE2\x88\x9A");
    EXPECT_EQ(BoolText(true, 1252), "Yes");
    EXPECT_EQ(BoolText(false, 1252), "No");

    VARIANT v = Of(VT_BOOL);
    V_BOOL(&v) = VARIANT_TRUE;
    std::string yes = VariantToText(v);
    V_BOOL(&v) = VARIANT_FALSE;
    std::string no = VariantToText(v);
    EXPECT_EQ(yes, BoolText(true));
    EXPECT_EQ(no, BoolText(false));
    std::wstring shown = Widened(yes, CP_ACP);
    EXPECT_TRUE(shown == L"\u221A" || shown == L"Yes") << yes;
    EXPECT_EQ(VariantToText(Of(VT_UNKNOWN)), no);
}
}  // namespace
