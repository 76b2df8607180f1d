#include "app/IniFile.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <sstream>

namespace {
std::string TempPath(const char* name) {
    char dir[MAX_PATH];
    GetTempPathA(sizeof dir, dir);
    return std::string(dir) + name;
}

void WriteBinary(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string ReadBinary(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

IniFile Parse(const std::string& text) {
    IniFile ini("unused");
    std::string section;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) ini.ParseLine(line, section);
    return ini;
}
}  // namespace

TEST(IniFile, KeysAndValuesAreTakenVerbatim) {
    IniFile ini = Parse("[Resource]\nTitle1 =Blank before\nTitle2= blank after\nA=b=c\ntitle3=lower\n");
    EXPECT_EQ(ini.GetValue("Resource", "Title1"), "");
    EXPECT_EQ(ini.ErrorText(), "Unable to locate specified value.");
    EXPECT_EQ(ini.GetValue("Resource", "Title1 "), "Blank before");
    EXPECT_EQ(ini.GetValue("Resource", "Title2"), " blank after");
    EXPECT_EQ(ini.GetValue("Resource", "A"), "b=c");
    EXPECT_EQ(ini.GetValue("Resource", "Title3"), "");
    EXPECT_EQ(ini.GetValue("resource", "title3"), "");
    EXPECT_EQ(ini.ErrorText(), "Unable to locate specified key.");
}

TEST(IniFile, HeadersKeyLessLinesAndRepeats) {
    IniFile ini = Parse("before=1\n[[Resource]]\n;comment\nnoequals\nk=1\n[]\nempty=2\n[Resource]\nk=2\n");
    EXPECT_EQ(ini.GetValue("", "before"), "1");
    EXPECT_EQ(ini.GetValue("Resource", "before"), "");
    EXPECT_EQ(ini.GetValue("Resource", "k"), "2");  // last value wins; the header continues the section
    EXPECT_EQ(ini.GetValue("Resource", ""), "oequals");  // key-less lines share the empty key
    EXPECT_EQ(ini.GetValue("", "empty"), "2");
    EXPECT_EQ(ini.SectionCount(), 2);
}

TEST(IniFile, SetValueCreatesOnlyWhenAsked) {
    IniFile ini("unused");
    EXPECT_FALSE(ini.SetValue("S", "k", "v", false));
    EXPECT_EQ(ini.SectionCount(), 0);
    EXPECT_TRUE(ini.SetValue("S", "k", "v", true));
    EXPECT_FALSE(ini.SetValue("S", "other", "v", false));
    EXPECT_TRUE(ini.SetValue("S", "k", "w", false));
    EXPECT_EQ(ini.GetValue("S", "k"), "w");
    EXPECT_TRUE(ini.SetValue("T", "k", "t", true));
    EXPECT_TRUE(ini.DeleteSection("S"));
    EXPECT_FALSE(ini.DeleteSection("S"));
    EXPECT_EQ(ini.SectionCount(), 1);
    EXPECT_EQ(ini.GetValue("T", "k"), "t");
}

TEST(IniFile, LoadReadsCrLfAndALastLineWithoutEnd) {
    std::string path = TempPath("mnemora_ini_load.ini");
    WriteBinary(path, "[Resource]\r\nTitle1=Memory\r\n\r\nTitle2=Processor");
    IniFile ini(path);
    ASSERT_TRUE(ini.Load());
    EXPECT_EQ(ini.GetValue("Resource", "Title1"), "Memory");
    EXPECT_EQ(ini.GetValue("Resource", "Title2"), "Processor");
    DeleteFileA(path.c_str());
}

TEST(IniFile, LoadOfMissingFileFailsWithoutErrorText) {
    IniFile ini(TempPath("mnemora_no_such_file.ini"));
    EXPECT_FALSE(ini.Load());
    EXPECT_EQ(ini.ErrorText(), "");
}

TEST(IniFile, LongLineStaysOneLine) {
    std::string path = TempPath("mnemora_ini_long.ini");
    std::string value(5000, 'x');
    value += "=tail";
    WriteBinary(path, "[S]\r\nlong=" + value + "\r\nnext=1\r\n");
    IniFile ini(path);
    ASSERT_TRUE(ini.Load());
    EXPECT_EQ(ini.GetValue("S", "long"), value);
    EXPECT_EQ(ini.GetValue("S", "next"), "1");
    EXPECT_EQ(ini.GetValue("S", ""), "");  // no stray key-less pieces of the long line
    EXPECT_EQ(ini.ErrorText(), "Unable to locate specified value.");
    DeleteFileA(path.c_str());
}

TEST(IniFile, SaveDropsCommentsAndEmptySectionsAndWritesCrLf) {
    std::string path = TempPath("mnemora_ini_save.ini");
    WriteBinary(path, "[Empty]\r\n\r\n[A]\r\nk=v\r\n;note\r\n[B]\r\nx=1\r\ny=2\r\n");
    IniFile ini(path);
    ASSERT_TRUE(ini.Load());
    ini.Save();
    EXPECT_EQ(ReadBinary(path), "[A]\r\nk=v\r\n=note\r\n\r\n[B]\r\nx=1\r\ny=2\r\n\r\n");
    DeleteFileA(path.c_str());
}
