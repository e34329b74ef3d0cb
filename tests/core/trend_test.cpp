// The ring of trend points. The age of the readings, tick by tick, is the trend window tests'
// (the labels grey at the twelfth tick, only a lost link breaks the line).

#include "monitor/monitor_texts.h"
#include "monitor/trend_buffer.h"

#include <gtest/gtest.h>

namespace pv {
namespace {

TrendPoint At(std::int64_t timeMs)
{
    TrendPoint point;
    point.timeMs = timeMs;
    return point;
}

TEST(TrendBuffer, KeepsOnlyTheNewestWhenFullAndFindsTheStartOfASpan)
{
    TrendBuffer ring(4);
    EXPECT_EQ(ring.FirstFrom(0), 0u) << "empty";
    for (std::int64_t t = 100; t <= 600; t += 100)
        ring.Add(At(t));
    ASSERT_EQ(ring.Size(), 4u);
    for (std::size_t i = 0; i < ring.Size(); ++i)
        EXPECT_EQ(ring[i].timeMs, static_cast<std::int64_t>(100 * (i + 3))) << "oldest first";
    const std::pair<std::int64_t, std::size_t> cases[]
        = {{0, 0}, {300, 0}, {301, 1}, {500, 2}, {600, 3}, {601, 4}};
    for (const auto &[from, first] : cases)
        EXPECT_EQ(ring.FirstFrom(from), first) << "from " << from;
    ring.Clear();
    EXPECT_EQ(ring.Size(), 0u);
    ring.Add(At(9));
    EXPECT_EQ(ring[0].timeMs, 9);
}

TEST(TrendBuffer, PointCarriesThePowersAndThePanelsEfficiency)
{
    MonitorReadings readings;
    readings.inputAPower = 5.0f;
    readings.inputBPower = 4.0f;
    readings.outputPower = 8.64f;
    const TrendPoint point = MakeTrendPoint(1234, readings, true);
    EXPECT_EQ(std::tie(point.timeMs, point.inputAPower, point.inputBPower, point.outputPower),
              std::make_tuple(1234, 5.0f, 4.0f, 8.64f));
    EXPECT_FLOAT_EQ(point.efficiency, 96.0f);
    EXPECT_TRUE(point.gapBefore);
    EXPECT_EQ(MakeTrendPoint(0, MonitorReadings{}, false).efficiency, 0.0f) << "no input: 0%";
}

} // namespace
} // namespace pv
