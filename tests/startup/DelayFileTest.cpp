// Delay.cfg as a real file: its layout as written, removal with renumbering, appending, the
// boot table's limit, and saves that fail or are cut short.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/IniFile.h"
#include "driver/TestDriver.h"
#include "startup/DelayFile.h"

namespace {
StartupItem Item(const std::string& name, const std::string& command, int delay, int oldId) {
    StartupItem item;
    item.Name = name;
    item.Command = command;
    item.Source = SourceDelayed;
    item.DelayMinutes = delay;
    item.OldId = oldId;
    return item;
}

std::string Section(int index, const StartupItem& item) {
    return "[Item" + std::to_string(index) + "]\r\nProject=" + item.Name + "\r\nPath=" + item.Command +
           "\r\nDelay=" + std::to_string(item.DelayMinutes) + "\r\nOLDID=" + std::to_string(item.OldId) + "\r\n\r\n";
}

class DelayFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        char dir[MAX_PATH];
        GetTempPathA(sizeof dir, dir);
        path_ = std::string(dir) + "MnemoraDelayTest.cfg";
        DeleteFileA(path_.c_str());
    }
    void TearDown() override {
        RemoveDirectoryA((path_ + ".new").c_str());
        DeleteFileA(path_.c_str());
    }
    std::string Bytes() const {
        std::string bytes;
        IniFile::ReadBytes(path_, bytes);
        return bytes;
    }
    void Write(const std::string& bytes) const {
        FILE* f = std::fopen(path_.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
    void WriteItems(int count) const {
        std::string bytes;
        for (int k = 0; k < count; ++k) bytes += Section(k, Item("n" + std::to_string(k), "c.exe", k % 60, 0));
        Write(bytes);
    }
    std::string path_;
};
}  // namespace

TEST_F(DelayFileTest, RemovingTheMiddleItemRenumbersTheRestInTheWrittenLayout) {
    StartupItem a = Item("A", "C:\\a.exe /x", 1, 0), b = Item("B", "b.exe", 2, 1), c = Item("C", "c.exe", 3, 5);
    for (const StartupItem& item : {a, b, c}) ASSERT_TRUE(AppendDelayedItem(path_, item));
    EXPECT_EQ(Bytes(), Section(0, a) + Section(1, b) + Section(2, c));

    EXPECT_TRUE(RemoveDelayedItem(path_, b));
    EXPECT_EQ(Bytes(), Section(0, a) + Section(1, c));
}

TEST_F(DelayFileTest, RemovalTakesTheItemWithAllItsKeysAndOfTwoAlikeTheLater) {
    const StartupItem first = Item("B", "first.exe", 1, 0), other = Item("X", "x.exe", 2, 0);
    const StartupItem last = Item("B", "last.exe", 1, 0);
    Write(Section(0, first) + Section(1, other) + Section(2, last));
    std::string before = Bytes();
    StartupItem lower = first, otherDelay = first, otherPlace = first;
    lower.Name = "b";
    otherDelay.DelayMinutes = 2;
    otherPlace.OldId = 5;
    for (const StartupItem& unlike : {lower, otherDelay, otherPlace, Item("missing", "first.exe", 1, 0)})
        EXPECT_FALSE(RemoveDelayedItem(path_, unlike)) << unlike.Name;
    EXPECT_EQ(Bytes(), before);

    // One name, two commands: the first goes, not the later item of that name.
    EXPECT_TRUE(RemoveDelayedItem(path_, first));
    EXPECT_EQ(Bytes(), Section(0, other) + Section(1, last));
    // Two alike in every key: the later goes.
    Write(Section(0, first) + Section(1, other) + Section(2, first));
    EXPECT_TRUE(RemoveDelayedItem(path_, first));
    EXPECT_EQ(Bytes(), Section(0, first) + Section(1, other));
}

TEST_F(DelayFileTest, AppendingAfterAGapRewritesTheSectionWithTheFourKeysOnly) {
    StartupItem zero = Item("Z", "z.exe", 1, 0), added = Item("New", "new.exe", 4, 1);
    Write(Section(0, zero) + "[Item2]\r\nPath=old.exe\r\nExtra=1\r\nProject=Old\r\n\r\n");
    ASSERT_TRUE(AppendDelayedItem(path_, added));
    EXPECT_EQ(Bytes(), Section(0, zero) + Section(2, added));
}

TEST_F(DelayFileTest, HandEditedNumbersAndMissingKeysReadAsTheirLeadingDecimalAndEmpty) {
    Write("[Item0]\r\nProject=P\r\nDelay=x5\r\nOLDID=3 \r\n[Item1]\r\nDelay=-2\r\n");
    std::vector<StartupItem> items = ReadDelayedItems(path_);
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].Name, "P");
    EXPECT_EQ(items[0].Command, "");
    EXPECT_EQ(items[0].DelayMinutes, 0);
    EXPECT_EQ(items[0].OldId, 3);
    EXPECT_EQ(items[0].Source, SourceDelayed);
    EXPECT_EQ(items[1].DelayMinutes, -2);
}

