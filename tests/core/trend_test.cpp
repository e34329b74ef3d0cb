// The ring of trend points and the age of the readings, tick by tick.

#include "monitor/monitor_texts.h"
#include "monitor/readings_age.h"
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

// Old at the twelfth tick after the last accepted reply, not before; one missed reply of the
// block (it comes every six ticks) is no loss.
TEST(ReadingsAge, OldAfterTwoCyclesWithoutAnAcceptedReply)
{
    ReadingsAge age;
    EXPECT_FALSE(age.LastAcceptedMs());
    EXPECT_FALSE(age.Accepted(1000)) << "the first reading breaks nothing";
    age.TickEnded(); // the tick that accepted it
    for (int tick = 1; tick <= StaleAfterTicks; ++tick) {
        EXPECT_FALSE(age.Stale()) << "before tick " << tick;
        age.TickEnded();
    }
    EXPECT_EQ(StaleAfterTicks, 12);
    EXPECT_TRUE(age.Stale());
    EXPECT_EQ(age.LastAcceptedMs(), 1000);
    EXPECT_TRUE(age.Accepted(9000)) << "the link was lost in between";
    EXPECT_FALSE(age.Stale());
    EXPECT_FALSE(age.Accepted(9001)) << "once";
    for (int tick = 0; tick < 2 * MonitorCycleTicks; ++tick)
        age.TickEnded();
    EXPECT_FALSE(age.Accepted(9002)) << "accepted on the twelfth tick itself";
    age.TickEnded();
    EXPECT_FALSE(age.Stale());
}

} // namespace
} // namespace pv
