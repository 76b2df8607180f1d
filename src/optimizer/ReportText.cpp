#include "optimizer/ReportText.h"

#include <cstdlib>
#include <string>

namespace {
const char kKbytes[] = "Kbytes";
const char kPages[] = "pages";
}  // namespace

ReportTexts BuildReportTexts(int gainMB, std::uint32_t pageSize, std::uint64_t availKB, std::uint64_t totalKB,
                             bool autoRun, const ReportLanguage& lang) {
    ReportTexts t;
    std::uint64_t magnitude = static_cast<std::uint64_t>(std::llabs(gainMB));
    if (gainMB != 0) {
        std::uint64_t pages = pageSize ? magnitude * 1048576 / pageSize : 0;
        const std::string rows[4][3] = {
            {lang.report[1], std::to_string(availKB), kKbytes},
            {lang.report[2], std::to_string(totalKB), kKbytes},
            {lang.report[3], std::to_string(magnitude * 1024), kKbytes},
            {lang.report[4], std::to_string(pages), kPages},
        };
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 3; ++c) t.cells[r][c] = rows[r][c];
        return t;
    }
    t.headline = autoRun ? lang.zljy2 : lang.zljy1;
    t.cells[0][0] = lang.report[0];
    t.cells[1][0] = lang.report[1];
    t.cells[1][1] = std::to_string(availKB);
    t.cells[1][2] = kKbytes;
    t.cells[2][0] = lang.report[2];
    t.cells[2][1] = std::to_string(totalKB);
    t.cells[2][2] = kKbytes;
    return t;
}
