// Cost of the language-text lookups of one main-window initialization.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "app/IniFile.h"
#include "app/ResourceText.h"
#include "mainwnd/MainDialog.h"
#include "BenchClock.h"

namespace {
// About a hundred keys, as one initialization looks them up.
std::vector<const char*> InitKeys() {
    std::vector<const char*> keys;
    for (size_t i = 0; i < MainDialog::kCaptionCount; ++i)
        if (MainDialog::kCaptions[i].key) keys.push_back(MainDialog::kCaptions[i].key);
    const char* more[] = {"Title1", "Title2", "Title3", "Title4", "TitleCPU1", "TitleCPU2", "TitleCPU3",
                          "strCPUNumber", "PRAMtotalStr", "PRAMFreeStr", "RAMFreeStr", "PageFreeStr", "VRAMFreeStr",
                          "CurTimeStr", "IconTipsCPU", "IconTipsRAM", "UsedMemoryb", "UsedFilePageb", "UsedMemorym",
                          "UsedFilePagem", "WEEKSTR0", "WEEKSTR1", "WEEKSTR2", "WEEKSTR3", "WEEKSTR4", "WEEKSTR5",
                          "WEEKSTR6", "strComboxText1", "strComboxText2", "strComboxText3", "strComboxText4",
                          "strComboxText5", "UserType0", "UserType1", "UserType2", "UserType3", "UserType4",
                          "MenuDispL2", "IDC_TAB_BUTTON2", "MenuDispL1"};
    while (keys.size() < 100)
        for (const char* k : more)
            if (keys.size() < 100) keys.push_back(k);
    return keys;
}
}  // namespace

int main() {
    std::vector<const char*> keys = InitKeys();
    const int kRounds = 50;
    std::vector<double> batched, cached, uncached;
    size_t sink = 0;
    for (int r = 0; r < kRounds; ++r) {
        // As a window's initialization asks: one batch, one read of the file.
        double t0 = Now();
        LanguageBatch(true);
        for (const char* k : keys) sink += Lang(k).size();
        LanguageBatch(false);
        batched.push_back(Now() - t0);
        t0 = Now();
        for (const char* k : keys) sink += Lang(k).size();
        cached.push_back(Now() - t0);
        // What every lookup would cost without the cache: read and parse the whole file.
        t0 = Now();
        for (const char* k : keys) {
            IniFile file(FindLanguageFile());
            file.Load();
            sink += file.GetValue("Resource", k).size();
        }
        uncached.push_back(Now() - t0);
    }
    std::sort(batched.begin(), batched.end());
    std::sort(cached.begin(), cached.end());
    std::sort(uncached.begin(), uncached.end());
    double b = batched[kRounds / 2], c = cached[kRounds / 2], u = uncached[kRounds / 2];
    std::printf("lookups per initialization: %zu (checksum %zu)\n", keys.size(), sink);
    std::printf("GetResourceText in one batch (a window's initialization): %.3f ms per initialization, %.2f us per lookup\n",
                b * 1e3, b * 1e6 / keys.size());
    std::printf("GetResourceText alone (file read and checked each call): %.3f ms per initialization, %.2f us per lookup\n",
                c * 1e3, c * 1e6 / keys.size());
    std::printf("read-and-parse per lookup (no cache):            %.3f ms per initialization, %.2f us per lookup\n",
                u * 1e3, u * 1e6 / keys.size());
    return 0;
}
