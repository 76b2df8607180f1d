// The plain rules of the start-up items: name and prefix lookup, icon paths, the running
// test, numbers of Delay.cfg, the boot schedule and the manager's state column.
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

TEST(StartupRows, TheStateFollowsThePlaceAndADelayedRowSaysItsMinutes) {
    const StartupStateTexts texts{"Active", "Paused", "Started after", "minutes"};
    const struct {
        int source, delay;
        const char* state;
    } cases[] = {
        {SourceHklmRun, 0, "Active"},         {SourceHklmRunServices, 0, "Active"},
        {SourceHkcuRun, 0, "Active"},         {SourceHklmRunDisabled, 0, "Paused"},
        {SourceHklmRunServicesDisabled, 0, "Paused"}, {SourceHkcuRunDisabled, 0, "Paused"},
        {SourceDelayed, 7, "Started after 7 minutes"}, {SourceDelayed, 0, "Started after 0 minutes"},
    };
    std::vector<StartupItem> items;
    for (const auto& c : cases) {
        const std::string k = std::to_string(items.size());
        items.push_back({"name" + k, "command" + k, c.source, c.delay});
    }
    const std::vector<ListRow> rows = StartupRows(items, texts, {});
    ASSERT_EQ(rows.size(), items.size());
    for (size_t k = 0; k < rows.size(); ++k)
        EXPECT_EQ(rows[k].cells, (std::vector<std::string>{items[k].Name, items[k].Command, cases[k].state})) << k;
}
