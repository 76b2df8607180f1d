// The built-in tables of the cache settings and the texts of their positions.
#pragma once
#include <windows.h>

#include <string>

// Disk I/O cache, slider positions 0..4.
struct DiskCacheStep {
    long sizeMB;
    DWORD ioPageLockLimit;
};
constexpr int kDiskSteps = 5;

// CD-ROM file-system cache, slider positions 0..3.
struct CdCacheStep {
    const char* name;
    long sizeKB;
    DWORD cacheSize, prefetch, prefetchTail;
};
constexpr int kCdSteps = 4;

// The entries at `position`; a position outside the table reads as its nearest end.
const DiskCacheStep& DiskStepAt(long position);
const CdCacheStep& CdStepAt(long position);

// Highest disk position the installed memory allows: below 64 MB 0, up to 127 MB 1,
// up to 255 MB 2, up to 511 MB 3, from 512 MB 4.
int HighestDiskPosition(long installedMB);

// A stored slider position (any DWORD) as a position of 0..highest.
int StoredPosition(DWORD stored, int highest);

// "16MB": the size label of a disk position.
std::string DiskSizeText(long position);
// "64 MB": the label at the right end of the disk slider.
std::string DiskRangeText(long position);
// "228 KB": a CD size at either end of the CD slider.
std::string KilobyteText(long sizeKB);
// "CD/DVD-ROM 228KB" as set up; "CD/DVD-ROM 228 KB" after the slider was moved.
std::string CdSettingText(long position);
std::string CdMovedText(long position);
