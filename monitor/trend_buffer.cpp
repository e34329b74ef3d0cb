#include "trend_buffer.h"

#include "monitor_texts.h"

namespace pv {

TrendPoint MakeTrendPoint(std::int64_t timeMs, const MonitorReadings &readings, bool gapBefore)
{
    TrendPoint point;
    point.timeMs = timeMs;
    point.inputAPower = readings.inputAPower;
    point.inputBPower = readings.inputBPower;
    point.outputPower = readings.outputPower;
    point.efficiency
        = EfficiencyPercent(readings.outputPower, readings.inputAPower, readings.inputBPower);
    point.gapBefore = gapBefore;
    return point;
}

TrendBuffer::TrendBuffer(std::size_t capacity) : ring_(capacity == 0 ? 1 : capacity) {}

void TrendBuffer::Add(const TrendPoint &point)
{
    if (size_ < ring_.size()) {
        ring_[(first_ + size_) % ring_.size()] = point;
        ++size_;
        return;
    }
    ring_[first_] = point;
    first_ = (first_ + 1) % ring_.size();
}

void TrendBuffer::Clear()
{
    first_ = 0;
    size_ = 0;
}

const TrendPoint &TrendBuffer::operator[](std::size_t index) const
{
    return ring_[(first_ + index) % ring_.size()];
}

std::size_t TrendBuffer::FirstFrom(std::int64_t fromMs) const
{
    // Points are added in time order; the ring is small enough to walk.
    std::size_t index = size_;
    while (index > 0 && (*this)[index - 1].timeMs >= fromMs)
        --index;
    return index;
}

} // namespace pv
