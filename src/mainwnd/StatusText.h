// Figures and texts of the main window's half-second refresh, from plain values.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

// The clock line; `weekDays` holds the names for 0 (Sunday) .. 6.
std::string ClockText(const SYSTEMTIME& t, bool twelveHour, const std::vector<std::string>& weekDays);

// Memory figures of one refresh, in MB and as free fractions (0..1).
struct StatusFigures {
    long pageTotalMB = 0;
    long pageAvailMB = 0;
    double pageFree = 0;  // 0 without a page file
    long allAvailMB = 0;
    long allTotalMB = 0;
    double allFree = 0;
    long availPhysMB = 0;
    long totalPhysMB = 0;
};
StatusFigures ComputeStatusFigures(long availPhysMB, long totalPhysMB, std::uint64_t totalPageFileBytes,
                                   std::uint64_t availPageFileBytes);

// "label: 29%" in percent mode, "label: 1000MB" otherwise.
std::string PercentFigure(const std::string& label, double fraction);
std::string MegabyteFigure(const std::string& label, long megabytes);
// Free fraction of physical memory; 0 when the total is unknown.
double PhysFree(const StatusFigures& f);

// Bar positions on the 0..TotalPhysMB scale.
int PageFileBarValue(const StatusFigures& f);
int CombinedBarValue(const StatusFigures& f);

// "- Total:1024 MB  Used:724 MB"
std::string TotalUsedLine(const std::string& totalLabel, const std::string& usedLabel, const StatusFigures& f);

// Language texts of the tray tooltip.
struct TooltipLabels {
    std::string cpu, usedMemoryPercent, usedPagePercent, usedMemoryMB, usedPageMB;
};
std::string TooltipText(bool percentMode, const TooltipLabels& labels, long cpu, long freeMemPercent,
                        const StatusFigures& f);

// "- Load:  42% "
std::string LoadLine(const std::string& label, long cpu);

// Amount of a manual run shown under the slider: all of T at position 8, else p x (T / 8).
int AmountMB(int sliderPos, int totalPhysMB);
std::string MegabyteText(int megabytes);  // "%dMB"

// The processor name line: "- " + `title` + the quick name without its leading white space
// when that is a Celeron, else + the identified `displayName` and a trailing blank.
std::string ProcessorNameLine(const std::string& title, const std::string& quickName, const std::string& displayName);
