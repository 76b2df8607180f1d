// The registry values the cache settings change, their one-time backup in the program
// key, and the slider positions kept there. The writes report the first failure (without
// administrator rights Windows refuses them all); the window says so.
#pragma once
#include <windows.h>

// HKEY_LOCAL_MACHINE paths.
extern const char kMemoryManagementKeyPath[];
extern const char kCdfsKeyPath[];

// The memory manager's ClearPageFileAtShutdown is set (a missing value reads as off).
bool ReadClearPageFile();
// Copies CacheSize, Prefetch, PrefetchTail (CDFS), the memory-management key's unnamed
// default value (as MMDefault) and IOPageLockLimit into the program key, unless
// CacheBackupBOOL says a backup exists; values that cannot be read are not copied.
void TakeCacheBackupOnce();

struct StoredCachePositions {
    bool hasDisk = false;  // HDUSEValue exists
    DWORD disk = 0;        // HDUSEValue
    DWORD cd = 0;          // CDUSEValue, 0 when missing
};
StoredCachePositions ReadStoredCachePositions();

// Writes the CD table's values at `cdPosition` (creating the CDFS key), the disk table's
// IOPageLockLimit at `diskPosition` with LargeSystemCache 1, the page-file setting, and
// both positions into the program key. Every step is tried; the first failure's status.
LONG SaveCacheSettings(int cdPosition, int diskPosition, bool clearPageFile);
// Writes the backup back, LargeSystemCache 0, and forgets the stored positions; the first
// failure's status.
LONG RestoreCacheSettings();
// Writes ClearPageFileAtShutdown 1, or deletes it; creates the memory-management key.
LONG ApplyClearPageFile(bool clear);
