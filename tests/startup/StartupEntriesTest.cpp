// The start-up items against Wine's real registry and a real Delay.cfg beside the test
// program: every move between the states, deletion, the clean-up, the list and the delayed
// start's timer.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/ProgramPath.h"
#include "app/RegistryKey.h"
#include "app/ResourceText.h"
#include "startup/DelayFile.h"
#include "startup/DelayedStart.h"
#include "startup/StartupEntries.h"

namespace {
const char kPrefix[] = "MnTest";
const char kCurrentVersion[] = "Software\\Microsoft\\Windows\\CurrentVersion";
const int kRegistrySources[] = {SourceHklmRun, SourceHklmRunServices, SourceHklmRunDisabled,
                                SourceHklmRunServicesDisabled, SourceHkcuRun, SourceHkcuRunDisabled};

// A command longer than any 255-character buffer, so a cut anywhere shows.
std::string LongCommand(const std::string& name) {
    return "C:\\Program Files\\" + std::string(280, 'p') + "\\" + name + ".exe /start";
}

bool Put(int source, const std::string& name, const std::string& command) {
    StartupKey place = KeyOfSource(source);
    RegistryKey key;
    return key.Open(place.root, place.path) == ERROR_SUCCESS &&
           key.SetString(command, name.c_str(), command.size()) == ERROR_SUCCESS;
}

StartupItem Item(int source, const std::string& name, const std::string& command, int oldId = 0, int delay = 0) {
    StartupItem item;
    item.Name = name;
    item.Command = command;
    item.Source = source;
    item.OldId = oldId;
    item.DelayMinutes = delay;
    return item;
}

// Puts the item where its source says.
void Place(const StartupItem& item) {
    if (item.Source == SourceDelayed)
        ASSERT_TRUE(AppendDelayedItem(DelayFilePath(), item));
    else
        ASSERT_TRUE(Put(item.Source, item.Name, item.Command));
}

// Every place that holds `name` now, as the items found there.
std::vector<StartupItem> Find(const std::string& name) {
    std::vector<StartupItem> found;
    for (const StartupItem& item : ReadStartupItems())
        if (item.Name == name) found.push_back(item);
    return found;
}

class StartupEntriesTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegistryKey run;
        if (run.Open(HKEY_LOCAL_MACHINE, kRunKeyPath) == ERROR_SUCCESS)
            hadOwnValue_ = run.QueryString(ownValue_, "Ramvane", 4096) == ERROR_SUCCESS;
        RegistryKey services;
        services.Open(HKEY_LOCAL_MACHINE, kCurrentVersion);
        services.Create("RunServices");
        CreateDisabledKeys();
        Clean();
    }
    void TearDown() override {
        Clean();
        RegistryKey run;
        if (run.Open(HKEY_LOCAL_MACHINE, kRunKeyPath) != ERROR_SUCCESS) return;
        if (hadOwnValue_)
            run.SetString(ownValue_, "Ramvane");
        else
            run.DeleteValue("Ramvane");
    }
    static void Clean() {
        DeleteFileA(DelayFilePath().c_str());
        for (int source : kRegistrySources) {
            StartupKey place = KeyOfSource(source);
            RegistryKey key;
            if (key.Open(place.root, place.path) != ERROR_SUCCESS) continue;
            for (const RunValue& v : ReadRunValues(place.root, place.path))
                if (_strnicmp(v.name.c_str(), kPrefix, sizeof kPrefix - 1) == 0 || v.name == "Ramvane")
                    key.DeleteValue(v.name.c_str());
        }
    }
    bool hadOwnValue_ = false;
    std::string ownValue_;
};
}  // namespace

