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
    point.inputAPower = static_cast<float>(timeMs);
    return point;
}

TEST(TrendBuffer, HoldsTenMinutesOfCyclesAndKeepsOnlyTheNewestWhenFull)
{
    // One point per monitor cycle for ten minutes fits with room to spare.
    EXPECT_GE(static_cast<std::int64_t>(TrendCapacity) * MonitorCycleMs, 2 * TrendSpanMs);
    TrendBuffer ring(4);
    for (std::int64_t t = 1; t <= 6; ++t)
        ring.Add(At(t));
    ASSERT_EQ(ring.Size(), 4u);
    for (std::size_t i = 0; i < ring.Size(); ++i)
        EXPECT_EQ(ring[i].timeMs, static_cast<std::int64_t>(i + 3)) << "oldest first";
    ring.Clear();
    EXPECT_EQ(ring.Size(), 0u);
    ring.Add(At(9));
    EXPECT_EQ(ring[0].timeMs, 9);
}

TEST(TrendBuffer, FirstFromFindsTheStartOfTheSpan)
{
    TrendBuffer ring(8);
    EXPECT_EQ(ring.FirstFrom(0), 0u) << "empty";
    for (std::int64_t t : {100, 200, 300, 400})
        ring.Add(At(t));
    const std::pair<std::int64_t, std::size_t> cases[]
        = {{0, 0}, {100, 0}, {101, 1}, {300, 2}, {400, 3}, {401, 4}};
    for (const auto &[from, first] : cases)
        EXPECT_EQ(ring.FirstFrom(from), first) << "from " << from;
}

TEST(TrendBuffer, PointCarriesThePowersAndThePanelsEfficiency)
{
    MonitorReadings readings;
    readings.inputAPower = 5.0f;
    readings.inputBPower = 5.0f;
    readings.outputPower = 9.6f;
    const TrendPoint point = MakeTrendPoint(1234, readings, true);
    EXPECT_EQ(point.timeMs, 1234);
    EXPECT_EQ(point.inputAPower + point.inputBPower, 10.0f);
    EXPECT_EQ(point.outputPower, 9.6f);
    EXPECT_FLOAT_EQ(point.efficiency, 96.0f);
    EXPECT_TRUE(point.gapBefore);
    EXPECT_EQ(MakeTrendPoint(0, MonitorReadings{}, false).efficiency, 0.0f) << "no input: 0%";
}

// Ticks after an accepted reply at which the readings count as old.
TEST(ReadingsAge, OldAtTheTwelfthTickAfterTheLastAcceptedReplyNotBefore)
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
}

TEST(ReadingsAge, OneMissedReplyOfTheBlockIsNoLoss)
{
    ReadingsAge age;
    age.Accepted(0);
    // The block's reply comes every six ticks; one of them is missing.
    for (int tick = 0; tick < 2 * MonitorCycleTicks; ++tick)
        age.TickEnded();
    EXPECT_FALSE(age.Accepted(1)) << "accepted on the twelfth tick itself";
    age.TickEnded();
    EXPECT_FALSE(age.Stale());
}

} // namespace
} // namespace pv
