#include "probes/CpuLoad.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>

#include "app/RegistryKey.h"
#include "driver/TestDriver.h"

namespace {
constexpr std::uint64_t kSecond = 10000000;  // 100 ns units
constexpr std::uint64_t kBoot = 126000000000000000ull;

// A history that has seen one sample at kBoot with some idle time behind it.
NtLoadHistory Primed() {
    NtLoadHistory h;
    int load = -1;
    EXPECT_FALSE(NextNtLoad(h, 50 * kSecond, kBoot, 2, load));
    EXPECT_EQ(load, -1);
    return h;
}

struct LoadCase {
    const char* rule;
    std::uint64_t idleDelta, timeDelta;
    int processors;
    int load;
};
}  // namespace

TEST(NtLoad, FirstSampleDeliversNothingButIsRemembered) {
    NtLoadHistory h;
    int load = 0;
    EXPECT_FALSE(NextNtLoad(h, 50 * kSecond, kBoot, 1, load));
    EXPECT_EQ(load, 0);
    EXPECT_EQ(h.idle, 50 * kSecond);
    EXPECT_EQ(h.time, kBoot);
    EXPECT_TRUE(NextNtLoad(h, 50 * kSecond, kBoot + kSecond, 1, load));
    EXPECT_EQ(load, 100);
}

TEST(NtLoad, ShareOfIdleTimeAcrossProcessors) {
    const LoadCase cases[] = {
        {"two processors, one busy", kSecond, kSecond, 2, 50},
        {"fully idle", kSecond, kSecond, 1, 0},
        {"fully idle, two processors", 2 * kSecond, kSecond, 2, 0},
        {"fully busy", 0, kSecond, 4, 100},
        {"a quarter busy", 3 * kSecond / 4, kSecond, 1, 25},
        {"rounds 24.6 up to 25", 754 * kSecond / 1000, kSecond, 1, 25},
        {"rounds 24.4 down to 24", 756 * kSecond / 1000, kSecond, 1, 24},
        {"idle ticking ahead of the clock reads 0, not below", 3 * kSecond, kSecond, 2, 0},
    };
    for (const LoadCase& c : cases) {
        SCOPED_TRACE(c.rule);
        NtLoadHistory h = Primed();
        int load = -1;
        EXPECT_TRUE(NextNtLoad(h, h.idle + c.idleDelta, h.time + c.timeDelta, c.processors, load));
        EXPECT_EQ(load, c.load);
    }
}

// Two samples inside one clock tick have no interval: the second delivers nothing and
// keeps the older pair, so the next sample measures the whole interval since it.
TEST(NtLoad, NoElapsedTimeDeliversNothingAndKeepsThePreviousPair) {
    NtLoadHistory h = Primed();
    const NtLoadHistory before = h;
    int load = 0;
    EXPECT_FALSE(NextNtLoad(h, h.idle + 12345, h.time, 2, load));
    EXPECT_EQ(load, 0);
    EXPECT_EQ(h.idle, before.idle);
    EXPECT_EQ(h.time, before.time);
    EXPECT_TRUE(NextNtLoad(h, before.idle + kSecond, before.time + kSecond, 2, load));
    EXPECT_EQ(load, 50);
}

// The low-memory tick samples twice within microseconds; the idle counter has not moved
// then, which must not read as a fully busy processor.
TEST(NtLoad, AnIntervalShorterThanAClockTickRepeatsTheLastFigure) {
    NtLoadHistory h = Primed();
    const NtLoadHistory before = h;
    int load = -1;
    EXPECT_FALSE(NextNtLoad(h, h.idle, h.time + 10000, 1, load));  // 1 ms, nothing measured yet
    EXPECT_EQ(load, -1);
    ASSERT_TRUE(NextNtLoad(h, before.idle + kSecond / 4, before.time + kSecond, 1, load));
    EXPECT_EQ(load, 75);
    const NtLoadHistory measured = h;
    EXPECT_TRUE(NextNtLoad(h, h.idle, h.time + 10000, 1, load));
    EXPECT_EQ(load, 75);
    EXPECT_EQ(h.time, measured.time);
    EXPECT_TRUE(NextNtLoad(h, measured.idle + kSecond, measured.time + kSecond, 1, load));
    EXPECT_EQ(load, 0);
}

TEST(NtLoad, ClockSetBackOrNoProcessorCountDeliversNothingAndResynchronises) {
    NtLoadHistory h = Primed();
    int load = 7;
    EXPECT_FALSE(NextNtLoad(h, h.idle + kSecond, h.time - 60 * kSecond, 1, load));
    EXPECT_EQ(load, 7);
    EXPECT_EQ(h.time, kBoot - 60 * kSecond);
    EXPECT_FALSE(NextNtLoad(h, h.idle + kSecond, h.time + kSecond, 0, load));
    EXPECT_EQ(load, 7);
    EXPECT_TRUE(NextNtLoad(h, h.idle, h.time + kSecond, 1, load));
    EXPECT_EQ(load, 100);
}

TEST(NtLoad, RealSamplerDeliversAPercentageOnTheSecondSample) {
    int cpu = 0;
    SampleCpuLoadNt(cpu);
    Sleep(100);
    cpu = -1;
    SampleCpuLoadNt(cpu);
    EXPECT_GE(cpu, 0);
    EXPECT_LE(cpu, 100);
}

