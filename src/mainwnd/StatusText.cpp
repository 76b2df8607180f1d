#include "mainwnd/StatusText.h"

#include "app/TextUtil.h"

std::string ClockText(const SYSTEMTIME& t, bool twelveHour, const std::vector<std::string>& weekDays) {
    const char* weekDay = t.wDayOfWeek < weekDays.size() ? weekDays[t.wDayOfWeek].c_str() : "";
    if (!twelveHour)
        return Format(" %02d:%02d:%02d  %02d-%02d-%04d  %2s", t.wHour, t.wMinute, t.wSecond, t.wMonth, t.wDay,
                      t.wYear, weekDay);
    const char* marker = t.wHour <= 12 ? "AM" : "PM";
    int hour = t.wHour > 12 ? t.wHour - 12 : t.wHour;
    return Format(" %2s %02d:%02d:%02d  %02d-%02d-%04d  %2s", marker, hour, t.wMinute, t.wSecond, t.wMonth, t.wDay,
                  t.wYear, weekDay);
}

StatusFigures ComputeStatusFigures(long availPhysMB, long totalPhysMB, std::uint64_t totalPageFileBytes,
                                   std::uint64_t availPageFileBytes) {
    StatusFigures f;
    f.availPhysMB = availPhysMB;
    f.totalPhysMB = totalPhysMB;
    f.pageTotalMB = static_cast<long>(totalPageFileBytes >> 20);
    f.pageAvailMB = static_cast<long>(availPageFileBytes >> 20);
    // Without a page file there is nothing free in it (and nothing to divide by).
    f.pageFree = totalPageFileBytes ? static_cast<double>(availPageFileBytes) / static_cast<double>(totalPageFileBytes)
                                    : 0.0;
    f.allAvailMB = availPhysMB + f.pageAvailMB;
    f.allTotalMB = totalPhysMB + f.pageTotalMB;
    f.allFree = f.allTotalMB ? static_cast<double>(f.allAvailMB) / static_cast<double>(f.allTotalMB) : 0.0;
    return f;
}

std::string PercentFigure(const std::string& label, double fraction) {
    return Format("%s: %3.0lf%%", label.c_str(), fraction * 100);
}

std::string MegabyteFigure(const std::string& label, long megabytes) {
    return Format("%s: %ldMB", label.c_str(), megabytes);
}

double PhysFree(const StatusFigures& f) {
    return f.totalPhysMB ? static_cast<double>(f.availPhysMB) / static_cast<double>(f.totalPhysMB) : 0.0;
}

int PageFileBarValue(const StatusFigures& f) { return static_cast<int>(f.totalPhysMB * f.pageFree); }
int CombinedBarValue(const StatusFigures& f) { return static_cast<int>(f.totalPhysMB * f.allFree); }

std::string TotalUsedLine(const std::string& totalLabel, const std::string& usedLabel, const StatusFigures& f) {
    return Format("- %s%ld MB  %s%ld MB", totalLabel.c_str(), f.totalPhysMB, usedLabel.c_str(),
                  f.totalPhysMB - f.availPhysMB);
}

std::string TooltipText(bool percentMode, const TooltipLabels& l, long cpu, long freeMemPercent,
                        const StatusFigures& f) {
    if (percentMode)
        return Format("%s:%ld%%\n%s:%ld%%\n%s:%-.0lf%%", l.cpu.c_str(), cpu, l.usedMemoryPercent.c_str(),
                      100 - freeMemPercent, l.usedPagePercent.c_str(), 100 - f.pageFree * 100);
    return Format("%s:%ld%%\n%s:%ldMB\n%s:%ldMB", l.cpu.c_str(), cpu, l.usedMemoryMB.c_str(),
                  f.totalPhysMB - f.availPhysMB, l.usedPageMB.c_str(), f.pageTotalMB - f.pageAvailMB);
}

std::string LoadLine(const std::string& label, long cpu) { return Format("- %s  %ld%% ", label.c_str(), cpu); }

int AmountMB(int sliderPos, int totalPhysMB) { return sliderPos > 7 ? totalPhysMB : sliderPos * (totalPhysMB / 8); }

std::string MegabyteText(int megabytes) { return Format("%dMB", megabytes); }

std::string ProcessorNameLine(const std::string& title, const std::string& quickName, const std::string& displayName) {
    size_t first = quickName.find_first_not_of(" \t\r\n\v\f");
    std::string name = first == std::string::npos ? std::string() : quickName.substr(first);
    if (name.find("Celeron") != std::string::npos) return "- " + title + name;
    return "- " + title + displayName + " ";
}
