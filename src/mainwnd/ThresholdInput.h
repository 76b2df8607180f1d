// The threshold edit's check: a percentage of free memory from 1 to 75.
#pragma once
#include <string>

struct ThresholdCheck {
    std::string normalText;     // "%d" of the text's decimal value ("007" -> "7", "" -> "0")
    bool outOfRange;            // below 1 or above 75: the user is told
    std::string correctedText;  // "75" above the range, "1" below it, else normalText
};
ThresholdCheck CheckThreshold(const std::string& text);
