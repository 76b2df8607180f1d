// The real probes in a child process for which Wine reports a chosen Windows release.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <string>

#include "app/RegistryKey.h"
#include "driver/TestDriver.h"

namespace {
const char kRunner[] = MNEMORA_BINARY_DIR "\\tools\\probe_runner.exe";
const char kAppDefaults[] = "Software\\Wine\\AppDefaults\\probe_runner.exe";

using Report = std::map<std::string, std::string>;

class ProbeLinesTest : public ::testing::Test {
protected:
    void SetUp() override {
        char dir[MAX_PATH];
        GetTempPathA(sizeof dir, dir);
        output_ = std::string(dir) + "probe_runner_report.txt";
    }
    void TearDown() override {
        driver::DeleteKeyTree(HKEY_CURRENT_USER, kAppDefaults);
        DeleteFileA(output_.c_str());
    }

    // Runs the probes as Wine's `version` ("win98", "nt40" …) and returns their report.
    Report Run(const char* version) {
        RegistryKey key;
        EXPECT_EQ(key.Open(HKEY_CURRENT_USER, "Software"), ERROR_SUCCESS);
        key.Create("Wine\\AppDefaults\\probe_runner.exe");
        EXPECT_EQ(key.SetString(version, "Version"), ERROR_SUCCESS);
        DeleteFileA(output_.c_str());
        driver::AppProcess runner;
        EXPECT_TRUE(runner.Start(kRunner, "\"" + output_ + "\""));
        DWORD code = 1;
        EXPECT_TRUE(runner.WaitExit(30000, &code));
        EXPECT_EQ(code, 0u);
        Report report;
        std::ifstream in(output_);
        for (std::string line; std::getline(in, line);) {
            size_t eq = line.find('=');
            if (eq != std::string::npos) report[line.substr(0, eq)] = line.substr(eq + 1);
        }
        return report;
    }
    static int Number(const Report& r, const char* name) {
        auto it = r.find(name);
        return it == r.end() ? -999 : std::atoi(it->second.c_str());
    }

    std::string output_;
};

struct LineCase {
    const char* version;
    bool nineX;
    const char* suffix;
    bool vista;
};
}  // namespace

TEST_F(ProbeLinesTest, EachReleaseGetsItsLineSuffixAndSaneFigures) {
    const LineCase cases[] = {
        {"win95", true, "-95", false},    {"win98", true, "-98SE", false}, {"winme", true, "-Me", false},
        {"nt40", false, "-NT", false},   {"win2k", false, "-2000", false}, {"winxp", false, "-XP", false},
        {"win10", false, "", true},
    };
    for (const LineCase& c : cases) {
        SCOPED_TRACE(c.version);
        Report r = Run(c.version);
        ASSERT_EQ(r.count("suffix"), 1u);
        EXPECT_EQ(Number(r, "nine_x"), c.nineX ? 1 : 0);
        EXPECT_EQ(r["suffix"], c.suffix);
        EXPECT_EQ(Number(r, "vista"), c.vista ? 1 : 0);
        int avail = Number(r, "avail_phys"), total = Number(r, "total_phys");
        EXPECT_GT(avail, 0);
        EXPECT_LE(avail, total);
        EXPECT_GT(Number(r, "total_virtual"), 0);
        EXPECT_EQ(Number(r, "free_mem"), static_cast<int>(avail * 100.0 / total));
        if (c.nineX) {
            EXPECT_EQ(avail % 2, 0);
            EXPECT_EQ(total % 2, 0);
            // Wine publishes no 9x statistic: the load stays at the caller's 0.
            EXPECT_EQ(Number(r, "first_cpu"), 0);
            EXPECT_EQ(Number(r, "second_cpu"), 0);
        } else {
            EXPECT_EQ(total, Number(r, "status_total_phys_mb"));
            EXPECT_EQ(Number(r, "first_cpu"), 0);
            EXPECT_GE(Number(r, "second_cpu"), 0);
            EXPECT_LE(Number(r, "second_cpu"), 100);
        }
        EXPECT_EQ(Number(r, "guard_faulted"), 1);
        EXPECT_FALSE(r["name"].empty());
        EXPECT_EQ(r["display_name"].empty(), r["name"].empty());
    }
}

TEST_F(ProbeLinesTest, NineXLoadIsTheStatisticTheKernelPublishes) {
    RegistryKey perf;
    ASSERT_EQ(perf.Open(HKEY_DYN_DATA, "PerfStats"), ERROR_SUCCESS);
    perf.Create("StartStat", nullptr, REG_OPTION_VOLATILE);
    RegistryKey data;
    ASSERT_EQ(data.Open(HKEY_DYN_DATA, "PerfStats\\StatData"), ERROR_SUCCESS);
    ASSERT_EQ(data.SetDword(63, "KERNEL\\CPUUsage"), ERROR_SUCCESS);
    Report r = Run("win98");
    EXPECT_EQ(Number(r, "first_cpu"), 63);
    EXPECT_EQ(Number(r, "second_cpu"), 63);
    data.DeleteValue("KERNEL\\CPUUsage");
    driver::DeleteKeyTree(HKEY_DYN_DATA, "PerfStats\\StartStat");
}