TEST_F(StartupEntriesTest, EveryMoveOfTheThreeTablesEndsInItsPlaceWithTheCommandWhole) {
    const int D = SourceDelayed;
    const struct {
        int source, oldId;
        int target[3];  // where the item is after RunAtStartup, Paused, Delayed
        int delayedOldId;
    } cases[] = {
        {0, 0, {0, 3, D}, 0}, {1, 0, {1, 4, D}, 1}, {3, 0, {0, 3, D}, 0}, {4, 0, {1, 4, D}, 1},
        {5, 0, {5, 6, D}, 5}, {6, 0, {5, 6, D}, 6},
        {D, 0, {0, 3, D}, 0}, {D, 1, {1, 4, D}, 1}, {D, 5, {5, 6, D}, 5}, {D, 6, {5, 6, D}, 6},
        {D, 3, {D, D, D}, 3},  // a hand-edited OldId: stuck in the delayed state
    };
    for (const auto& c : cases) {
        for (int mode = RunAtStartup; mode <= Delayed; ++mode) {
            std::string name = std::string(kPrefix) + "S" + std::to_string(c.source) + "O" + std::to_string(c.oldId) +
                               "M" + std::to_string(mode);
            SCOPED_TRACE(name);
            StartupItem item = Item(c.source, name, LongCommand(name), c.oldId, c.source == D ? 4 : 0);
            Place(item);
            if (c.source == D) Place(Item(D, std::string(kPrefix) + "After", "after.exe"));
            EXPECT_EQ(SetStartupMode(item, mode, 9), ModeChange::Done);

            std::vector<StartupItem> now = Find(name);
            ASSERT_EQ(now.size(), 1u);
            EXPECT_EQ(now[0].Source, c.target[mode]);
            EXPECT_EQ(now[0].Command, item.Command);
            if (now[0].Source == D && mode == Delayed) {
                EXPECT_EQ(now[0].DelayMinutes, 9);
                EXPECT_EQ(now[0].OldId, c.delayedOldId);
                std::vector<StartupItem> file = ReadDelayedItems(DelayFilePath());
                EXPECT_EQ(file.back().Name, name);  // a moved item goes to the end of the file
            }
            Clean();
        }
    }
}

TEST_F(StartupEntriesTest, PausingAndResumingKeepsACommandWithVariablesExpandable) {
    const std::string name = std::string(kPrefix) + "Expand", command = "%SystemRoot%\\expand.exe /x";
    auto typeIn = [&](int source) {
        StartupKey place = KeyOfSource(source);
        HKEY key;
        DWORD type = REG_NONE;
        if (RegOpenKeyExA(place.root, place.path, 0, KEY_READ, &key) != ERROR_SUCCESS) return type;
        RegQueryValueExA(key, name.c_str(), nullptr, &type, nullptr, nullptr);
        RegCloseKey(key);
        return type;
    };
    StartupKey run = KeyOfSource(SourceHkcuRun);
    HKEY key;
    ASSERT_EQ(RegOpenKeyExA(run.root, run.path, 0, KEY_SET_VALUE, &key), ERROR_SUCCESS);
    RegSetValueExA(key, name.c_str(), 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                   static_cast<DWORD>(command.size() + 1));
    RegCloseKey(key);
    // Delay.cfg keeps no type: coming back from it, the % of the command says which.
    for (int mode : {Paused, RunAtStartup, Delayed, Paused, Delayed, RunAtStartup}) {
        std::vector<StartupItem> now = Find(name);
        ASSERT_EQ(now.size(), 1u);
        EXPECT_EQ(SetStartupMode(now[0], mode, 2), ModeChange::Done);
        now = Find(name);
        ASSERT_EQ(now.size(), 1u);
        EXPECT_EQ(now[0].Command, command);
        if (mode == Delayed) continue;
        const int place = mode == Paused ? SourceHkcuRunDisabled : SourceHkcuRun;
        EXPECT_EQ(typeIn(place), static_cast<DWORD>(REG_EXPAND_SZ)) << "mode " << mode;
    }
}

TEST_F(StartupEntriesTest, EachOfTwoDelayedItemsOfOneNameIsMovedOrDeletedAlone) {
    // One name delayed from HKLM Run and from HKCU Run: two sections with one Project.
    const std::string name = std::string(kPrefix) + "Same";
    const StartupItem items[] = {Item(SourceDelayed, name, "machine.exe", 0, 3),
                                 Item(SourceDelayed, name, "user.exe", 5, 3)};
    const int kDelete = -1;
    const struct {
        int mode, chosen;
        std::vector<std::string> places;  // "source command delay OldId" of every item of the name
    } cases[] = {
        {RunAtStartup, 0, {"0 machine.exe 0 0", "2 user.exe 3 5"}},
        {RunAtStartup, 1, {"2 machine.exe 3 0", "5 user.exe 0 0"}},
        {Paused, 0, {"2 user.exe 3 5", "3 machine.exe 0 0"}},
        {Paused, 1, {"2 machine.exe 3 0", "6 user.exe 0 0"}},
        {Delayed, 0, {"2 user.exe 3 5", "2 machine.exe 9 0"}},  // the moved item goes last
        {Delayed, 1, {"2 machine.exe 3 0", "2 user.exe 9 5"}},
        {kDelete, 0, {"2 user.exe 3 5"}},
        {kDelete, 1, {"2 machine.exe 3 0"}},
    };
    for (const auto& c : cases) {
        for (const StartupItem& item : items) Place(item);
        if (c.mode == kDelete)
            EXPECT_TRUE(DeleteStartupItem(items[c.chosen]));
        else
            EXPECT_EQ(SetStartupMode(items[c.chosen], c.mode, 9), ModeChange::Done);
        std::vector<std::string> places;
        for (const StartupItem& item : Find(name))
            places.push_back(std::to_string(item.Source) + " " + item.Command + " " +
                             std::to_string(item.DelayMinutes) + " " + std::to_string(item.OldId));
        EXPECT_EQ(places, c.places) << "mode " << c.mode << ", item " << c.chosen;
        Clean();
    }
}

