#include "probes/OsVersion.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {
OSVERSIONINFOEXA Version(DWORD platform, DWORD major, DWORD minor, const char* csd = "") {
    OSVERSIONINFOEXA v = {};
    v.dwOSVersionInfoSize = sizeof v;
    v.dwPlatformId = platform;
    v.dwMajorVersion = major;
    v.dwMinorVersion = minor;
    std::strcpy(v.szCSDVersion, csd);
    return v;
}

struct SuffixCase {
    DWORD platform, major, minor;
    const char* csd;
    const char* suffix;
};
}  // namespace

TEST(OSVersionSuffix, NamesEachReleaseAndNothingElse) {
    const SuffixCase cases[] = {
        {VER_PLATFORM_WIN32s, 3, 10, "", "32s"},
        {VER_PLATFORM_WIN32_NT, 3, 51, "", "-NT"},
        {VER_PLATFORM_WIN32_NT, 4, 0, "Service Pack 6", "-NT"},
        {VER_PLATFORM_WIN32_NT, 5, 0, "", "-2000"},
        {VER_PLATFORM_WIN32_NT, 5, 1, "Service Pack 2", "-XP"},
        {VER_PLATFORM_WIN32_NT, 5, 2, "", ""},
        {VER_PLATFORM_WIN32_NT, 6, 1, "", ""},
        {VER_PLATFORM_WIN32_WINDOWS, 4, 0, "", "-95"},
        {VER_PLATFORM_WIN32_WINDOWS, 4, 0, " B", "-95"},
        {VER_PLATFORM_WIN32_WINDOWS, 4, 0, " C", "-95OSR2"},
        {VER_PLATFORM_WIN32_WINDOWS, 4, 0, "C ", "-95"},
        {VER_PLATFORM_WIN32_WINDOWS, 4, 10, "", "-98"},
        {VER_PLATFORM_WIN32_WINDOWS, 4, 10, " A ", "-98SE"},
        {VER_PLATFORM_WIN32_WINDOWS, 4, 90, " ", "-Me"},
        {VER_PLATFORM_WIN32_WINDOWS, 4, 3, "", ""},
        {VER_PLATFORM_WIN32_WINDOWS, 5, 0, "", ""},
        {3, 5, 1, "", ""},
    };
    for (const SuffixCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.platform << " " << c.major << "." << c.minor << " '" << c.csd << "'");
        EXPECT_EQ(OSVersionSuffixOf(Version(c.platform, c.major, c.minor, c.csd)), c.suffix);
    }
}

// Wine reports the NT line unless told otherwise for the executable.
TEST(OSVersionSuffix, RealSystemIsTheNtLineUnderWine) {
    // The test prefix reports Windows 7 (each other release is run by the probe tests):
    // the NT line, and a release the suffix table does not name.
    OSVERSIONINFOEXA v = {};
    v.dwOSVersionInfoSize = sizeof v;
    ASSERT_TRUE(GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&v)));
    ASSERT_EQ(v.dwMajorVersion, 6u);
    ASSERT_EQ(v.dwMinorVersion, 1u);
    EXPECT_FALSE(IsWindows9x());
    EXPECT_EQ(GetOSVersionSuffix(), "");
}
