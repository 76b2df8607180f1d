#include "cache/CacheTables.h"

#include <cstdio>

namespace {
const DiskCacheStep kDisk[kDiskSteps] = {{4, 1000}, {8, 2000}, {16, 4000}, {32, 8000}, {64, 10000}};
const CdCacheStep kCd[kCdSteps] = {
    {"CD/DVD-ROM", 228, 619, 228, 228},
    {"DVD Play", 1792, 619, 1792, 1792},
    {"CD-RW", 2144, 1238, 2144, 2144},
    {"DVD-RW", 4128, 2476, 4128, 4128},
};

long Clamp(long position, int steps) { return position < 0 ? 0 : position >= steps ? steps - 1 : position; }

std::string SizeText(const char* unit, long size) {
    char text[32];
    std::snprintf(text, sizeof text, "%ld%s", size, unit);
    return text;
}
}  // namespace

const DiskCacheStep& DiskStepAt(long position) { return kDisk[Clamp(position, kDiskSteps)]; }
const CdCacheStep& CdStepAt(long position) { return kCd[Clamp(position, kCdSteps)]; }

int HighestDiskPosition(long installedMB) {
    if (installedMB < 64) return 0;
    if (installedMB < 128) return 1;
    if (installedMB < 256) return 2;
    if (installedMB < 512) return 3;
    return 4;
}

int StoredPosition(DWORD stored, int highest) {
    return stored > static_cast<DWORD>(highest) ? highest : static_cast<int>(stored);
}

std::string DiskSizeText(long position) { return SizeText("MB", DiskStepAt(position).sizeMB); }
std::string DiskRangeText(long position) { return SizeText(" MB", DiskStepAt(position).sizeMB); }
std::string KilobyteText(long sizeKB) { return SizeText(" KB", sizeKB); }
std::string CdSettingText(long position) {
    const CdCacheStep& s = CdStepAt(position);
    return std::string(s.name) + " " + SizeText("KB", s.sizeKB);
}
std::string CdMovedText(long position) {
    const CdCacheStep& s = CdStepAt(position);
    return std::string(s.name) + " " + SizeText(" KB", s.sizeKB);
}
