// The one-time backup and the restore, against the registry of the Wine prefix.
#include <gtest/gtest.h>
#include <windows.h>

#include "app/RegistryKey.h"
#include "cache/CacheRegistry.h"
#include "cache/CacheSetupDialog.h"
#include "cache/CacheTestValues.h"
#include "driver/TestDriver.h"

namespace {
using cachetest::Set;
using cachetest::Value;

class CacheBackup : public ::testing::Test {
protected:
    void SetUp() override { Clean(); }
    void TearDown() override { Clean(); }
    static void Clean() {
        driver::DeleteKeyTree(HKEY_LOCAL_MACHINE, kProgramKeyPath);
        driver::DeleteKeyTree(HKEY_LOCAL_MACHINE, kCdfsKeyPath);
        RegistryKey memory;
        if (memory.Open(HKEY_LOCAL_MACHINE, kMemoryManagementKeyPath) != ERROR_SUCCESS) return;
        for (const char* name : {"", "IOPageLockLimit", "LargeSystemCache", "ClearPageFileAtShutdown"})
            memory.DeleteValue(name);
    }
};

TEST_F(CacheBackup, TakenOnceAndWrittenBackByRestore) {
    Set(kCdfsKeyPath, "CacheSize", 1111);
    Set(kCdfsKeyPath, "Prefetch", 2222);  // no PrefetchTail: it is not copied
    Set(kMemoryManagementKeyPath, "", 5555);
    Set(kMemoryManagementKeyPath, "IOPageLockLimit", 3333);
    Set(kMemoryManagementKeyPath, "LargeSystemCache", 1);
    { CacheSetupDialog first; }
    EXPECT_EQ(Value(kProgramKeyPath, "CacheBackupBOOL"), 1);
    EXPECT_EQ(Value(kProgramKeyPath, "CacheSize"), 1111);
    EXPECT_EQ(Value(kProgramKeyPath, "Prefetch"), 2222);
    EXPECT_EQ(Value(kProgramKeyPath, "PrefetchTail"), -1);
    EXPECT_EQ(Value(kProgramKeyPath, "MMDefault"), 5555);
    EXPECT_EQ(Value(kProgramKeyPath, "IOPageLockLimit"), 3333);

    // Later constructions keep the first backup.
    SaveCacheSettings(3, 1, false);
    Set(kMemoryManagementKeyPath, "", 6666);
    { CacheSetupDialog second; }
    EXPECT_EQ(Value(kProgramKeyPath, "CacheSize"), 1111);
    EXPECT_EQ(Value(kProgramKeyPath, "MMDefault"), 5555);
    EXPECT_EQ(Value(kProgramKeyPath, "IOPageLockLimit"), 3333);

    EXPECT_EQ(Value(kCdfsKeyPath, "PrefetchTail"), 4128);
    RestoreCacheSettings();
    EXPECT_EQ(Value(kCdfsKeyPath, "CacheSize"), 1111);
    EXPECT_EQ(Value(kCdfsKeyPath, "Prefetch"), 2222);
    EXPECT_EQ(Value(kCdfsKeyPath, "PrefetchTail"), 4128);  // missing from the backup: left alone
    EXPECT_EQ(Value(kMemoryManagementKeyPath, ""), 5555);
    EXPECT_EQ(Value(kMemoryManagementKeyPath, "IOPageLockLimit"), 3333);
    EXPECT_EQ(Value(kMemoryManagementKeyPath, "LargeSystemCache"), 0);
    EXPECT_EQ(Value(kProgramKeyPath, "HDUSEValue"), -1);
    EXPECT_EQ(Value(kProgramKeyPath, "CDUSEValue"), -1);
}

// A machine with nothing to back up: the flag is still set, and restore writes only what it has.
TEST_F(CacheBackup, NothingReadableIsNothingCopied) {
    { CacheSetupDialog first; }
    EXPECT_EQ(Value(kProgramKeyPath, "CacheBackupBOOL"), 1);
    EXPECT_EQ(Value(kProgramKeyPath, "IOPageLockLimit"), -1);
    EXPECT_EQ(Value(kProgramKeyPath, "MMDefault"), -1);
    RestoreCacheSettings();
    EXPECT_EQ(Value(kMemoryManagementKeyPath, "IOPageLockLimit"), -1);
    EXPECT_EQ(Value(kMemoryManagementKeyPath, "LargeSystemCache"), 0);
    EXPECT_EQ(Value(kCdfsKeyPath, "CacheSize"), -1);  // the CDFS key is not created by restore
}
}  // namespace