TEST_F(StartupEntriesTest, AMoveWhoseWriteFailsLeavesTheItemWhereItWas) {
    // No HKLM RunServices key: the item must not vanish from RunServices-.
    RegistryKey parent;
    ASSERT_EQ(parent.Open(HKEY_LOCAL_MACHINE, kCurrentVersion), ERROR_SUCCESS);
    ASSERT_EQ(parent.DeleteSubKey("RunServices"), ERROR_SUCCESS);
    StartupItem paused = Item(SourceHklmRunServicesDisabled, "MnTestNoKey", "svc.exe");
    Place(paused);
    SetStartupMode(paused, RunAtStartup, 1);
    EXPECT_EQ(Find("MnTestNoKey").size(), 1u);
    EXPECT_EQ(Find("MnTestNoKey")[0].Source, SourceHklmRunServicesDisabled);
}

TEST_F(StartupEntriesTest, DelayingIsRefusedForLineBreaksAndBeyondAHundredItems) {
    StartupItem broken = Item(SourceHkcuRun, "MnTestBroken", "a.exe\r\n[Item0]\r\nPath=evil.exe");
    Place(broken);
    EXPECT_EQ(SetStartupMode(broken, Delayed, 1), ModeChange::NotStorable);
    EXPECT_EQ(Find("MnTestBroken")[0].Source, SourceHkcuRun);
    EXPECT_TRUE(ReadDelayedItems(DelayFilePath()).empty());

    for (int k = 0; k < 100; ++k) Place(Item(SourceDelayed, "MnTestD" + std::to_string(k), "d.exe", 5, 1));
    StartupItem more = Item(SourceHkcuRun, "MnTestMore", "more.exe");
    Place(more);
    EXPECT_EQ(SetStartupMode(more, Delayed, 1), ModeChange::DelayFileFull);
    EXPECT_EQ(Find("MnTestMore")[0].Source, SourceHkcuRun);
    // A delayed item changing its delay does not add one.
    EXPECT_EQ(SetStartupMode(Item(SourceDelayed, "MnTestD0", "d.exe", 5, 1), Delayed, 8), ModeChange::Done);
    std::vector<StartupItem> file = ReadDelayedItems(DelayFilePath());
    ASSERT_EQ(file.size(), 100u);
    EXPECT_EQ(file.back().Name, "MnTestD0");
    EXPECT_EQ(file.back().DelayMinutes, 8);
}

TEST_F(StartupEntriesTest, DeletingRemovesTheItemFromItsPlaceOnly) {
    Place(Item(SourceHklmRun, "MnTestDel", "run.exe"));
    Place(Item(SourceHkcuRunDisabled, "MnTestDel", "paused.exe"));
    Place(Item(SourceDelayed, "MnTestStuck", "stuck.exe", 3, 2));
    EXPECT_TRUE(DeleteStartupItem(Item(SourceHkcuRunDisabled, "MnTestDel", "")));
    ASSERT_EQ(Find("MnTestDel").size(), 1u);
    EXPECT_EQ(Find("MnTestDel")[0].Source, SourceHklmRun);
    EXPECT_TRUE(DeleteStartupItem(Find("MnTestStuck")[0]));
    EXPECT_TRUE(Find("MnTestStuck").empty());
    EXPECT_FALSE(DeleteStartupItem(Item(SourceHkcuRun, "MnTestNowhere", "")));
}

