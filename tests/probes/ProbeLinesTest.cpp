// The real probes in a child process for which Wine reports a chosen Windows release.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <string>

#include "app/RegistryKey.h"
#include "driver/TestDriver.h"
#include "optimizer/MemoryLists.h"

namespace {
const char kTools[] = MNEMORA_BINARY_DIR "\\tools\\";
const char kAppDefaults[] = "Software\\Wine\\AppDefaults\\";

using Report = std::map<std::string, std::string>;

class ProbeLinesTest : public ::testing::Test {
protected:
    void SetUp() override {
        char dir[MAX_PATH];
        GetTempPathA(sizeof dir, dir);
        output_ = std::string(dir) + "probe_runner_report.txt";
    }
    void TearDown() override {
        for (const char* runner : {"probe_runner.exe", "probe_runner_as_user.exe"})
            driver::DeleteKeyTree(HKEY_CURRENT_USER, (std::string(kAppDefaults) + runner).c_str());
        DeleteFileA(output_.c_str());
    }

    // Runs the probes (program `runner`) as Wine's `version` ("win98", "nt40" …) and returns
    // their report.
    Report Run(const char* version, const std::string& runner = "probe_runner.exe") {
        RegistryKey key;
        EXPECT_EQ(key.Open(HKEY_CURRENT_USER, "Software"), ERROR_SUCCESS);
        key.Create(("Wine\\AppDefaults\\" + runner).c_str());
        EXPECT_EQ(key.SetString(version, "Version"), ERROR_SUCCESS);
        DeleteFileA(output_.c_str());
        driver::AppProcess process;
        EXPECT_TRUE(process.Start(kTools + runner, "\"" + output_ + "\""));
        DWORD code = 1;
        EXPECT_TRUE(process.WaitExit(30000, &code));
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
    bool lists, combine;  // the memory lists run's steps this release offers
};
// What Wine answers to a lists run: every step done (a stub that claims success for any class),
// or nothing asked where the release has none.
const char kListsDone[] = "2 00000000", kListsNone[] = "1 00000000";
}  // namespace

TEST_F(ProbeLinesTest, EachReleaseGetsItsLineSuffixAndSaneFigures) {
    const LineCase cases[] = {
        {"win95", true, "-95", false, false},   {"win98", true, "-98SE", false, false},
        {"winme", true, "-Me", false, false},   {"nt40", false, "-NT", false, false},
        {"win2k", false, "-2000", false, false}, {"winxp", false, "-XP", false, false},
        {"vista", false, "", true, false},      {"win81", false, "", true, false},
        {"win10", false, "", true, true},
    };
    for (const LineCase& c : cases) {
        SCOPED_TRACE(c.version);
        Report r = Run(c.version);
        ASSERT_EQ(r.count("suffix"), 1u);
        EXPECT_EQ(Number(r, "nine_x"), c.nineX ? 1 : 0);
        EXPECT_EQ(r["suffix"], c.suffix);
        EXPECT_EQ(Number(r, "vista"), c.lists ? 1 : 0);  // the lists and the log-on task both from Vista on
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
        // Lists from Vista on, combining from Windows 10, which GetVersionExA reports as 6.2.
        EXPECT_EQ(Number(r, "lists"), c.lists ? 1 : 0);
        EXPECT_EQ(Number(r, "combine"), c.combine ? 1 : 0);
        EXPECT_EQ(Number(r, "list_privilege"), static_cast<int>(c.lists ? PrivilegeOutcome::Enabled : PrivilegeOutcome::Untouched));
        for (int i = 0; i < 3; ++i) EXPECT_EQ(r["list_step" + std::to_string(i)], c.lists ? kListsDone : kListsNone);
        EXPECT_EQ(r["list_step3"], c.combine ? kListsDone : kListsNone);
        EXPECT_FALSE(r["name"].empty());
        EXPECT_EQ(r["display_name"].empty(), r["name"].empty());
    }
}

TEST_F(ProbeLinesTest, AUserWithoutAdministratorRightsIsRefusedEveryListsStep) {
    driver::ScopedEnv asUser("MNEMORA_AS_USER", "1");
    Report r = Run("win10", "probe_runner_as_user.exe");
    EXPECT_EQ(Number(r, "list_privilege"), static_cast<int>(PrivilegeOutcome::NotHeld));
    for (int i = 0; i < kMemoryListStepCount; ++i) EXPECT_EQ(r["list_step" + std::to_string(i)], "4 C0000061") << i;
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
