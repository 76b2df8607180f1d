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
    bool vista;  // Vista or later: the start with Windows is a log-on task
};
}  // namespace

TEST(OSVersionSuffix, NamesEachReleaseAndNothingElseAndTellsVistaAndLater) {
    const SuffixCase cases[] = {
        {VER_PLATFORM_WIN32s, 3, 10, "", "32s", false},
        {VER_PLATFORM_WIN32_NT, 3, 51, "", "-NT", false},
        {VER_PLATFORM_WIN32_NT, 4, 0, "Service Pack 6", "-NT", false},
        {VER_PLATFORM_WIN32_NT, 5, 0, "", "-2000", false},
        {VER_PLATFORM_WIN32_NT, 5, 1, "Service Pack 2", "-XP", false},
        {VER_PLATFORM_WIN32_NT, 5, 2, "", "", false},
        {VER_PLATFORM_WIN32_NT, 6, 0, "", "", true},
        {VER_PLATFORM_WIN32_NT, 6, 1, "", "", true},
        {VER_PLATFORM_WIN32_NT, 10, 0, "", "", true},
        {VER_PLATFORM_WIN32_WINDOWS, 4, 0, "", "-95", false},
        {VER_PLATFORM_WIN32_WINDOWS, 4, 0, " B", "-95", false},
        {VER_PLATFORM_WIN32_WINDOWS, 4, 0, " C", "-95OSR2", false},
        {VER_PLATFORM_WIN32_WINDOWS, 4, 0, "C ", "-95", false},
        {VER_PLATFORM_WIN32_WINDOWS, 4, 10, "", "-98", false},
        {VER_PLATFORM_WIN32_WINDOWS, 4, 10, " A ", "-98SE", false},
        {VER_PLATFORM_WIN32_WINDOWS, 4, 90, " ", "-Me", false},
        {VER_PLATFORM_WIN32_WINDOWS, 4, 3, "", "", false},
        {VER_PLATFORM_WIN32_WINDOWS, 5, 0, "", "", false},
        {VER_PLATFORM_WIN32_WINDOWS, 6, 0, "", "", false},
        {3, 5, 1, "", "", false},
        {3, 6, 0, "", "", false},
    };
    for (const SuffixCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.platform << " " << c.major << "." << c.minor << " '" << c.csd << "'");
        EXPECT_EQ(OSVersionSuffixOf(Version(c.platform, c.major, c.minor, c.csd)), c.suffix);
        EXPECT_EQ(IsVistaOrLater(Version(c.platform, c.major, c.minor, c.csd)), c.vista);
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
    EXPECT_TRUE(IsVistaOrLater());
    EXPECT_EQ(GetOSVersionSuffix(), "");
}