TEST_F(StartupEntriesTest, CleanUpRemovesPausedAndDelayedCopiesOfActiveNamesAndSaysWhich) {
    Place(Item(SourceHklmRun, "MnTestTwin", "twin.exe"));
    Place(Item(SourceHklmRunDisabled, "MNTESTTWIN", "old-twin.exe"));
    Place(Item(SourceHkcuRun, "mntestlater", "later.exe"));
    Place(Item(SourceDelayed, "MnTestLater", "later.exe", 5, 2));
    Place(Item(SourceDelayed, "MnTestAlone", "alone.exe", 5, 2));
    Place(Item(SourceHkcuRunDisabled, "MnTestPausedOnly", "p.exe"));

    std::vector<std::string> cleaned = CleanStartupEntries();
    EXPECT_EQ(cleaned, (std::vector<std::string>{"MNTESTTWIN", "MnTestLater"}));
    EXPECT_EQ(Find("MnTestTwin").size(), 1u);   // the active copy is untouched
    EXPECT_EQ(Find("MNTESTTWIN").size(), 0u);
    ASSERT_EQ(Find("mntestlater").size(), 1u);
    EXPECT_EQ(Find("MnTestLater").size(), 0u);
    EXPECT_EQ(Find("MnTestAlone").size(), 1u);
    EXPECT_EQ(Find("MnTestPausedOnly").size(), 1u);
    EXPECT_TRUE(CleanStartupEntries().empty());

    // The message in the shipped language file's words.
    std::string language = ProgramFilePath("English.ini");
    ASSERT_TRUE(CopyFileA(MNEMORA_SOURCE_DIR "\\lang\\English.ini", language.c_str(), FALSE));
    std::string message = ReconcileMessage(cleaned);
    DeleteFileA(language.c_str());
    EXPECT_EQ(message,
              "Start-up itemsMnemora:\n\nMNTESTTWIN\nMnTestLater\n\nThese programs were set to start with Windows "
              "again, so their paused or delayed copies were removed.\n");
}

TEST_F(StartupEntriesTest, TheListHasEverySourceInOrderWithoutTheOwnEntryAndWithoutALimit) {
    ASSERT_TRUE(Put(SourceHklmRun, "Ramvane", "C:\\" + std::string(300, 'r') + "\\Ramvane.exe -PowerOn"));
    EXPECT_TRUE(OwnStartupValueExists());  // whatever the length of its path
    Put(SourceHklmRun, "MnTestRamvaneHelper", "hidden.exe");  // the name holds "Ramvane": hidden
    Put(SourceHkcuRun, "Ramvane", "user.exe");                // another key: listed
    for (int source : kRegistrySources) Put(source, "MnTestIn" + std::to_string(source), LongCommand("x"));
    Place(Item(SourceDelayed, "MnTestIn2", "delayed.exe", 0, 7));
    for (int k = 0; k < 120; ++k) Put(SourceHkcuRunDisabled, "MnTestMany" + std::to_string(k), "m.exe");

    std::vector<StartupItem> items = ReadStartupItems();
    std::vector<int> order;
    int many = 0, userOwn = 0;
    for (const StartupItem& item : items) {
        EXPECT_FALSE(item.Name.find("Ramvane") != std::string::npos && item.Source == SourceHklmRun) << item.Name;
        userOwn += item.Name == "Ramvane";
        if (item.Name.compare(0, 8, "MnTestIn") == 0) {
            order.push_back(item.Source);
            EXPECT_EQ(item.Name, "MnTestIn" + std::to_string(item.Source));
            if (item.Source != SourceDelayed) {
                EXPECT_EQ(item.Command, LongCommand("x"));
            }
        }
        many += item.Name.compare(0, 10, "MnTestMany") == 0;
    }
    EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(many, 120);
    EXPECT_EQ(userOwn, 1);  // HKCU's Ramvane: the check above proves it is not HKLM's
    EXPECT_EQ(Find("MnTestIn2")[0].DelayMinutes, 7);

    RegistryKey run;
    ASSERT_EQ(run.Open(HKEY_LOCAL_MACHINE, kRunKeyPath), ERROR_SUCCESS);
    run.DeleteValue("Ramvane");
    EXPECT_FALSE(OwnStartupValueExists());
}

TEST_F(StartupEntriesTest, TheDelayedStartSetsItsTimerNoMoreAfterTheLastStart) {
    // Programs that do not exist: a start that failed counts as started.
    for (const char* name : {"MnTestBootA", "MnTestBootB"})
        Place(Item(SourceDelayed, name, "MnTestNoSuchProgram.exe", 5, 0));
    HWND window = CreateWindowA("STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    const UINT kTimer = 4;
    DelayedStart delayedStart;
    delayedStart.Start(window, kTimer);
    int ticksAfterTheLast = 0;
    for (DWORD begin = GetTickCount(); GetTickCount() - begin < 8 * DelayedStart::kPeriodMs;) {
        MSG msg;
        if (!PeekMessageA(&msg, window, WM_TIMER, WM_TIMER, PM_REMOVE))
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_TIMER);
        else if (delayedStart.StartedCount() == 2)
            ++ticksAfterTheLast;
        else
            delayedStart.OnTimer();
    }
    EXPECT_EQ(delayedStart.StartedCount(), 2);
    EXPECT_EQ(ticksAfterTheLast, 0);
    EXPECT_FALSE(KillTimer(window, kTimer));
    DestroyWindow(window);
}
