#include "probes/OsVersion.h"

bool IsWindows9x() {
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
    GetVersionExA(&version);
    return version.dwPlatformId != VER_PLATFORM_WIN32_NT;
}

bool IsVistaOrLater() { return IsVistaOrLater(QueryOsVersion()); }

std::string GetOSVersionSuffix() {
    OSVERSIONINFOEXA version = {};
    version.dwOSVersionInfoSize = sizeof version;
    // Systems before NT 4 SP6 and 98 reject the extended record; the short one is its prefix.
    if (!GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&version))) {
        version.dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);
        if (!GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&version))) return std::string();
    }
    return OSVersionSuffixOf(version);
}

std::string OSVersionSuffixOf(const OSVERSIONINFOEXA& v) {
    switch (v.dwPlatformId) {
        case VER_PLATFORM_WIN32s:
            return "32s";
        case VER_PLATFORM_WIN32_NT:
            if (v.dwMajorVersion <= 4) return "-NT";
            if (v.dwMajorVersion == 5 && v.dwMinorVersion == 0) return "-2000";
            if (v.dwMajorVersion == 5 && v.dwMinorVersion == 1) return "-XP";
            return std::string();
        case VER_PLATFORM_WIN32_WINDOWS:
            if (v.dwMajorVersion != 4) return std::string();
            if (v.dwMinorVersion == 0) return v.szCSDVersion[1] == 'C' ? "-95OSR2" : "-95";
            if (v.dwMinorVersion == 10) return v.szCSDVersion[1] == 'A' ? "-98SE" : "-98";
            if (v.dwMinorVersion == 90) return "-Me";
            return std::string();
        default:
            return std::string();
    }
}

OSVERSIONINFOEXA QueryOsVersion() {
    OSVERSIONINFOEXA version = {};
    version.dwOSVersionInfoSize = sizeof version;
    if (!GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&version))) {
        version.dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);
        if (!GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&version))) return OSVERSIONINFOEXA();
    }
    if (version.dwPlatformId != VER_PLATFORM_WIN32_NT) return version;
    using RtlGetVersionFunction = LONG(WINAPI*)(OSVERSIONINFOW*);
    auto rtlGetVersion = reinterpret_cast<RtlGetVersionFunction>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll"), "RtlGetVersion")));
    OSVERSIONINFOW real = {};
    real.dwOSVersionInfoSize = sizeof real;
    if (rtlGetVersion && rtlGetVersion(&real) == 0) {
        version.dwMajorVersion = real.dwMajorVersion;
        version.dwMinorVersion = real.dwMinorVersion;
        version.dwBuildNumber = real.dwBuildNumber;
    }
    return version;
}

bool IsVistaOrLater(const OSVERSIONINFOEXA& v) {
    return v.dwPlatformId == VER_PLATFORM_WIN32_NT && v.dwMajorVersion >= 6;
}

bool IsWindows10OrLater(const OSVERSIONINFOEXA& v) {
    return v.dwPlatformId == VER_PLATFORM_WIN32_NT && v.dwMajorVersion >= 10;
}
