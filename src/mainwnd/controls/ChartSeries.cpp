#include "mainwnd/controls/ChartSeries.h"

#include <utility>

ChartSeries::ChartSeries(std::string name, COLORREF color, int width, int low, int high)
    : name_(std::move(name)), color_(color), width_(width), low_(low), high_(high) {}

void ChartSeries::AddValue(int value) { queue_.push_back(value - (low_ - 1)); }

int ChartSeries::TakeAverage() {
    if (queue_.empty()) return 0;
    long long sum = 0;
    for (int v : queue_) sum += v;
    int average = static_cast<int>(sum / static_cast<long long>(queue_.size()));
    queue_.clear();
    return average;
}