TEST(LoadSample, GivesFreeMemoryAndALoadOnTheNtLine) {
    int cpu = -5, freeMem = -5;
    SampleLoad(cpu, freeMem);
    EXPECT_GE(cpu, 0);
    EXPECT_LE(cpu, 100);
    EXPECT_GT(freeMem, 0);
    EXPECT_LE(freeMem, 100);
}

namespace {
// Wine has no 9x performance statistics; the tests publish one themselves.
class NineXLoadTest : public ::testing::Test {
protected:
    void SetUp() override { Remove(); }
    void TearDown() override { Remove(); }
    static void Remove() {
        driver::DeleteKeyTree(HKEY_DYN_DATA, "PerfStats\\StartStat");
        RegistryKey data;
        if (data.Open(HKEY_DYN_DATA, "PerfStats\\StatData") == ERROR_SUCCESS) data.DeleteValue("KERNEL\\CPUUsage");
    }
    static void Publish(DWORD usage) {
        RegistryKey perf;
        ASSERT_EQ(perf.Open(HKEY_DYN_DATA, "PerfStats"), ERROR_SUCCESS);
        perf.Create("StartStat", nullptr, REG_OPTION_VOLATILE);
        ASSERT_EQ(perf.SetDword(0, "KERNEL\\CPUUsage"), ERROR_SUCCESS);
        RegistryKey data;
        ASSERT_EQ(data.Open(HKEY_DYN_DATA, "PerfStats\\StatData"), ERROR_SUCCESS);
        ASSERT_EQ(data.SetDword(usage, "KERNEL\\CPUUsage"), ERROR_SUCCESS);
    }
};
}  // namespace

TEST_F(NineXLoadTest, DeliversExactlyTheKernelStatistic) {
    const DWORD values[] = {0, 37, 100, 250};
    for (DWORD v : values) {
        Publish(v);
        int cpu = 0;
        SampleCpuLoad9x(cpu);
        EXPECT_EQ(cpu, static_cast<int>(v));
    }
}

TEST_F(NineXLoadTest, WithoutTheStatisticTheCallersValueStays) {
    int cpu = 0;
    SampleCpuLoad9x(cpu);
    EXPECT_EQ(cpu, 0);
    Publish(42);
    driver::DeleteKeyTree(HKEY_DYN_DATA, "PerfStats\\StartStat");
    cpu = 0;
    SampleCpuLoad9x(cpu);
    EXPECT_EQ(cpu, 0);
}

TEST(ProcessorClock, TextAndCounterArithmetic) {
    EXPECT_EQ(ClockText(2400), "2400 MHz");
    EXPECT_EQ(ClockText(0), "Unknown");
    EXPECT_EQ(ClockText(-1), "-1 MHz");
    EXPECT_EQ(MhzFromCounter(720000000u, 3000000, 10000000), 2400);  // 300 ms at 10 MHz
    EXPECT_EQ(MhzFromCounter(4000000000u, 357955, 1193182), 13333);  // 300 ms of the PIT
    EXPECT_EQ(MhzFromCounter(1000, 0, 10000000), 0);
    EXPECT_EQ(MhzFromCounter(1000, 5, 10000000), 0);                 // under a microsecond
    EXPECT_EQ(MhzFromCounter(1000, 100, 0), 0);
}

namespace {
const char kCpuKey[] = "Hardware\\Description\\System\\CentralProcessor\\0";

// Puts `mhz` into "~MHz" (0: removes it) and restores the system's value afterwards.
class ClockRegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(key_.Open(HKEY_LOCAL_MACHINE, kCpuKey), ERROR_SUCCESS);
        had_ = key_.QueryDword(saved_, "~MHz") == ERROR_SUCCESS;
    }
    void TearDown() override {
        if (had_) key_.SetDword(saved_, "~MHz");
    }
    void Set(DWORD mhz) {
        if (mhz)
            ASSERT_EQ(key_.SetDword(mhz, "~MHz"), ERROR_SUCCESS);
        else
            key_.DeleteValue("~MHz");
    }
    RegistryKey key_;
    DWORD saved_ = 0;
    bool had_ = false;
};
}  // namespace

TEST_F(ClockRegistryTest, RegistryFigureIsUsedWithoutMeasuring) {
    Set(2400);
    DWORD start = GetTickCount();
    EXPECT_EQ(GetProcessorClockText(), "2400 MHz");
    EXPECT_LT(GetTickCount() - start, 250u);  // the counter method alone sleeps 300 ms
    EXPECT_EQ(GetPriorityClass(GetCurrentProcess()), static_cast<DWORD>(NORMAL_PRIORITY_CLASS));
}

// Without "~MHz" the two measuring methods must agree on the time-stamp rate.
TEST_F(ClockRegistryTest, MeasuredMethodsAgree) {
    Set(0);
    EXPECT_EQ(RegistryClockMHz(), 0);
    int counter = CounterClockMHz();
    int timer = MultimediaTimerClockMHz();
    EXPECT_GT(counter, 100);
    EXPECT_LT(counter, 10000);
    EXPECT_NEAR(timer, counter, counter / 10);
    std::string text = GetProcessorClockText();
    EXPECT_NE(text, "Unknown");
    EXPECT_NEAR(std::atoi(text.c_str()), counter, counter / 10);
}
