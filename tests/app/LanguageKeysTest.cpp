// Every language key the code looks up must exist in the shipped English.ini,
// so a missing caption is a failing test rather than an empty window.
#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "app/IniFile.h"
#include "driver/TestDriver.h"
#include "mainwnd/MainDialog.h"

namespace {
std::string SourceDir() { return MNEMORA_SOURCE_DIR; }

void ListSources(const std::string& dir, std::vector<std::string>& out) {
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((dir + "\\*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return;
    do {
        std::string name = fd.cFileName;
        if (name == "." || name == "..") continue;
        std::string path = dir + "\\" + name;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            ListSources(path, out);
        else if (name.size() > 4 && (name.substr(name.size() - 4) == ".cpp" || name.substr(name.size() - 2) == ".h"))
            out.push_back(path);
    } while (FindNextFileA(h, &fd));
    FindClose(h);
}

IniFile ShippedFile() {
    IniFile ini(SourceDir() + "\\lang\\English.ini");
    EXPECT_TRUE(ini.Load());
    return ini;
}

bool HasKey(const IniFile& ini, const std::string& key) { return ini.HasValue("Resource", key); }
}  // namespace

TEST(LanguageKeys, EveryLiteralLookupExists) {
    std::vector<std::string> files;
    ListSources(SourceDir() + "\\src", files);
    ASSERT_FALSE(files.empty());
    std::regex call(R"re(\b(?:Lang|GetResourceText\s*\(\s*"[^"]*"\s*,)\s*\(?\s*"([^"]+)")re");
    std::set<std::string> keys;
    for (const std::string& path : files) {
        std::ifstream in(path);
        std::stringstream s;
        s << in.rdbuf();
        std::string text = s.str();
        for (std::sregex_iterator it(text.begin(), text.end(), call), end; it != end; ++it) keys.insert((*it)[1]);
    }
    EXPECT_FALSE(keys.empty());
    IniFile ini = ShippedFile();
    for (const std::string& key : keys) EXPECT_TRUE(HasKey(ini, key)) << key;
}

TEST(LanguageKeys, MainWindowCaptionsAndBuiltKeysExist) {
    IniFile ini = ShippedFile();
    for (size_t i = 0; i < MainDialog::kCaptionCount; ++i) {
        if (const char* key = MainDialog::kCaptions[i].key) {
            EXPECT_TRUE(HasKey(ini, key)) << key;
        }
    }
    char key[32];
    for (int i = 0; i < 7; ++i) {
        std::snprintf(key, sizeof key, "WEEKSTR%d", i);
        EXPECT_TRUE(HasKey(ini, key)) << key;
    }
    for (int i = 0; i < 5; ++i) {
        std::snprintf(key, sizeof key, "UserType%d", i);
        EXPECT_TRUE(HasKey(ini, key)) << key;
        std::snprintf(key, sizeof key, "strComboxText%d", i + 1);
        EXPECT_TRUE(HasKey(ini, key)) << key;
    }
}
