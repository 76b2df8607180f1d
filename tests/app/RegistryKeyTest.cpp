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

namespace {
// One stored value: its type and raw bytes.
struct RawValue {
    const char* label;
    DWORD type;
    std::string bytes;
};
const std::string kBinary300(300, '\x01');
const std::string kText10000(10000, 'p');
}  // namespace

// Numbers come from REG_DWORD or REG_BINARY of 1 to 4 bytes (the 9x line keeps its numbers
// as binaries); a text's bytes, an empty value or a longer one fail and leave the default.
TEST_F(RegistryKeyTest, QueryDwordTakesOnlyNumbersOfOneToFourBytes) {
    struct Row {
        RawValue value;
        bool read;
        DWORD number;
    };
    const Row rows[] = {
        {{"dword", REG_DWORD, std::string("\x78\x56\x34\x12", 4)}, true, 0x12345678u},
        {{"dword all ones", REG_DWORD, std::string(4, '\xFF')}, true, 0xFFFFFFFFu},
        {{"binary of 3", REG_BINARY, std::string("\x01\x02\x03", 3)}, true, 0x030201u},
        {{"binary of 1", REG_BINARY, std::string("\x7F", 1)}, true, 0x7Fu},
        {{"short dword", REG_DWORD, std::string("\x05", 1)}, true, 5u},
        {{"binary of 300", REG_BINARY, kBinary300}, false, 0},
        {{"empty binary", REG_BINARY, ""}, false, 0},
        {{"empty dword", REG_DWORD, ""}, false, 0},
        {{"text 12", REG_SZ, std::string("12", 3)}, false, 0},
        {{"text abc", REG_SZ, std::string("abc", 4)}, false, 0},
        {{"empty text", REG_SZ, std::string("", 1)}, false, 0},
        {{"expand", REG_EXPAND_SZ, std::string("%a%", 4)}, false, 0},
        {{"multi", REG_MULTI_SZ, std::string("1\0\0", 3)}, false, 0},
        {{"big endian", REG_DWORD_BIG_ENDIAN, std::string("\0\0\0\x01", 4)}, false, 0},
        {{"qword", REG_QWORD, std::string(8, '\x02')}, false, 0},
        {{"none", REG_NONE, std::string("\x01", 1)}, false, 0},
    };
    for (const Row& row : rows) {
        SetRaw(row.value.label, row.value.type, row.value.bytes.data(), static_cast<DWORD>(row.value.bytes.size()));
        DWORD n = 77;
        LONG status = key_.QueryDword(n, row.value.label);
        EXPECT_EQ(status == ERROR_SUCCESS, row.read) << row.value.label;
        EXPECT_EQ(n, row.read ? row.number : 77u) << row.value.label;
    }
    DWORD n = 77;
    EXPECT_EQ(key_.QueryDword(n, "missing"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(n, 77u);

    // With a range: its ends are kept, anything past them leaves the default.
    key_.SetDword(75, "top");
    key_.SetDword(76, "past");
    key_.SetDword(0xFFFFFFFF, "huge");
    EXPECT_EQ(key_.QueryDword(n, "top", 1, 75), ERROR_SUCCESS);
    EXPECT_EQ(n, 75u);
    n = 10;
    EXPECT_EQ(key_.QueryDword(n, "past", 1, 75), ERROR_INVALID_DATA);
    EXPECT_EQ(key_.QueryDword(n, "huge", 1, 75), ERROR_INVALID_DATA);
    EXPECT_EQ(key_.QueryDword(n, "text 12", 1, 75), ERROR_INVALID_DATA);
    EXPECT_EQ(n, 10u);
}

// Texts come from the three string types up to the first NUL, with or without a stored
// terminator; numbers, binaries and texts over the buffer read as "" and fail.
TEST_F(RegistryKeyTest, QueryStringTakesOnlyTextsThatFit) {
    struct Row {
        RawValue value;
        bool read;
        std::string text;
    };
    const std::string full(255, 'y');
    const Row rows[] = {
        {{"text", REG_SZ, std::string("abc", 4)}, true, "abc"},
        {{"no terminator", REG_SZ, "xyz"}, true, "xyz"},
        {{"zero length", REG_SZ, ""}, true, ""},
        {{"full", REG_SZ, full + '\0'}, true, full},
        {{"expand", REG_EXPAND_SZ, std::string("%w%\\a", 6)}, true, "%w%\\a"},
        {{"multi", REG_MULTI_SZ, std::string("one\0two\0\0", 9)}, true, "one"},
        {{"300 characters", REG_SZ, std::string(300, 'x') + '\0'}, false, ""},
        {{"10000 characters", REG_SZ, kText10000 + '\0'}, false, ""},
        {{"dword", REG_DWORD, std::string("\x43\0\0\0", 4)}, false, ""},
        {{"binary", REG_BINARY, std::string("ab\0cd", 5)}, false, ""},
        {{"binary of 300", REG_BINARY, kBinary300}, false, ""},
        {{"empty binary", REG_BINARY, ""}, false, ""},
    };
    for (const Row& row : rows) {
        SetRaw(row.value.label, row.value.type, row.value.bytes.data(), static_cast<DWORD>(row.value.bytes.size()));
        std::string text = "previous";
        LONG status = key_.QueryString(text, row.value.label);
        EXPECT_EQ(status == ERROR_SUCCESS, row.read) << row.value.label;
        EXPECT_EQ(text, row.text) << row.value.label;
    }
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
    // Repeated reads are answered from a watch of the key: a change by anyone, a deleted value
    // or a deleted key is seen at the next read.
    for (DWORD value : {2u, 3u}) {
        ReadSettingDword("Perch");
        RegistryKey other;
        ASSERT_EQ(other.Open(HKEY_LOCAL_MACHINE, kProgramKeyPath), ERROR_SUCCESS);
        other.SetDword(value, "Perch");
        EXPECT_EQ(ReadSettingDword("Perch"), value);
    }
    {
        RegistryKey other;
        ASSERT_EQ(other.Open(HKEY_LOCAL_MACHINE, kProgramKeyPath), ERROR_SUCCESS);
        other.DeleteValue("Perch");
    }
    EXPECT_EQ(ReadSettingDword("Perch", 9), 9u);
    WriteSettingDword("Perch", 4);
    EXPECT_EQ(ReadSettingDword("Perch", 9), 4u);
    driver::DeleteKeyTree(HKEY_LOCAL_MACHINE, kProgramKeyPath);
    EXPECT_EQ(ReadSettingDword("Perch", 9), 9u);
    WriteSettingDword("Perch", 5);
    EXPECT_EQ(ReadSettingDword("Perch", 9), 5u);
    driver::DeleteKeyTree(HKEY_LOCAL_MACHINE, kProgramKeyPath);
}