TEST_F(DelayFileTest, TheBootTableTakesAHundredItemsAndNoneOfALongerFile) {
    std::vector<StartupItem> table = {Item("stale", "", 0, 0)};
    EXPECT_EQ(LoadDelayedItems(path_, table), 0);  // no file
    EXPECT_TRUE(table.empty());

    WriteItems(kMaxBootItems);
    EXPECT_EQ(LoadDelayedItems(path_, table), 100);
    ASSERT_EQ(table.size(), 100u);
    EXPECT_EQ(table[99].Name, "n99");
    EXPECT_EQ(table[99].DelayMinutes, 39);
    EXPECT_EQ(table[99].Started, 0);

    WriteItems(kMaxBootItems + 1);
    EXPECT_EQ(LoadDelayedItems(path_, table), 0);
    EXPECT_TRUE(table.empty());
    // Such a file can still be brought back under the limit.
    EXPECT_TRUE(RemoveDelayedItem(path_, Item("n100", "c.exe", 40, 0)));
    EXPECT_EQ(LoadDelayedItems(path_, table), 100);
}

TEST_F(DelayFileTest, AFileThatCannotBeReadOrWrittenIsLeftAsItWas) {
    const StartupItem kept = Item("Kept", "kept.exe", 5, 0), other = Item("Other", "other.exe", 2, 1);
    const std::string file = Section(0, kept) + Section(1, other);
    StartupItem later = kept;
    later.DelayMinutes = 9;
    const std::string temporary = path_ + ".new";
    HANDLE lock = INVALID_HANDLE_VALUE;
    const struct {
        const char* name;
        bool held;
        DWORD share;
    } blockers[] = {{"held by a program that lets no one in", true, 0},
                    {"held by a program that lets others only read it", true, FILE_SHARE_READ},
                    {"its temporary copy blocked by a folder of that name", false, 0}};
    for (const auto& b : blockers) {
        SCOPED_TRACE(b.name);
        Write(file);
        if (b.held)
            lock = CreateFileA(path_.c_str(), GENERIC_READ, b.share, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_TRUE(b.held ? lock != INVALID_HANDLE_VALUE : CreateDirectoryA(temporary.c_str(), nullptr) != 0);
        EXPECT_FALSE(AppendDelayedItem(path_, Item("New", "new.exe", 1, 0)));
        EXPECT_FALSE(RemoveDelayedItem(path_, kept));
        EXPECT_FALSE(ReplaceDelayedItem(path_, kept, later));  // nothing lost in between
        if (b.held) {
            CloseHandle(lock);
        } else {
            // Nor is a file made before the save that fails.
            DeleteFileA(path_.c_str());
            EXPECT_FALSE(AppendDelayedItem(path_, Item("New", "new.exe", 1, 0)));
            EXPECT_EQ(GetFileAttributesA(path_.c_str()), INVALID_FILE_ATTRIBUTES);
            Write(file);
            RemoveDirectoryA(temporary.c_str());
        }
        EXPECT_EQ(Bytes(), file);
    }
    // A new delay moves the item to the end in one save.
    ASSERT_TRUE(ReplaceDelayedItem(path_, kept, later));
    EXPECT_EQ(Bytes(), Section(0, other) + Section(1, later));
}

TEST_F(DelayFileTest, ASaveEndedAtAnyMomentLeavesTheOldFileOrTheNewOne) {
    const StartupItem items[] = {Item("One", "one.exe", 1, 0), Item("Two", "C:\\two.exe -x", 2, 1),
                                 Item("Three", "three.exe", 3, 5)};
    const std::string three = Section(0, items[0]) + Section(1, items[1]) + Section(2, items[2]);
    // A program that rewrites the file without pause, ended at random moments of its saves.
    const std::string writer = std::string(MNEMORA_BINARY_DIR) + "\\tools\\startup_delay_writer.exe";
    std::srand(GetTickCount());
    int withFour = 0;
    for (int round = 0; round < 20; ++round) {
        Write(three);  // a round ended between its append and its removal left four
        HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, "Mnemora delay writer");
        ResetEvent(ready);
        driver::AppProcess app;
        ASSERT_TRUE(app.Start(writer, "\"" + path_ + "\""));
        ASSERT_EQ(WaitForSingleObject(ready, 20000), WAIT_OBJECT_0);
        CloseHandle(ready);
        Sleep(static_cast<DWORD>(std::rand() % 40));
        ASSERT_TRUE(app.Running()) << "the writer stopped by itself";
        app.Kill();
        std::vector<StartupItem> read = ReadDelayedItems(path_);
        ASSERT_TRUE(read.size() == 3 || read.size() == 4) << "round " << round << ": " << Bytes();
        for (size_t k = 0; k < 3; ++k) EXPECT_EQ(read[k].Name, items[k].Name) << "round " << round;
        if (read.size() == 4) {
            ++withFour;
            EXPECT_EQ(read[3].Command, "\"C:\\Program Files\\Fourth\\fourth.exe\" /quiet");
        }
    }
    DeleteFileA((path_ + ".new").c_str());
    std::printf("[          ] %d of 20 rounds ended with the fourth item written\n", withFour);
}
