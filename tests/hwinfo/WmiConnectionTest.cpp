// Against the management service Wine provides: one made-up module whose Capacity is a
// 64-bit byte count in a string, and whose TypeDetail, DataWidth and Speed are missing.
#include "hwinfo/WmiConnection.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "hwinfo/MemoryModules.h"

namespace {
TEST(WmiConnection, ReadsTheModulesAndCopesWithMissingProperties) {
    WmiConnection wmi;
    ASSERT_TRUE(wmi.Connect()) << wmi.LastError;
    std::vector<std::string> capacity, typeDetail;
    ASSERT_TRUE(wmi.QueryProperty("Win32_PhysicalMemory", "Capacity", capacity));
    ASSERT_TRUE(wmi.QueryProperty("Win32_PhysicalMemory", "TypeDetail", typeDetail));
    ASSERT_FALSE(capacity.empty());
    EXPECT_EQ(typeDetail.size(), capacity.size());  // a missing property still takes its place
    EXPECT_GT(LeadingNumber(capacity[0]), 0u);

    // Each module's whole megabytes, added up; the system cannot see more than is installed.
    long long sum = 0;
    for (const std::string& c : capacity) sum += std::stoll(c) / 1048576;
    std::int32_t installed = InstalledMemoryMB();
    EXPECT_EQ(installed, sum);
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof status;
    ASSERT_TRUE(GlobalMemoryStatusEx(&status));
    EXPECT_GE(installed, static_cast<long long>(status.ullTotalPhys / 1048576));
    std::printf("installed memory from the modules: %ld MB (%s bytes in the first)\n", static_cast<long>(installed),
                capacity[0].c_str());

    ModuleLists lists;
    ASSERT_TRUE(ReadModuleLists(lists));
    EXPECT_EQ(lists.bankLabel.size(), capacity.size());
    EXPECT_EQ(lists.speed.size(), capacity.size());
}

// Security is process-wide and set once; later connections in the same process (the
// window after the memory snapshot) must still succeed.
TEST(WmiConnection, ConnectsAgainInTheSameProcessAndThread) {
    for (int i = 0; i < 3; ++i) {
        WmiConnection wmi;
        EXPECT_TRUE(wmi.Connect()) << i << ": " << wmi.LastError;
    }
    EXPECT_GT(InstalledMemoryMB(), 0);
}

// A class that does not exist yields no instance; a query the service cannot parse fails,
// gives the connection up, and later queries fail without touching it.
TEST(WmiConnection, QueriesThatFindNothingOrFailLeaveTheirListsEmpty) {
    WmiConnection wmi;
    ASSERT_TRUE(wmi.Connect());
    std::vector<std::string> values;
    wmi.QueryProperty("No_Such_Class", "Capacity", values);
    EXPECT_TRUE(values.empty());
    EXPECT_FALSE(wmi.QueryProperty("Win32_PhysicalMemory WHERE", "Capacity", values));
    EXPECT_EQ(wmi.LastError, "Query for operating system name failed.");
    EXPECT_FALSE(wmi.QueryProperty("Win32_PhysicalMemory", "Capacity", values));
    EXPECT_TRUE(values.empty());
    WmiConnection never;
    EXPECT_FALSE(never.QueryProperty("Win32_PhysicalMemory", "Capacity", values));
}
}  // namespace
