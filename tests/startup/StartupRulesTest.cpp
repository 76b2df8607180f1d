// The plain rules of the start-up items: name and prefix lookup, icon paths, the running
// test, numbers of Delay.cfg, the boot schedule and the manager's rows.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <utility>
#include <vector>

#include "startup/BootSchedule.h"
#include "startup/StartupItem.h"
#include "startup/StartupRows.h"

namespace {
StartupItem DelayedItem(const std::string& name, int minutes) {
    StartupItem item;
    item.Name = name;
    item.Command = name + ".exe";
    item.Source = SourceDelayed;
    item.DelayMinutes = minutes;
    return item;
}

const std::uint32_t kMinute = 60000;
}  // namespace

TEST(StartupLookup, NamesMatchWholeAndPrefixesMatchTheStartIgnoringCase) {
    std::vector<std::string> list = {"Alpha", "beta", "BETA", ""};
    EXPECT_EQ(IndexOfNameNoCase("BETA", list), 1);
    EXPECT_EQ(IndexOfNameNoCase("bet", list), -1);
    EXPECT_EQ(IndexOfNameNoCase("", list), 3);
    EXPECT_EQ(IndexOfNameNoCase("x", {}), -1);

    std::vector<std::string> paths = {"C:\\Tools\\a.exe", "C:\\Windows\\"};
    EXPECT_EQ(IndexOfPrefixNoCase("c:\\tools\\A.EXE /min", paths), 0);
    EXPECT_EQ(IndexOfPrefixNoCase("C:\\Windows\\notepad.exe", paths), 1);
    EXPECT_EQ(IndexOfPrefixNoCase("C:\\Tools\\a.ex", paths), -1);  // shorter than the entry
    EXPECT_EQ(IndexOfPrefixNoCase("anything", {"x", ""}), 1);      // an empty entry matches
}

TEST(StartupLookup, IconPathIsTheProgramOfTheCommand) {
    const struct {
        const char* command;
        const char* path;
    } cases[] = {
        {"C:\\Program Files\\Tool\\tool.exe /quiet", "C:\\Program"},  // cut at the first space
        {"\"C:\\Program Files\\Tool\\tool.exe\" /quiet", "C:\\Program Files\\Tool\\tool.exe"},
        {"\"C:\\unclosed quote.exe", "C:\\unclosed quote.exe"},
        {"C:\\Tools\\tool.exe,1", "C:\\Tools\\tool.exe"},  // the dot and three characters
        {"C:\\Tools\\tool.ex", "C:\\Tools\\tool.ex"},      // fewer than three after the dot
        {"C:\\v1.2\\tool.exe", "C:\\v1.2\\t"},            // the first dot counts
        {"notepad", "notepad"},
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(CommandToIconPath(c.command), c.path) << c.command;
}

TEST(StartupLookup, RunningMeansTheCommandStartsWithAKnownImagePath) {
    std::vector<std::string> paths = {"", "C:\\Tools\\tool.exe"};
    EXPECT_TRUE(IsCommandRunning("c:\\tools\\TOOL.exe -x", paths));
    EXPECT_TRUE(IsCommandRunning("\"C:\\Tools\\tool.exe\" -x", paths));
    // A process whose path could not be read says nothing about any command.
    EXPECT_FALSE(IsCommandRunning("C:\\Other\\other.exe", paths));
    EXPECT_FALSE(IsCommandRunning("C:\\Other\\other.exe", {}));
}

TEST(StartupLookup, NumbersReadAsTheirLeadingDecimalHeldWithinInt) {
    const std::pair<const char*, int> cases[] = {{"x5", 0},   {"5x", 5},   {"", 0},
                                                 {"  -3", -3}, {"- 4", 0}, {"99999999999999999999", INT_MAX},
                                                 {"-99999999999999999999", INT_MIN}};
    for (const auto& c : cases) EXPECT_EQ(LeadingDecimal(c.first), c.second) << c.first;
}

TEST(BootSchedule, DelayZeroStartsAtTheFirstTickAndEqualDelaysTogetherInFileOrder) {
    std::vector<StartupItem> items = {DelayedItem("late", 3), DelayedItem("first", 2), DelayedItem("now", 0), DelayedItem("second", 2)};
    EXPECT_EQ(DelayedStartTick(items, 250), std::vector<size_t>{2});
    EXPECT_TRUE(DelayedStartTick(items, 2 * kMinute - 1).empty());
    EXPECT_EQ(DelayedStartTick(items, 2 * kMinute), (std::vector<size_t>{1, 3}));
    EXPECT_TRUE(DelayedStartTick(items, 2 * kMinute + 250).empty());  // each starts once
    EXPECT_EQ(DelayedStartTick(items, 3 * kMinute + 250), std::vector<size_t>{0});
    for (const StartupItem& item : items) EXPECT_EQ(item.Started, 1);
}

TEST(BootSchedule, AMinuteThatPassedWithoutATickOrANegativeDelayStillStarts) {
    // Ticks held up from 0:59 to 3:10 must not skip the items of minutes 1 and 2.
    std::vector<StartupItem> items = {DelayedItem("one", 1), DelayedItem("two", 2), DelayedItem("minus", -4), DelayedItem("ten", 10)};
    EXPECT_EQ(DelayedStartTick(items, 59000), std::vector<size_t>{2});
    EXPECT_EQ(DelayedStartTick(items, 3 * kMinute + 10000), (std::vector<size_t>{0, 1}));
    EXPECT_EQ(items[3].Started, 0);
}

TEST(BootSchedule, ElapsedTimeIsUnsignedAcrossTheCounterWrap) {
    EXPECT_EQ(TicksSince(0xFFFFFF00u, 0x00000100u), 0x200u);
    EXPECT_EQ(TicksSince(0xFFFFFFFFu - 2 * kMinute + 1, 0), 2 * kMinute);
    // 49.7 days after start: minutes read as 71582, not as a negative number.
    std::vector<StartupItem> items = {DelayedItem("hour", 60)};
    EXPECT_EQ(DelayedStartTick(items, 0xFFFFFFFFu), std::vector<size_t>{0});
}

TEST(StartupRows, OneRowPerItemWithItsStateText) {
    StartupStateTexts texts{"Active", "Paused", "Started after", "minutes"};
    std::vector<StartupItem> items(kStartupSourceCount);
    for (int s = 0; s < kStartupSourceCount; ++s) items[s] = {"n", "c", s, 7};
    std::vector<ListRow> rows = StartupRows(items, texts, {4, 5, 6});
    ASSERT_EQ(rows.size(), items.size());
    const char* states[] = {"Active", "Active", "Started after 7 minutes", "Paused", "Paused", "Active", "Paused"};
    for (int s = 0; s < kStartupSourceCount; ++s) {
        EXPECT_EQ(rows[s].cells, (std::vector<std::string>{"n", "c", states[s]}));
        EXPECT_EQ(rows[s].data, s + 1);  // data 0 would mean "no row"
    }
    EXPECT_EQ(rows[2].image, 6);
    EXPECT_EQ(rows[3].image, -1);
}
