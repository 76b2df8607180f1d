#include "hwinfo/ModuleText.h"

#include <gtest/gtest.h>

#include <climits>

namespace {
struct Case {
    const char* in;
    const char* out;
};

TEST(ModuleTables, ChipTypeLetsTheLastMatchingTestDecide) {
    const Case cases[] = {{"128", "SDR"}, {"64", "RAMBUS"}, {"4096", ""},  {"1024", "DDR"},
                          {"256", "CMOS"}, {"512", "EDO"},   {"", ""},      {"12864", "RAMBUS"}};
    for (const Case& c : cases) EXPECT_EQ(ChipTypeOf(c.in), c.out) << c.in;
}

TEST(ModuleTables, PackageTakesTheFirstMatch) {
    const Case cases[] = {{"8", "DIMM"}, {"17", "SIMM"}, {"12", ""}, {"21", "BGA"}, {"23", "LGA"}, {"", ""}};
    for (const Case& c : cases) EXPECT_EQ(PackageOf(c.in), c.out) << c.in;
}

TEST(ModuleTables, TechnologyLetsTheLastMatchingTestDecide) {
    const Case cases[] = {{"20", "DRAM"}, {"0", ""}, {"3", "Synchronous DRAM"}, {"26", "EDRAM"}, {"9", ""}};
    for (const Case& c : cases) EXPECT_EQ(TechnologyOf(c.in), c.out) << c.in;
}

// Today's modules hold 8 to 32 GB: a 32-bit reading would turn them into nonsense.
TEST(ModuleCapacity, ReadsSixtyFourBitByteCountsAsMegabytes) {
    EXPECT_EQ(CapacityMB("268435456"), 256);
    EXPECT_EQ(CapacityMB("2147483648"), 2048);
    EXPECT_EQ(CapacityMB("34359738368"), 32768);
    EXPECT_EQ(CapacityMB(" +1048576 bytes"), 1);
    EXPECT_EQ(CapacityMB("1048575"), 0);
    EXPECT_EQ(CapacityMB(""), 0);
    EXPECT_EQ(CapacityMB("-1048576"), 0);
    EXPECT_EQ(CapacityMB("99999999999999999999999999"), INT_MAX);
    EXPECT_EQ(LeadingNumber("18446744073709551615"), 18446744073709551615ull);
    EXPECT_EQ(LeadingNumber("18446744073709551616"), 18446744073709551615ull);

    EXPECT_EQ(InstalledMBOf({"268435456", "268435456"}), 512);
    EXPECT_EQ(InstalledMBOf({"17179869184", "17179869184", ""}), 32768);
    EXPECT_EQ(InstalledMBOf({}), 0);
    EXPECT_EQ(InstalledMBOf({"2251799813685248000", "2251799813685248000"}), INT_MAX);
}

TEST(FillMemoryInfo, TwoModulesOf256MB) {
    ModuleLists m;
    m.bankLabel = {"BANK 0", "BANK 1"};
    m.capacity = {"268435456", "268435456"};
    m.typeDetail = {"64", "128"};
    m.formFactor = {"8", "7"};
    m.dataWidth = {"64", "64"};
    m.serialNumber = {"12345678", "9"};
    m.memoryType = {"20", "0"};
    m.speed = {"133", "133"};
    MemoryInfoFields f = FillMemoryInfo(m, "Unknown");
    EXPECT_EQ(f.count, "2");
    EXPECT_EQ(f.size, "256 MB");
    EXPECT_EQ(f.chipType, "SDR");   // the last module's
    EXPECT_EQ(f.package, "SIMM");   // the last module's
    EXPECT_EQ(f.technology, "Unknown");  // the last module's "0" names none
    EXPECT_EQ(f.status, "OK");
    EXPECT_EQ(f.dataWidth, "64");
    EXPECT_EQ(f.serialNumber, "12345678");
    EXPECT_EQ(f.speed, "133");
}

// What Wine's service delivers: one module, three properties missing, an empty serial.
TEST(FillMemoryInfo, MissingAndShortTextsShowUnknownExceptTheDataWidth) {
    ModuleLists m;
    m.bankLabel = {"BANK 0"};
    m.capacity = {"25276178432"};
    m.typeDetail = {""};
    m.formFactor = {"12"};
    m.dataWidth = {""};
    m.serialNumber = {"7"};
    m.memoryType = {"9"};
    m.speed = {""};
    MemoryInfoFields f = FillMemoryInfo(m, "Unknown");
    EXPECT_EQ(f.count, "1");
    EXPECT_EQ(f.size, "24105 MB");
    EXPECT_EQ(f.chipType, "Unknown");
    EXPECT_EQ(f.package, "Unknown");
    EXPECT_EQ(f.technology, "Unknown");
    EXPECT_EQ(f.dataWidth, "");
    EXPECT_EQ(f.serialNumber, "Unknown");
    EXPECT_EQ(f.speed, "Unknown");
}

// Queries that failed leave lists empty or shorter than the module count.
TEST(FillMemoryInfo, ShortOrEmptyListsNeverReadPastTheirEnd) {
    ModuleLists m;
    m.bankLabel = {"A", "B", "C"};
    m.typeDetail = {"128"};
    MemoryInfoFields f = FillMemoryInfo(m, "?");
    EXPECT_EQ(f.count, "3");
    EXPECT_EQ(f.size, "?");
    EXPECT_EQ(f.chipType, "?");  // the third module has no type detail
    EXPECT_EQ(f.speed, "?");

    MemoryInfoFields none = FillMemoryInfo(ModuleLists(), "?");
    EXPECT_EQ(none.count, "0");
    EXPECT_EQ(none.dataWidth, "");
    EXPECT_EQ(none.serialNumber, "?");
}
}  // namespace
