#include "cache/CacheRegistry.h"

#include "app/RegistryKey.h"
#include "cache/CacheTables.h"

const char kMemoryManagementKeyPath[] = "System\\CurrentControlSet\\Control\\Session Manager\\Memory Management";
const char kCdfsKeyPath[] = "System\\CurrentControlSet\\Control\\FileSystem\\CDFS";

namespace {
const char kCdfsValues[][16] = {"CacheSize", "Prefetch", "PrefetchTail"};

// The program key, created when missing; false when it cannot be had.
bool OpenProgramKey(RegistryKey& key) {
    if (key.Open(HKEY_LOCAL_MACHINE, kProgramKeyPath) == ERROR_SUCCESS) return true;
    return key.Open(HKEY_LOCAL_MACHINE, "Software") == ERROR_SUCCESS && key.Create("Ramvane") == ERROR_SUCCESS;
}

// Copies value `from` of `source` as `to` into `target` when it reads as 4 bytes.
void CopyDword(const RegistryKey& source, const char* from, const RegistryKey& target, const char* to) {
    DWORD value = 0;
    if (source.QueryDword(value, from) == ERROR_SUCCESS) target.SetDword(value, to);
}

void WriteClearPageFile(const RegistryKey& memory, bool clear) {
    if (clear)
        memory.SetDword(1, "ClearPageFileAtShutdown");
    else
        memory.DeleteValue("ClearPageFileAtShutdown");
}
}  // namespace

bool ReadClearPageFile() {
    RegistryKey memory;
    DWORD value = 0;
    if (memory.Open(HKEY_LOCAL_MACHINE, kMemoryManagementKeyPath) == ERROR_SUCCESS)
        memory.QueryDword(value, "ClearPageFileAtShutdown");
    return value != 0;
}

void TakeCacheBackupOnce() {
    RegistryKey program;
    if (!OpenProgramKey(program)) return;
    DWORD taken = 1;
    // Only a missing flag means no backup yet: a flag of another type or size must not let
    // the values of today, perhaps already changed, replace the first backup.
    if (program.QueryDword(taken, "CacheBackupBOOL") == ERROR_FILE_NOT_FOUND) {
        RegistryKey cdfs, memory;
        if (cdfs.Open(HKEY_LOCAL_MACHINE, kCdfsKeyPath) == ERROR_SUCCESS)
            for (const char* name : kCdfsValues) CopyDword(cdfs, name, program, name);
        if (memory.Open(HKEY_LOCAL_MACHINE, kMemoryManagementKeyPath) == ERROR_SUCCESS) {
            CopyDword(memory, "", program, "MMDefault");
            CopyDword(memory, "IOPageLockLimit", program, "IOPageLockLimit");
        }
    }
    program.SetDword(taken, "CacheBackupBOOL");
}

StoredCachePositions ReadStoredCachePositions() {
    StoredCachePositions stored;
    RegistryKey program;
    if (program.Open(HKEY_LOCAL_MACHINE, kProgramKeyPath) != ERROR_SUCCESS) return stored;
    stored.hasDisk = program.QueryDword(stored.disk, "HDUSEValue") == ERROR_SUCCESS;
    program.QueryDword(stored.cd, "CDUSEValue");
    return stored;
}

void SaveCacheSettings(int cdPosition, int diskPosition, bool clearPageFile) {
    RegistryKey cdfs;
    if (cdfs.Open(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\FileSystem") == ERROR_SUCCESS &&
        cdfs.Create("CDFS") == ERROR_SUCCESS) {
        const CdCacheStep& cd = CdStepAt(cdPosition);
        cdfs.SetDword(cd.cacheSize, "CacheSize");
        cdfs.SetDword(cd.prefetch, "Prefetch");
        cdfs.SetDword(cd.prefetchTail, "PrefetchTail");
    }
    RegistryKey memory;
    if (memory.Open(HKEY_LOCAL_MACHINE, kMemoryManagementKeyPath) == ERROR_SUCCESS) {
        memory.SetDword(DiskStepAt(diskPosition).ioPageLockLimit, "IOPageLockLimit");
        memory.SetDword(1, "LargeSystemCache");
        WriteClearPageFile(memory, clearPageFile);
    }
    RegistryKey program;
    if (OpenProgramKey(program)) {
        program.SetDword(static_cast<DWORD>(cdPosition), "CDUSEValue");
        program.SetDword(static_cast<DWORD>(diskPosition), "HDUSEValue");
    }
}

void RestoreCacheSettings() {
    RegistryKey program;
    bool haveBackup = program.Open(HKEY_LOCAL_MACHINE, kProgramKeyPath) == ERROR_SUCCESS;
    RegistryKey cdfs;
    if (haveBackup && cdfs.Open(HKEY_LOCAL_MACHINE, kCdfsKeyPath) == ERROR_SUCCESS)
        for (const char* name : kCdfsValues) CopyDword(program, name, cdfs, name);
    RegistryKey memory;
    if (memory.Open(HKEY_LOCAL_MACHINE, kMemoryManagementKeyPath) == ERROR_SUCCESS) {
        if (haveBackup) {
            CopyDword(program, "MMDefault", memory, "");
            CopyDword(program, "IOPageLockLimit", memory, "IOPageLockLimit");
        }
        memory.SetDword(0, "LargeSystemCache");
    }
    if (haveBackup) {
        program.DeleteValue("CDUSEValue");
        program.DeleteValue("HDUSEValue");
    }
}

void ApplyClearPageFile(bool clear) {
    RegistryKey memory;
    if (memory.Open(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\Session Manager") == ERROR_SUCCESS &&
        memory.Create("Memory Management") == ERROR_SUCCESS)
        WriteClearPageFile(memory, clear);
}
