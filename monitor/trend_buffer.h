#pragma once
// The last minutes of the readings that the trend draws: a ring of points of fixed size, so that
// a day of monitoring costs no more memory than ten minutes.

#include "link/exchange_machine.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace pv {

struct MonitorReadings;

// The trend shows this much time up to its newest point.
inline constexpr std::int64_t TrendSpanMs = 10 * 60 * 1000;
// At most one point per monitor cycle; twice the points of one span leaves room for a cycle
// that runs faster than its timer says.
inline constexpr std::int64_t MonitorCycleMs = MonitorCycleTicks * MonitorIntervalMs;
inline constexpr std::size_t TrendCapacity = 2 * (TrendSpanMs / MonitorCycleMs + 1);

struct TrendPoint
{
    std::int64_t timeMs = 0; // milliseconds since 1970-01-01 UTC
    float inputAPower = 0;   // kW
    float inputBPower = 0;   // kW
    float outputPower = 0;   // kW
    float efficiency = 0;    // %
    // The link was lost between the previous point and this one: the line breaks here rather
    // than run straight across the time nothing was read.
    bool gapBefore = false;
};

TrendPoint MakeTrendPoint(std::int64_t timeMs, const MonitorReadings &readings, bool gapBefore);

class TrendBuffer
{
public:
    explicit TrendBuffer(std::size_t capacity = TrendCapacity);

    // The oldest point gives way once the ring is full.
    void Add(const TrendPoint &point);
    void Clear();

    std::size_t Size() const { return size_; }
    std::size_t Capacity() const { return ring_.size(); }
    // Index 0 is the oldest point.
    const TrendPoint &operator[](std::size_t index) const;
    // Index of the first point taken at or after fromMs (Size() when there is none).
    std::size_t FirstFrom(std::int64_t fromMs) const;

private:
    std::vector<TrendPoint> ring_;
    std::size_t first_ = 0;
    std::size_t size_ = 0;
};

} // namespace pv
