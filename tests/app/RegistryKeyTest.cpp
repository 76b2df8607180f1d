#include "app/RegistryKey.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "driver/TestDriver.h"

namespace {
const char kTestKey[] = "Software\\MnemoraTest";

class RegistryKeyTest : public ::testing::Test {
protected:
    void SetUp() override {
        driver::DeleteKeyTree(HKEY_LOCAL_MACHINE, kTestKey);
        RegistryKey software;
        ASSERT_EQ(software.Open(HKEY_LOCAL_MACHINE, "Software"), ERROR_SUCCESS);
        software.Create("MnemoraTest");
        ASSERT_NE(software.Get(), nullptr);
        key_.Open(HKEY_LOCAL_MACHINE, kTestKey);
        ASSERT_NE(key_.Get(), nullptr);
    }
    void TearDown() override {
        key_.Close();
        driver::DeleteKeyTree(HKEY_LOCAL_MACHINE, kTestKey);
    }
    void SetRaw(const char* name, DWORD type, const void* data, DWORD size) {
        ASSERT_EQ(RegSetValueExA(key_.Get(), name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
    }
    RegistryKey key_;
};
}  // namespace

TEST_F(RegistryKeyTest, QueryDwordReadsAnyValueOfAtMostFourBytes) {
    const BYTE three[3] = {0x01, 0x02, 0x03};
    SetRaw("binary3", REG_BINARY, three, sizeof three);
    DWORD n = 77;
    EXPECT_EQ(key_.QueryDword(n, "binary3"), ERROR_SUCCESS);
    EXPECT_EQ(n, 0x030201u);

    SetRaw("text", REG_SZ, "ab", 3);
    EXPECT_EQ(key_.QueryDword(n, "text"), ERROR_SUCCESS);
    EXPECT_EQ(n, 0x6261u);

    SetRaw("long", REG_SZ, "abcdefgh", 9);
    n = 77;
    EXPECT_NE(key_.QueryDword(n, "long"), ERROR_SUCCESS);
    EXPECT_EQ(n, 77u);  // a failed read keeps the caller's default
    EXPECT_NE(key_.QueryDword(n, "missing"), ERROR_SUCCESS);
    EXPECT_EQ(n, 77u);
}

TEST_F(RegistryKeyTest, QueryStringEmptiesTheTextOnFailure) {
    std::string big(300, 'x');
    SetRaw("big", REG_SZ, big.c_str(), static_cast<DWORD>(big.size() + 1));
    std::string text = "previous";
    EXPECT_NE(key_.QueryString(text, "big"), ERROR_SUCCESS);
    EXPECT_EQ(text, "");

    std::string full(255, 'y');
    SetRaw("full", REG_SZ, full.c_str(), 256);
    EXPECT_EQ(key_.QueryString(text, "full"), ERROR_SUCCESS);
    EXPECT_EQ(text, full);

    SetRaw("nul", REG_BINARY, "ab\0cd", 5);
    EXPECT_EQ(key_.QueryString(text, "nul"), ERROR_SUCCESS);
    EXPECT_EQ(text, "ab");
}

TEST_F(RegistryKeyTest, SetStringRefusesTextsOverTheLimit) {
    EXPECT_EQ(key_.SetString(std::string(255, 'a'), "ok"), ERROR_SUCCESS);
    EXPECT_EQ(key_.SetString(std::string(256, 'b'), "tooLong"), ERROR_INVALID_PARAMETER);
    std::string text;
    EXPECT_NE(key_.QueryString(text, "tooLong"), ERROR_SUCCESS);  // nothing cut was written
    EXPECT_EQ(key_.QueryString(text, "ok"), ERROR_SUCCESS);
    EXPECT_EQ(text.size(), 255u);
}

TEST_F(RegistryKeyTest, EnumValueNamesStopsAtDataOver256Bytes) {
    // Wine lists values by name, Windows by creation: names in both orders alike.
    key_.SetDword(1, "a first");
    key_.SetString("x", "b second");
    std::vector<BYTE> big(300, 1);
    SetRaw("c third", REG_BINARY, big.data(), static_cast<DWORD>(big.size()));
    key_.SetDword(4, "d fourth");
    std::vector<std::string> names{"kept"};
    EXPECT_TRUE(key_.EnumValueNames(names));
    EXPECT_EQ(names, (std::vector<std::string>{"kept", "a first", "b second"}));
    RegistryKey empty;
    std::vector<std::string> none;
    EXPECT_FALSE(empty.EnumValueNames(none));
}

TEST_F(RegistryKeyTest, FailedOpenKeepsTheHeldKey) {
    HKEY held = key_.Get();
    EXPECT_NE(key_.Open(HKEY_LOCAL_MACHINE, "Software\\NoSuchKeyAnywhere"), ERROR_SUCCESS);
    EXPECT_EQ(key_.Get(), held);
    EXPECT_EQ(key_.SetDword(5, "still"), ERROR_SUCCESS);
    EXPECT_EQ(key_.DeleteValue("still"), ERROR_SUCCESS);
    EXPECT_NE(key_.DeleteValue("still"), ERROR_SUCCESS);
}

TEST_F(RegistryKeyTest, FailedCreateLeavesNoKeySoWritesCannotLandInTheParent) {
    ASSERT_EQ(key_.Create("Doomed"), ERROR_SUCCESS);
    RegistryKey parent;  // holds the key "Doomed", which is then deleted under it
    ASSERT_EQ(parent.Open(HKEY_LOCAL_MACHINE, "Software\\MnemoraTest\\Doomed"), ERROR_SUCCESS);
    key_.Close();
    ASSERT_TRUE(driver::DeleteKeyTree(HKEY_LOCAL_MACHINE, "Software\\MnemoraTest\\Doomed"));
    EXPECT_NE(parent.Create("Child"), ERROR_SUCCESS);
    EXPECT_EQ(parent.Get(), nullptr);
    EXPECT_NE(parent.SetDword(1, "stray"), ERROR_SUCCESS);
    // A key that exists works.
    ASSERT_EQ(parent.Open(HKEY_LOCAL_MACHINE, kTestKey), ERROR_SUCCESS);
    EXPECT_EQ(parent.Create("Child"), ERROR_SUCCESS);
    EXPECT_NE(parent.Get(), nullptr);
}

TEST(SettingShortcuts, CreateTheProgramKeyOnFirstUse) {
    driver::DeleteKeyTree(HKEY_LOCAL_MACHINE, kProgramKeyPath);
    EXPECT_EQ(ReadSettingDword("Perch"), 0u);
    RegistryKey key;
    EXPECT_EQ(key.Open(HKEY_LOCAL_MACHINE, kProgramKeyPath), ERROR_SUCCESS);
    key.Close();
    WriteSettingDword("Perch", 1);
    WriteSettingString("HotKey", "Q");
    EXPECT_EQ(ReadSettingDword("Perch"), 1u);
    EXPECT_EQ(ReadSettingDword("Perch", 7), 1u);
    EXPECT_EQ(ReadSettingDword("NoSuchValue", 7), 7u);
    EXPECT_EQ(ReadSettingString("HotKey"), "Q");
    driver::DeleteKeyTree(HKEY_LOCAL_MACHINE, kProgramKeyPath);
    WriteSettingDword("Perch", 1);  // a write creates the key and still lands
    EXPECT_EQ(ReadSettingDword("Perch"), 1u);
    driver::DeleteKeyTree(HKEY_LOCAL_MACHINE, kProgramKeyPath);
}
