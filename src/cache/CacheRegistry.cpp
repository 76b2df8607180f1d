#include "cache/CacheRegistry.h"

#include "app/RegistryKey.h"
#include "app/SettingValues.h"
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

// The first failure of a series of registry steps; later steps still run.
struct Steps {
    LONG status = ERROR_SUCCESS;
    LONG operator+=(LONG step) {
        if (status == ERROR_SUCCESS) status = step;
        return step;
    }
};

// Copies value `from` of `source` as `to` into `target` when it reads as 4 bytes; the
// status of the write (success when there was nothing to copy).
LONG CopyDword(const RegistryKey& source, const char* from, const RegistryKey& target, const char* to) {
    DWORD value = 0;
    if (source.QueryDword(value, from) != ERROR_SUCCESS) return ERROR_SUCCESS;
    return target.SetDword(value, to);
}

LONG WriteClearPageFile(const RegistryKey& memory, bool clear) {
    if (clear) return memory.SetDword(1, "ClearPageFileAtShutdown");
    LONG status = memory.DeleteValue("ClearPageFileAtShutdown");
    return status == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : status;
}
}  // namespace

bool ReadClearPageFile() {
    RegistryKey memory;
    DWORD value = 0;
    if (memory.Open(HKEY_LOCAL_MACHINE, kMemoryManagementKeyPath, KEY_READ) == ERROR_SUCCESS)
        memory.QueryDword(value, "ClearPageFileAtShutdown");
    return value != 0;
}

void TakeCacheBackupOnce() {
    RegistryKey program;
    if (!OpenProgramKey(program)) return;
    DWORD taken = 1;
    // Only a missing flag means no backup yet: a flag of another type or size must not let
    // the values of today, perhaps already changed, replace the first backup.
    if (program.QueryDword(taken, kCacheBackupBool) == ERROR_FILE_NOT_FOUND) {
        RegistryKey cdfs, memory;
        if (cdfs.Open(HKEY_LOCAL_MACHINE, kCdfsKeyPath) == ERROR_SUCCESS)
            for (const char* name : kCdfsValues) CopyDword(cdfs, name, program, name);
        if (memory.Open(HKEY_LOCAL_MACHINE, kMemoryManagementKeyPath) == ERROR_SUCCESS) {
            CopyDword(memory, "", program, kMmDefault);
            CopyDword(memory, "IOPageLockLimit", program, "IOPageLockLimit");
        }
    }
    program.SetDword(taken, kCacheBackupBool);
}

StoredCachePositions ReadStoredCachePositions() {
    StoredCachePositions stored;
    RegistryKey program;
    if (program.Open(HKEY_LOCAL_MACHINE, kProgramKeyPath, KEY_READ) != ERROR_SUCCESS) return stored;
    stored.hasDisk = program.QueryDword(stored.disk, kHdUseValue) == ERROR_SUCCESS;
    program.QueryDword(stored.cd, kCdUseValue);
    return stored;
}

LONG SaveCacheSettings(int cdPosition, int diskPosition, bool clearPageFile) {
    Steps steps;
    RegistryKey cdfs;
    if ((steps += cdfs.Open(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\FileSystem")) == ERROR_SUCCESS &&
        (steps += cdfs.Create("CDFS")) == ERROR_SUCCESS) {
        const CdCacheStep& cd = CdStepAt(cdPosition);
        steps += cdfs.SetDword(cd.cacheSize, "CacheSize");
        steps += cdfs.SetDword(cd.prefetch, "Prefetch");
        steps += cdfs.SetDword(cd.prefetchTail, "PrefetchTail");
    }
    RegistryKey memory;
    if ((steps += memory.Open(HKEY_LOCAL_MACHINE, kMemoryManagementKeyPath)) == ERROR_SUCCESS) {
        steps += memory.SetDword(DiskStepAt(diskPosition).ioPageLockLimit, "IOPageLockLimit");
        steps += memory.SetDword(1, "LargeSystemCache");
        steps += WriteClearPageFile(memory, clearPageFile);
    }
    RegistryKey program;
    if (OpenProgramKey(program)) {
        steps += program.SetDword(static_cast<DWORD>(cdPosition), kCdUseValue);
        steps += program.SetDword(static_cast<DWORD>(diskPosition), kHdUseValue);
    } else {
        steps += ERROR_ACCESS_DENIED;
    }
    return steps.status;
}

LONG RestoreCacheSettings() {
    Steps steps;
    RegistryKey program;
    bool haveBackup = program.Open(HKEY_LOCAL_MACHINE, kProgramKeyPath) == ERROR_SUCCESS;
    RegistryKey cdfs;
    if (haveBackup && cdfs.Open(HKEY_LOCAL_MACHINE, kCdfsKeyPath) == ERROR_SUCCESS)
        for (const char* name : kCdfsValues) steps += CopyDword(program, name, cdfs, name);
    RegistryKey memory;
    if ((steps += memory.Open(HKEY_LOCAL_MACHINE, kMemoryManagementKeyPath)) == ERROR_SUCCESS) {
        if (haveBackup) {
            steps += CopyDword(program, kMmDefault, memory, "");
            steps += CopyDword(program, "IOPageLockLimit", memory, "IOPageLockLimit");
        }
        steps += memory.SetDword(0, "LargeSystemCache");
    }
    if (haveBackup) {
        program.DeleteValue(kCdUseValue);
        program.DeleteValue(kHdUseValue);
    }
    return steps.status;
}

LONG ApplyClearPageFile(bool clear) {
    RegistryKey memory;
    LONG status = memory.Open(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\Session Manager");
    if (status == ERROR_SUCCESS) status = memory.Create("Memory Management");
    return status == ERROR_SUCCESS ? WriteClearPageFile(memory, clear) : status;
}
