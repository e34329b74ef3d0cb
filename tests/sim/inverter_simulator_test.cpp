// The simulated inverter answers the frames the tool builds, stores what is written, refuses what
// a real unit refuses, damages its replies on request and talks through the simulated port.

#include "sim/inverter_simulator.h"
#include "sim/simulated_port.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace pv {
namespace {

constexpr std::int64_t PollMs = 350;
constexpr std::size_t MonitorReplySize = 69;

Bytes Exchange(InverterSimulator &inverter, const Bytes &request, std::int64_t &now)
{
    inverter.Feed(request, now);
    now += PollMs;
    return inverter.TakeOutput(now);
}

Bytes WithCrc(Bytes frame)
{
    AppendCrc(frame);
    return frame;
}

bool CrcGood(const Bytes &reply)
{
    std::uint16_t unreadable = 0;
    return CheckReplyCrc(reply, unreadable);
}

Bytes MonitorFrame()
{
    Channel channel;
    BuildMonitorRequest(0, channel);
    return channel.request;
}

// The frame a codec request builder makes from the given arguments.
template <typename Build, typename... Args>
Bytes Frame(Build build, Args... args)
{
    Channel channel;
    build(channel, args...);
    return channel.request;
}

Bytes Burst(Bytes first, const Bytes &then)
{
    first.insert(first.end(), then.begin(), then.end());
    return first;
}

struct ReadCase
{
    const char *name;
    Bytes request;
    std::uint16_t start, count;
};

class SimulatorRead : public ::testing::TestWithParam<ReadCase>
{
};

TEST_P(SimulatorRead, ReplyCarriesTheHeldRegistersUnderAGoodCrc)
{
    const ReadCase &c = GetParam();
    InverterSimulator inverter;
    std::int64_t now = 1000;
    const Bytes reply = Exchange(inverter, c.request, now);
    ASSERT_EQ(reply.size(), 5u + 2u * c.count);
    EXPECT_EQ(Bytes(reply.begin(), reply.begin() + 3),
              Bytes({0xFF, 0x03, Bytes::value_type(2 * c.count)}));
    EXPECT_TRUE(CrcGood(reply));
    for (std::uint16_t k = 0; k < c.count; ++k)
        EXPECT_EQ(static_cast<std::uint16_t>(ImageWord(reply, 3 + 2u * k)),
                  inverter.Register(static_cast<std::uint16_t>(c.start + k)))
            << "register " << std::hex << c.start + k;
}

INSTANTIATE_TEST_SUITE_P(
    Blocks, SimulatorRead,
    ::testing::Values(
        ReadCase{"Monitor_C020_32regs", MonitorFrame(), 0xC020, 0x20},
        ReadCase{"C0B0_19regs_identity", Frame(BuildReadRequest, 0xC0B0, 0x13), 0xC0B0, 0x13},
        ReadCase{"CF00_15regs_calibration", Frame(BuildReadRequest, 0xCF00, 0x0F), 0xCF00, 0x0F},
        ReadCase{"C0F0_16regs_end_of_block", Frame(BuildReadRequest, 0xC0F0, 0x10), 0xC0F0, 0x10},
        ReadCase{"Noise_then_monitor", Burst({0x00, 0x55, 0xFF, 0x13, 0xAA}, MonitorFrame()),
                 0xC020, 0x20},
        ReadCase{"Bad_crc_read_then_C080_1reg",
                 Burst({0xFF, 0x03, 0xC0, 0x20, 0x00, 0x20, 0x00, 0x00},
                       Frame(BuildReadRequest, 0xC080, 1)),
                 0xC080, 1}),
    [](const auto &info) { return std::string(info.param.name); });

// A request, the exact reply, and what a read from `readStart` gives afterwards (nothing to read
// back when `readBack` is empty).
struct WriteCase
{
    const char *name;
    Bytes request, reply;
    std::uint16_t readStart;
    Bytes readBack;
};

class SimulatorWrite : public ::testing::TestWithParam<WriteCase>
{
};

TEST_P(SimulatorWrite, ReplyIsExactAndTheRegistersReadBack)
{
    const WriteCase &c = GetParam();
    InverterSimulator inverter;
    std::int64_t now = 0;
    EXPECT_EQ(Exchange(inverter, c.request, now), c.reply);
    if (c.readBack.empty())
        return;
    const auto count = static_cast<std::uint16_t>(c.readBack.size() / 2);
    const Bytes back = Exchange(inverter, Frame(BuildReadRequest, c.readStart, count), now);
    ASSERT_EQ(back.size(), 5u + c.readBack.size());
    EXPECT_EQ(Bytes(back.begin() + 3, back.end() - 2), c.readBack);
}

const Bytes Limits{0x01, 0x0E, 0x01, 0x04, 0x00, 0xBE, 0x00, 0xB4, 0x02, 0x03, 0x01, 0xDB};
const Bytes Calibration{0x81, 0x7F, 0x82, 0x7E, 0x01, 0x2C, 0x83,
                        0x00, 0x84, 0x00, 0x00, 0xE6, 0x85, 0x00};
const Bytes EnergyHigh = Frame(BuildSingleWordWrite, 0xCF01, 0x0001);
const Bytes EnergyLow = Frame(BuildSingleWordWrite, 0xCF02, 0x1170);

INSTANTIATE_TEST_SUITE_P(
    Requests, SimulatorWrite,
    ::testing::Values(
        WriteCase{"W10_C088_six_limits", Frame(BuildWriteRequest, 0x10, 0xC088, Limits),
                  WithCrc({0xFF, 0x10, 0xC0, 0x88, 0x00, 0x06}), 0xC088, Limits},
        WriteCase{"W64_CF01_energy_high_word", EnergyHigh, EnergyHigh, 0xC031, Bytes{0x00, 0x01}},
        WriteCase{"W64_CF02_energy_low_word", EnergyLow, EnergyLow, 0xC032, Bytes{0x11, 0x70}},
        WriteCase{"W64_CF03_calibration_block", Frame(BuildWriteRequest, 0x64, 0xCF03, Calibration),
                  WithCrc({0xFF, 0x64, 0xCF, 0x03, 0x00, 0x07}), 0xCF03, Calibration},
        WriteCase{"Function05_unknown", WithCrc({0xFF, 0x05, 0xC0, 0x00, 0xFF, 0x00}),
                  WithCrc({0xFF, 0x85, 0x01}), 0, Bytes{}},
        WriteCase{"W10_into_CF05_refused", Frame(BuildWriteRequest, 0x10, 0xCF05, Bytes{0, 0x99}),
                  WithCrc({0xFF, 0x90, 0x02}), 0xCF05, Bytes{0x01, 0x2C}}),
    [](const auto &info) { return std::string(info.param.name); });

// What the line carries for one monitor request: when the tool takes it (one poll later) and
// long after.
struct Observed
{
    Bytes atPoll, later;
};

Observed Observe(InverterSimulator &inverter, std::int64_t start)
{
    inverter.Feed(MonitorFrame(), start);
    Observed seen;
    seen.atPoll = inverter.TakeOutput(start + PollMs);
    seen.later = inverter.TakeOutput(start + 10 * PollMs);
    return seen;
}

// Sizes of what arrives at the poll and later, and whether the last 69 bytes that arrive (or all
// of them, if fewer) pass the CRC check.
struct FaultCase
{
    const char *name;
    SimFault fault;
    std::size_t pollMin, pollMax, later;
    bool crcGood;
};

class SimulatorFault : public ::testing::TestWithParam<FaultCase>
{
};

TEST_P(SimulatorFault, InjectedFaultShapesTheNextReplyOnly)
{
    const FaultCase &c = GetParam();
    InverterSimulator inverter;
    inverter.InjectNext(c.fault);
    const Observed seen = Observe(inverter, 0);
    EXPECT_GE(seen.atPoll.size(), c.pollMin);
    EXPECT_LE(seen.atPoll.size(), c.pollMax);
    EXPECT_EQ(seen.later.size(), c.later);
    const Bytes &last = seen.later.empty() ? seen.atPoll : seen.later;
    const auto tail = last.size() - std::min(last.size(), MonitorReplySize);
    EXPECT_EQ(CrcGood(Bytes(last.begin() + tail, last.end())), c.crcGood);
    if (c.fault == SimFault::Exception) {
        EXPECT_EQ(seen.atPoll, WithCrc({0xFF, 0x83, 0x04}));
    }

    const Observed healthy = Observe(inverter, 10000);
    EXPECT_EQ(healthy.atPoll.size(), MonitorReplySize);
    EXPECT_TRUE(CrcGood(healthy.atPoll));
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, SimulatorFault,
    ::testing::Values(FaultCase{"NoReply", SimFault::NoReply, 0, 0, 0, false},
                      FaultCase{"WrongCrc", SimFault::WrongCrc, 69, 69, 0, false},
                      FaultCase{"Truncated", SimFault::Truncated, 3, 68, 0, false},
                      FaultCase{"Delayed", SimFault::Delayed, 0, 0, 69, true},
                      FaultCase{"Exception", SimFault::Exception, 5, 5, 0, true},
                      FaultCase{"NoiseBefore", SimFault::NoiseBefore, 70, 200, 0, true},
                      FaultCase{"NoiseInstead", SimFault::NoiseInstead, 1, 12, 0, false}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(SimulatorFaultRate, SameSeedSameFaultsAndRoughlyTheRateAsked)
{
    const auto answered = [](std::uint64_t seed) {
        InverterSimulator inverter(seed);
        inverter.SetFaultRate(SimFault::NoReply, 0.3);
        std::vector<bool> pattern;
        for (int i = 0; i < 200; ++i)
            pattern.push_back(!Observe(inverter, i * 10000).atPoll.empty());
        return pattern;
    };
    const auto first = answered(42);
    EXPECT_EQ(first, answered(42));
    EXPECT_NE(first, answered(43));
    EXPECT_NEAR(std::count(first.begin(), first.end(), true), 140, 20);
}

TEST(SimulatorReadings, NearNinetySixPercentEfficientAndEnergyRisesOverTwoHours)
{
    InverterSimulator inverter;
    std::int32_t first = 0, last = 0;
    for (std::int64_t t = 0; t <= 2 * 3'600'000; t += 600'000) {
        std::int64_t now = t;
        const Bytes reply = Exchange(inverter, MonitorFrame(), now);
        ASSERT_EQ(reply.size(), MonitorReplySize);
        const auto word = [&](int reg) { return ImageWord(reply, 3 + 2 * (reg - 0xC020)); };
        const double output = word(0xC020) / 100.0;
        EXPECT_NEAR(output / ((word(0xC02F) + word(0xC030)) / 100.0), 0.96, 0.015) << t;
        EXPECT_LE(output, 3.6) << "within the rated power";
        EXPECT_NEAR(word(0xC021), 230, 5) << "AC voltage";
        const std::int32_t energy = ImageLong(reply, 3 + 2 * 0x11);
        EXPECT_GE(energy, last) << t;
        first = t == 0 ? energy : first;
        last = energy;
    }
    EXPECT_GE(last - first, 4) << "two hours at 2.0 .. 3.6 kW";
    EXPECT_LE(last - first, 8);
}

TEST(SimulatedPort, MissingPortDoesNotOpenAndRepliesComeWhenTheClockMoves)
{
    InverterSimulator inverter;
    std::int64_t now = 1000;
    SimulatedPort port(inverter, &now);
    port.SetCommPort(2);
    EXPECT_THROW(port.Open(), PortError);
    port.SetCommPort(1);
    port.Open();
    port.Output(MonitorFrame());
    EXPECT_TRUE(port.Input().empty());
    now += PollMs;
    const Bytes reply = port.Input();
    EXPECT_EQ(reply.size(), MonitorReplySize);
    EXPECT_TRUE(CrcGood(reply));
}

} // namespace
} // namespace pv
