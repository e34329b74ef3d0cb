// Each fault knob damages the line the way its name says, once or at a reproducible rate, and
// the live readings stay those of a plausible unit.

#include "sim/live_readings.h"
#include "sim_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace pv::test {
namespace {

Bytes MonitorFrame()
{
    Channel channel;
    BuildMonitorRequest(0, channel);
    return channel.request;
}

constexpr std::size_t MonitorReplySize = 69;

// What the line carries for one monitor request sent at 0, looked at when the tool takes it
// (one poll later) and again long after.
struct Observed
{
    Bytes atPoll;
    Bytes later;
};

Observed Observe(InverterSimulator &inverter, std::int64_t start)
{
    inverter.Feed(MonitorFrame(), start);
    Observed seen;
    seen.atPoll = inverter.TakeOutput(start + PollMs);
    seen.later = inverter.TakeOutput(start + 10 * PollMs);
    return seen;
}

struct FaultCase
{
    const char *name;
    SimFault fault;
    void (*check)(const Observed &);

    friend void PrintTo(const FaultCase &c, std::ostream *out) { *out << c.name; }
};

void ExpectNothing(const Observed &seen)
{
    EXPECT_TRUE(seen.atPoll.empty()) << Hex(seen.atPoll);
    EXPECT_TRUE(seen.later.empty()) << Hex(seen.later);
}

void ExpectDamagedCrc(const Observed &seen)
{
    ASSERT_EQ(seen.atPoll.size(), MonitorReplySize);
    EXPECT_EQ(Hex(Bytes(seen.atPoll.begin(), seen.atPoll.begin() + 3)), "FF 03 40");
    std::uint16_t unreadable = 1;
    EXPECT_FALSE(CheckReplyCrc(seen.atPoll, unreadable));
    EXPECT_EQ(unreadable, 0) << "a whole reply can be examined";
}

void ExpectTruncated(const Observed &seen)
{
    EXPECT_GE(seen.atPoll.size(), 3u);
    EXPECT_LT(seen.atPoll.size(), MonitorReplySize);
    EXPECT_FALSE(CrcGood(seen.atPoll));
    EXPECT_TRUE(seen.later.empty()) << "the rest never comes";
}

void ExpectLate(const Observed &seen)
{
    EXPECT_TRUE(seen.atPoll.empty());
    ASSERT_EQ(seen.later.size(), MonitorReplySize);
    EXPECT_TRUE(CrcGood(seen.later));
}

void ExpectException(const Observed &seen)
{
    EXPECT_EQ(Hex(seen.atPoll), Hex(WithCrc({0xFF, 0x83, 0x04})));
}

void ExpectNoiseInFront(const Observed &seen)
{
    ASSERT_GT(seen.atPoll.size(), MonitorReplySize);
    EXPECT_FALSE(CrcGood(seen.atPoll));
    const Bytes tail(seen.atPoll.end() - MonitorReplySize, seen.atPoll.end());
    EXPECT_EQ(Hex(Bytes(tail.begin(), tail.begin() + 3)), "FF 03 40");
    EXPECT_TRUE(CrcGood(tail)) << "the true reply follows the noise";
}

void ExpectNoiseOnly(const Observed &seen)
{
    EXPECT_FALSE(seen.atPoll.empty());
    EXPECT_LE(seen.atPoll.size(), 12u);
    EXPECT_FALSE(CrcGood(seen.atPoll)) << Hex(seen.atPoll);
    EXPECT_TRUE(seen.later.empty());
}

class SimulatorFault : public ::testing::TestWithParam<FaultCase>
{
};

TEST_P(SimulatorFault, InjectedFaultShapesTheNextReplyOnly)
{
    const FaultCase &c = GetParam();
    InverterSimulator inverter;
    inverter.InjectNext(c.fault);
    c.check(Observe(inverter, 0));

    const Observed healthy = Observe(inverter, 10000);
    ASSERT_EQ(healthy.atPoll.size(), MonitorReplySize) << Hex(healthy.atPoll);
    EXPECT_TRUE(CrcGood(healthy.atPoll));
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, SimulatorFault,
    ::testing::Values(FaultCase{"NoReply", SimFault::NoReply, ExpectNothing},
                      FaultCase{"WrongCrc", SimFault::WrongCrc, ExpectDamagedCrc},
                      FaultCase{"Truncated", SimFault::Truncated, ExpectTruncated},
                      FaultCase{"Delayed", SimFault::Delayed, ExpectLate},
                      FaultCase{"Exception", SimFault::Exception, ExpectException},
                      FaultCase{"NoiseBefore", SimFault::NoiseBefore, ExpectNoiseInFront},
                      FaultCase{"NoiseInstead", SimFault::NoiseInstead, ExpectNoiseOnly}),
    [](const auto &info) { return std::string(info.param.name); });

// Whether the inverter carried a write out depends on where the fault struck: a request it did
// not hear or refused changes nothing, a reply damaged on its way back does not undo the write.
struct WriteFaultCase
{
    const char *name;
    SimFault fault;
    bool applied;

