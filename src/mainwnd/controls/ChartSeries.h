// One line of the history chart: its pen, range, last point and the values
// queued since the last scroll.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

class ChartSeries {
public:
    ChartSeries(std::string name, COLORREF color, int width, int low, int high);

    // Queues a value; it is stored raised by 1 - low, so the bottom of the range is 1.
    void AddValue(int value);
    // Integer average of the queued (stored) values, 0 when none; empties the queue.
    int TakeAverage();

    const std::string& Name() const { return name_; }
    COLORREF Color() const { return color_; }
    int Width() const { return width_; }
    int Low() const { return low_; }
    int High() const { return high_; }
    const std::vector<int>& Queue() const { return queue_; }

    // y of the previous point; the chart sets it below its bottom for "no point yet".
    int previousY = 0;

private:
    std::string name_;
    COLORREF color_;
    int width_;
    int low_;
    int high_;
    std::vector<int> queue_;
};
