#include "mainwnd/ThresholdInput.h"

#include <cstdlib>

ThresholdCheck CheckThreshold(const std::string& text) {
    int v = std::atoi(text.c_str());
    ThresholdCheck c{std::to_string(v), v > 75 || v < 1, std::to_string(v)};
    if (v > 75) c.correctedText = "75";
    if (v < 1) c.correctedText = "1";
    return c;
}
