// The simulated inverter answers the frames the tool builds, stores what is written, refuses what
// a real unit refuses, damages its replies on request and talks through the simulated port.

#include "sim/inverter_simulator.h"
#include "sim/simulated_port.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace pv {
namespace {

constexpr std::int64_t PollMs = 350;

// What the line carries one poll after the request.
Bytes Exchange(InverterSimulator &inverter, const Bytes &request, std::int64_t now)
{
    inverter.Feed(request, now);
    return inverter.TakeOutput(now + PollMs);
}

// The frame a codec request builder makes from the given arguments.
template <typename Build, typename... Args>
Bytes Frame(Build build, Args... args)
{
    Channel channel;
    build(channel, args...);
    return channel.request;
}

const Bytes Monitor = Frame([](Channel &channel) { BuildMonitorRequest(0, channel); });

bool CrcGood(const Bytes &reply)
{
    std::uint16_t unreadable = 0;
    return CheckReplyCrc(reply, unreadable);
}

Bytes Burst(Bytes first, const Bytes &then)
{
    first.insert(first.end(), then.begin(), then.end());
    return first;
}

Bytes WithCrc(Bytes frame, std::uint8_t damage = 0)
{
    AppendCrc(frame);
    frame.back() ^= damage;
    return frame;
}

// A request (a fault on its reply, the echo knob), the exact reply (nothing at all when empty),
// the write record, then a codec-built read of `count` registers from `start` carrying the held
// values, beginning with `readBack`.
struct ExchangeCase
{
    const char *name;
    Bytes request, reply;
    std::vector<std::string> record;
    std::uint16_t start, count;
    Bytes readBack;
    SimFault fault = SimFault::None;
    bool echo = false;
    std::uint16_t kept = 0; // a register that keeps its value when written (0: none)
};
using SimulatorExchange = ::testing::TestWithParam<ExchangeCase>;

TEST_P(SimulatorExchange, ReplyIsExactWritesAreRecordedAndTheHeldRegistersReadBack)
{
    const ExchangeCase &c = GetParam();
    InverterSimulator inverter;
    inverter.SetEcho(c.echo);
    inverter.InjectNext(c.fault);
    if (c.kept != 0)
        inverter.KeepOnWrite(c.kept);
    EXPECT_EQ(Exchange(inverter, c.request, 5000), c.reply);
    std::vector<std::string> record;
    for (const WriteRecord &write : inverter.Writes())
        record.push_back(FormatWriteRecord(write));
    EXPECT_EQ(record, c.record);

    inverter.SetEcho(false);
    const Bytes back = Exchange(inverter, Frame(BuildReadRequest, c.start, c.count), 9000);
    ASSERT_EQ(back.size(), 5u + 2u * c.count);
    EXPECT_EQ(Bytes(back.begin(), back.begin() + 3),
              Bytes({0xFF, 0x03, Bytes::value_type(2 * c.count)}));
    EXPECT_TRUE(CrcGood(back));
    EXPECT_EQ(Bytes(back.begin() + 3, back.begin() + 3 + c.readBack.size()), c.readBack);
}

const Bytes Limits{0x01, 0x0E, 0x01, 0x04, 0x00, 0xBE, 0x00, 0xB4, 0x02, 0x03, 0x01, 0xDB};
const Bytes Calibration{0x81, 0x7F, 0x82, 0x7E, 0x01, 0x2C, 0x83,
                        0x00, 0x84, 0x00, 0x00, 0xE6, 0x85, 0x00};
const Bytes CalibrationWrite = Frame(BuildWriteRequest, 0x64, 0xCF03, Calibration);
const Bytes EnergyHalves = Burst(Frame(BuildSingleWordWrite, 0xCF01, 0x0001),
                                 Frame(BuildSingleWordWrite, 0xCF02, 0x1170));
const Bytes SleepWrite = Frame(BuildWriteRequest, 0x10, 0xC084, Bytes{0x00, 0x07});

INSTANTIATE_TEST_SUITE_P(
    Requests, SimulatorExchange,
    ::testing::Values(
        ExchangeCase("W10_C088_six_limits", Frame(BuildWriteRequest, 0x10, 0xC088, Limits),
                     Bytes{0xFF, 0x10, 0xC0, 0x88, 0x00, 0x06, 0xE9, 0xFF},
                     {"write fn=10 start=C088 values=010E,0104,00BE,00B4,0203,01DB ms=5000"},
                     0xC088, 6, Limits),
        ExchangeCase("Noise_then_W64_CF01_CF02_energy_halves_under_their_selectors",
                     Burst({0x00, 0x55, 0xFF, 0x13, 0xAA}, EnergyHalves), EnergyHalves,
                     {"write fn=64 start=CF01 values=0001 ms=5000",
                      "write fn=64 start=CF02 values=1170 ms=5000"},
                     0xC031, 2, Bytes{0x00, 0x01, 0x11, 0x70}),
        ExchangeCase("W64_CF03_calibration_block_on_an_echoing_line", CalibrationWrite,
                     Burst(CalibrationWrite, {0xFF, 0x64, 0xCF, 0x03, 0x00, 0x07, 0xEB, 0x0A}),
                     {"write fn=64 start=CF03 values=817F,827E,012C,8300,8400,00E6,8500 ms=5000"},
                     0xCF03, 7, Calibration, SimFault::None, true),
        ExchangeCase("W10_into_CF05_refused", Frame(BuildWriteRequest, 0x10, 0xCF05, Bytes{0, 9}),
                     Bytes{0xFF, 0x90, 0x02, 0xAC, 0x31}, {}, 0xCF05, 1, Bytes{0x01, 0x2C}),
        ExchangeCase("W10_stored_though_its_reply_is_damaged", SleepWrite,
                     WithCrc({0xFF, 0x10, 0xC0, 0x84, 0x00, 0x01}, 0x5A),
                     {"write fn=10 start=C084 values=0007 ms=5000"}, 0xC084, 1, Bytes{0x00, 0x07},
                     SimFault::WrongCrc),
        ExchangeCase("W10_C084_kept_acknowledged_and_recorded_but_not_taken", SleepWrite,
                     WithCrc({0xFF, 0x10, 0xC0, 0x84, 0x00, 0x01}),
                     {"write fn=10 start=C084 values=0007 ms=5000"}, 0xC084, 1, Bytes{0x00, 0x05},
                     SimFault::None, false, 0xC084),
        ExchangeCase("W10_refused_by_exception_not_recorded", SleepWrite,
                     WithCrc({0xFF, 0x90, 0x04}), {}, 0xC084, 1, {}, SimFault::Exception),
        ExchangeCase("Bad_crc_unanswered_then_C0F0_end_of_block",
                     Bytes{0xFF, 0x03, 0xC0, 0x20, 0x00, 0x20, 0x00, 0x00}, Bytes{}, {}, 0xC0F0,
                     0x10, Bytes{})),
    [](const auto &info) { return std::string(info.param.name); });

// What the line carries for one monitor request: when the tool takes it (one poll later) and
// long after.
std::pair<Bytes, Bytes> Observe(InverterSimulator &inverter, std::int64_t start)
{
    inverter.Feed(Monitor, start);
    return {inverter.TakeOutput(start + PollMs), inverter.TakeOutput(start + 10 * PollMs)};
}

// A printed record reads back as the record it was printed from; other lines read as nothing.
TEST(WriteRecordLine, PrintedRecordsReadBackAndOtherLinesDoNot)
{
    for (const WriteRecord &record : {WriteRecord{0x10, 0xC088, {0x010E, 0x0104}, 1234},
                                      WriteRecord{0x64, 0xCF0A, {0x82}, 0}}) {
        const auto back = ParseWriteRecord(FormatWriteRecord(record) + "\n");
        ASSERT_TRUE(back) << FormatWriteRecord(record);
        EXPECT_EQ(FormatWriteRecord(*back), FormatWriteRecord(record));
    }
    for (const char *line :
         {"inverter-sim: COM1 -> /dev/pts/3", "write fn=10 start=C088 values= ms=5",
          "write fn=10 start=C088 values=010E, ms=5", "write fn=10 start=C088 values=0G0E ms=5",
          "write fn=10 start=C088 values=010E ms=", "write fn=10 start=C088 values=010E ms=5 x",
          "write fn=10 start=C088 values=10000 ms=5"})
        EXPECT_FALSE(ParseWriteRecord(line)) << line;
}

TEST(SimFaultList, NamesCommaSeparatedOrAll)
{
    EXPECT_EQ(SimFaultsFromList("delayed,exception"),
              (std::vector<SimFault>{SimFault::Delayed, SimFault::Exception}));
    const auto all = SimFaultsFromList("all");
    ASSERT_TRUE(all);
    EXPECT_EQ(all->size(), 7u);
    EXPECT_EQ(std::set<SimFault>(all->begin(), all->end()).size(), 7u) << "each kind once";
    for (const char *list : {"", "none", "no-reply,", "no-reply,bogus"})
        EXPECT_FALSE(SimFaultsFromList(list)) << list;
}

// Late replies drawn from a range land at different times within it, the same for the same seed.
TEST(SimulatorLateReply, DrawsItsDelayFromTheRangeGiven)
{
    const auto arrivals = [] {
        InverterSimulator inverter(7);
        inverter.SetDelayedReplyMs(400, 2600);
        std::vector<std::int64_t> late;
        for (std::int64_t start = 0; start < 20 * 10000; start += 10000) {
            inverter.InjectNext(SimFault::Delayed);
            inverter.Feed(Monitor, start);
            std::int64_t t = start;
            while (inverter.TakeOutput(t).empty() && t < start + 5000)
                ++t;
            late.push_back(t - start);
        }
        return late;
    };
    const auto late = arrivals();
    EXPECT_EQ(late, arrivals());
    const auto [earliest, latest] = std::minmax_element(late.begin(), late.end());
    EXPECT_GE(*earliest, 400);
    EXPECT_LE(*latest, 2600);
    EXPECT_GT(*latest - *earliest, 1000) << "spread over the range";
    EXPECT_THROW(InverterSimulator().SetDelayedReplyMs(500, 400), std::invalid_argument);
}

TEST(SimulatorFault, InjectedFaultShapesTheNextReplyOnly)
{
    // Sizes of what arrives at the poll and later, and whether the last 69 bytes that arrive (or
    // all of them, if fewer) pass the CRC check.
    const std::tuple<SimFault, std::size_t, std::size_t, std::size_t, bool> cases[]
        = {{SimFault::NoReply, 0, 0, 0, false},      {SimFault::WrongCrc, 69, 69, 0, false},
           {SimFault::Truncated, 3, 68, 0, false},   {SimFault::Delayed, 0, 0, 69, true},
           {SimFault::Exception, 5, 5, 0, true},     {SimFault::NoiseBefore, 70, 200, 0, true},
           {SimFault::NoiseInstead, 1, 12, 0, false}};
    for (const auto &[fault, pollMin, pollMax, laterSize, crcGood] : cases) {
        SCOPED_TRACE(SimFaultName(fault));
        InverterSimulator inverter;
        inverter.InjectNext(fault);
        const auto [atPoll, later] = Observe(inverter, 0);
        EXPECT_GE(atPoll.size(), pollMin);
        EXPECT_LE(atPoll.size(), pollMax);
        EXPECT_EQ(later.size(), laterSize);
        const Bytes &last = later.empty() ? atPoll : later;
        const auto tail = last.size() - std::min<std::size_t>(last.size(), 69);
        EXPECT_EQ(CrcGood(Bytes(last.begin() + tail, last.end())), crcGood);
        EXPECT_TRUE(fault != SimFault::Exception || atPoll == WithCrc({0xFF, 0x83, 0x04}));
        EXPECT_TRUE(CrcGood(Observe(inverter, 10000).first)) << "the next reply is healthy again";
        EXPECT_EQ(inverter.FaultsStruck(), std::vector<SimFault>{fault});
    }
}

TEST(SimulatorFaultRate, SameSeedSameFaultsAndRoughlyTheRateAsked)
{
    const auto answered = [](std::uint64_t seed) {
        InverterSimulator inverter(seed);
        inverter.SetFaultRate(SimFault::NoReply, 0.3);
        std::vector<bool> pattern;
        for (int i = 0; i < 200; ++i)
            pattern.push_back(!Observe(inverter, i * 10000).first.empty());
        return pattern;
    };
    const auto first = answered(42);
    EXPECT_EQ(first, answered(42));
    EXPECT_NE(first, answered(43));
    EXPECT_NEAR(std::count(first.begin(), first.end(), true), 140, 20);
}

// The simulated port opens only the port that exists, replies when the clock moves, and hands
// the window the same replies whether the line echoes or not: the monitor read, then a
// single-word 0x64 write whose acknowledgement is a copy of itself.
TEST(SimulatedPort, RepliesComeWhenTheClockMovesAndAreTheSameOnAnEchoingLine)
{
    for (const bool echo : {false, true}) {
        SCOPED_TRACE(echo ? "echoing line" : "plain line");
        InverterSimulator inverter;
        inverter.SetEcho(echo);
        std::int64_t now = 1000;
        SimulatedPort port(inverter, &now);
        port.SetCommPort(2);
        EXPECT_THROW(port.Open(), PortError);
        port.SetCommPort(1);
        port.Open();
        port.Output(Monitor);
        EXPECT_TRUE(port.Input().empty());
        now += PollMs;
        const Bytes reply = port.Input();
        EXPECT_EQ(reply.size(), 69u);
        EXPECT_TRUE(CrcGood(reply));
        const Bytes write = Frame(BuildSingleWordWrite, 0xCF0A, 0x0081);
        port.Output(write);
        now += PollMs;
        EXPECT_EQ(port.Input(), write);
        inverter.InjectNext(SimFault::NoReply);
        port.Output(Monitor);
        now += PollMs;
        EXPECT_TRUE(port.Input().empty()) << "an unanswered request leaves nothing of its echo";
    }
}

} // namespace
} // namespace pv
