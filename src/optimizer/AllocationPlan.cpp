#include "optimizer/AllocationPlan.h"

#include <cstdio>

std::uint64_t StepBytes(int eighths, std::uint64_t totalPhysBytes) {
    if (eighths <= 0) return 0;
    double size = eighths * 0.125 * static_cast<double>(totalPhysBytes);
    auto bytes = static_cast<std::uint64_t>(size);
    return bytes > kLargestStepBytes ? kCutStepBytes : bytes;
}

int AutoLevel(int freePhysPercent) { return freePhysPercent < 75 ? 6 : 4; }

std::string ProgressText(double percent) {
    char text[32];
    std::snprintf(text, sizeof text, "%3.0f%%", percent);
    return text;
}

double ManualProgressPercent(int tick) { return tick * 14.285714; }
