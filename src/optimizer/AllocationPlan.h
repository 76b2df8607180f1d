// Sizes, levels and progress texts of the optimization run.
#pragma once
#include <cstdint>
#include <string>

// Bytes of one allocation step of `eighths` (0..8) of `totalPhysBytes`; a block above
// 2,000 MB is cut to 1,024 MB.
std::uint64_t StepBytes(int eighths, std::uint64_t totalPhysBytes);
constexpr std::uint64_t kLargestStepBytes = 0x7D000000;  // 2,000 MB
constexpr std::uint64_t kCutStepBytes = 0x40000000;      // 1,024 MB

// Level of an automatic run: 6 eighths while less than 75 % is free, else 4.
int AutoLevel(int freePhysPercent);

// Progress label text ("%3.0f%%") for a percentage.
std::string ProgressText(double percent);
// Manual run: percentage shown at tick 1..7 of the animation.
double ManualProgressPercent(int tick);
// Automatic run: percentage shown before step i (0-based).
inline double AutoProgressPercent(int step) { return (step + 1) * 12.5; }

constexpr int kProgressSegments = 32;
constexpr int kProgressRange = 224;
constexpr int kManualTicks = 7;