    friend void PrintTo(const WriteFaultCase &c, std::ostream *out) { *out << c.name; }
};

class SimulatorWriteFault : public ::testing::TestWithParam<WriteFaultCase>
{
};

TEST_P(SimulatorWriteFault, WriteIsAppliedOnlyWhenTheInverterHeardAndAccepted)
{
    const WriteFaultCase &c = GetParam();
    InverterSimulator inverter;
    const std::uint16_t before = inverter.Register(0xC084);
    Channel channel;
    const Bytes data{0x00, 0x11};
    BuildWriteRequest(channel, WriteFunction, 0xC084, data);
    inverter.InjectNext(c.fault);
    inverter.Feed(channel.request, 0);
    EXPECT_EQ(inverter.Register(0xC084), c.applied ? 0x11 : before);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, SimulatorWriteFault,
    ::testing::Values(WriteFaultCase{"NoReply", SimFault::NoReply, false},
                      WriteFaultCase{"Exception", SimFault::Exception, false},
                      WriteFaultCase{"NoiseInstead", SimFault::NoiseInstead, false},
                      WriteFaultCase{"WrongCrc", SimFault::WrongCrc, true},
                      WriteFaultCase{"Truncated", SimFault::Truncated, true},
                      WriteFaultCase{"Delayed", SimFault::Delayed, true},
                      WriteFaultCase{"NoiseBefore", SimFault::NoiseBefore, true}),
    [](const auto &info) { return std::string(info.param.name); });

std::vector<bool> AnsweredPattern(std::uint64_t seed, double rate, int requests)
{
    InverterSimulator inverter(seed);
    inverter.SetFaultRate(SimFault::NoReply, rate);
    std::vector<bool> answered;
    for (int i = 0; i < requests; ++i)
        answered.push_back(!Observe(inverter, i * 10000).atPoll.empty());
    return answered;
}

TEST(SimulatorFaultRate, SameSeedSameFaultsAndRoughlyTheRateAsked)
{
    const auto first = AnsweredPattern(42, 0.3, 400);
    EXPECT_EQ(first, AnsweredPattern(42, 0.3, 400));
    EXPECT_NE(first, AnsweredPattern(43, 0.3, 400));
    const auto answered = std::count(first.begin(), first.end(), true);
    EXPECT_GT(answered, 400 * 0.6);
    EXPECT_LT(answered, 400 * 0.8);
}

TEST(SimulatorFaultRate, RateZeroNeverFaultsAndRatesOutside01AreRefused)
{
    const auto answered = AnsweredPattern(5, 0.0, 50);
    EXPECT_EQ(std::count(answered.begin(), answered.end(), false), 0);
    InverterSimulator inverter;
    EXPECT_THROW(inverter.SetFaultRate(SimFault::WrongCrc, 1.5), std::invalid_argument);
    EXPECT_THROW(inverter.SetFaultRate(SimFault::WrongCrc, -0.1), std::invalid_argument);
}

// --- live readings ---------------------------------------------------------------------------

struct Decoded
{
    double outputPower, acVoltage, acCurrent, acFrequency, dcBus;
    double inputAVoltage, inputBVoltage, inputACurrent, inputBCurrent, inputAPower, inputBPower;
    std::int32_t energy;
};

// The reply to the 0xC020 block read, decoded with the tool's scaling.
Decoded ReadReadings(InverterSimulator &inverter, std::int64_t at)
{
    inverter.Feed(MonitorFrame(), at);
    const Bytes reply = inverter.TakeOutput(at + PollMs);
    EXPECT_EQ(reply.size(), MonitorReplySize);
    const auto word = [&](std::uint16_t reg) { return ImageWord(reply, 3 + 2u * (reg - 0xC020)); };
    return {word(0xC020) / 100.0, double(word(0xC021)), word(0xC024) / 10.0,
            word(0xC026) / 10.0,  double(word(0xC027)), double(word(0xC02B)),
            double(word(0xC02C)), word(0xC02D) / 10.0,  word(0xC02E) / 10.0,
            word(0xC02F) / 100.0, word(0xC030) / 100.0, ImageLong(reply, 3 + 2 * 0x11)};
}

class SimulatorReadings : public ::testing::TestWithParam<std::int64_t>
{
};

TEST_P(SimulatorReadings, StayThoseOfAHealthyUnit)
{
    InverterSimulator inverter;
    const Decoded r = ReadReadings(inverter, GetParam());
    EXPECT_GE(r.inputAVoltage, 300);
    EXPECT_LE(r.inputAVoltage, 380);
    EXPECT_GE(r.inputBVoltage, 300);
    EXPECT_LE(r.inputBVoltage, 380);
    for (double current : {r.inputACurrent, r.inputBCurrent}) {
        EXPECT_GE(current, 1.0);
        EXPECT_LE(current, 8.0);
    }
    EXPECT_NEAR(r.dcBus, 380, 10);
    EXPECT_NEAR(r.acVoltage, 230, 5);
    EXPECT_NEAR(r.acFrequency, 50.0, 0.2);
    const double efficiency = r.outputPower / (r.inputAPower + r.inputBPower);
    EXPECT_NEAR(efficiency, 0.96, 0.015);
    EXPECT_NEAR(r.acCurrent, r.outputPower * 1000 / r.acVoltage, 0.3);
    EXPECT_NEAR(r.inputAPower, r.inputAVoltage * r.inputACurrent / 1000, 0.05);
    EXPECT_LE(r.outputPower, 3.6) << "within the rated power";
}

INSTANTIATE_TEST_SUITE_P(Times, SimulatorReadings,
                         ::testing::Values(0, 350, 12'345, 60'000, 3'600'000, 7'654'321,
                                           86'400'000),
                         [](const auto &info) {
                             return "at_" + std::to_string(info.param) + "ms";
                         });

TEST(SimulatorReadingsOverTime, MoveBetweenPollsAndEnergyRisesWithPower)
{
    InverterSimulator inverter;
    const Decoded first = ReadReadings(inverter, 0);
    const Decoded soon = ReadReadings(inverter, 30'000);
    EXPECT_TRUE(first.inputAVoltage != soon.inputAVoltage || first.acVoltage != soon.acVoltage
                || first.inputACurrent != soon.inputACurrent);

    std::int32_t last = soon.energy;
    for (std::int64_t t = 60'000; t <= 2 * 3'600'000; t += 60'000) {
        const std::int32_t now = ReadReadings(inverter, t).energy;
        EXPECT_GE(now, last) << "at " << t << " ms";
        last = now;
    }
    // Two hours at 2.0 .. 3.6 kW.
    EXPECT_GE(last - first.energy, 4);
    EXPECT_LE(last - first.energy, 8);
}

TEST(SimulatorReadingsOverTime, FrozenReadingsDoNotMove)
{
    InverterSimulator inverter;
    inverter.FreezeReadings(true);
    inverter.Feed(MonitorFrame(), 0);
    const Bytes first = inverter.TakeOutput(PollMs);
    inverter.Feed(MonitorFrame(), 3'600'000);
    EXPECT_EQ(Hex(inverter.TakeOutput(3'600'000 + PollMs)), Hex(first));
}

TEST(SimulatorReadingsOverTime, CounterContinuesFromAWrittenValue)
{
    InverterSimulator inverter;
    ReadReadings(inverter, 0);
    inverter.SetEnergyTotal(500);
    const Decoded later = ReadReadings(inverter, 3'600'000);
    EXPECT_GE(later.energy, 502);
    EXPECT_LE(later.energy, 504);
}

} // namespace
} // namespace pv::test
