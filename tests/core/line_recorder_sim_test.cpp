// The line recorder between the monitor cycle's requests and the simulated inverter, with each
// of the simulator's fault knobs: the verdict of one reply, and the hints of a run of them.

#include "link/line_recorder.h"
#include "sim/simulated_port.h"

#include <gtest/gtest.h>

namespace pv {
namespace {

constexpr std::int64_t TickMs = 350;

struct FaultCase
{
    const char *name;
    SimFault fault;
    bool echo;
    ReplyVerdict verdict;
    std::vector<LineHint> hints; // after five requests with the fault on every one
    std::uint8_t exceptionCode = 0;
};

class SimulatedLine : public ::testing::TestWithParam<FaultCase>
{
protected:
    SimulatedLine()
    {
        inverter.SetEcho(GetParam().echo);
        port.SetContext([this] { return context; });
        port.Open();
    }

    // Monitor steps 0, 2 and 4 in turn: discard and send, one tick, take.
    void Exchange()
    {
        BuildMonitorRequest(requestStep, channel);
        context = {ExchangeState::Monitor, requestStep, channel.sent};
        (void)port.Input();
        port.Output(channel.request);
        nowMs += TickMs;
        context.step = requestStep + 1;
        (void)port.Input();
        nowMs += TickMs;
        requestStep = (requestStep + 2) % 6;
    }
    std::uint64_t CountOf(ReplyVerdict verdict) const
    {
        const LineCounters &c = recorder.Counters();
        switch (verdict) {
        case ReplyVerdict::Accepted:
            return c.goodReplies;
        case ReplyVerdict::NoAnswer:
            return c.noAnswer;
        case ReplyVerdict::TooShort:
            return c.tooShort;
        case ReplyVerdict::CrcFailed:
            return c.crcFailures;
        case ReplyVerdict::Exception:
            return c.exceptions;
        default:
            return c.refused;
        }
    }

    InverterSimulator inverter;
    std::int64_t nowMs = 0;
    SimulatedPort simulated{inverter, &nowMs};
    LineRecorder recorder;
    RecordingPort port{simulated, recorder};
    LineContext context;
    Channel channel;
    int requestStep = 0;
};

TEST_P(SimulatedLine, OneReplyGetsItsVerdictAndCounter)
{
    inverter.InjectNext(GetParam().fault);
    Exchange();
    ASSERT_EQ(recorder.Size(), 2u);
    const LineEntry &reply = recorder.At(1);
    EXPECT_EQ(reply.event, LineEvent::Reply);
    EXPECT_EQ(reply.verdict, GetParam().verdict);
    EXPECT_EQ(reply.exceptionCode, GetParam().exceptionCode);
    EXPECT_EQ(reply.echoed, GetParam().echo);
    EXPECT_EQ(recorder.Counters().requests, 1u);
    EXPECT_EQ(CountOf(GetParam().verdict), 1u);
    // A reply too late for its take is what the next discard finds.
    Exchange();
    const bool late = GetParam().fault == SimFault::Delayed;
    EXPECT_EQ(recorder.At(2).event, late ? LineEvent::Stray : LineEvent::Sent);
}

TEST_P(SimulatedLine, TheFaultOnEveryRequestShowsItsHint)
{
    inverter.SetFaultRate(GetParam().fault, 1.0);
    for (int i = 0; i < 4; ++i)
        Exchange();
    const bool once = GetParam().fault == SimFault::Exception;
    EXPECT_EQ(recorder.Hints().empty(), !once) << "four replies are no pattern yet";
    Exchange();
    EXPECT_EQ(recorder.Hints(), GetParam().hints);
}

const FaultCase FaultCases[] = {
    {"Clean", SimFault::None, false, ReplyVerdict::Accepted, {}},
    {"NoReply", SimFault::NoReply, false, ReplyVerdict::NoAnswer, {LineHint::NoReply}},
    {"WrongCrc", SimFault::WrongCrc, false, ReplyVerdict::CrcFailed, {LineHint::CrcFailures}},
    {"Truncated", SimFault::Truncated, false, ReplyVerdict::CrcFailed, {LineHint::CrcFailures}},
    {"NoiseInstead",
     SimFault::NoiseInstead,
     false,
     ReplyVerdict::CrcFailed,
     {LineHint::CrcFailures}},
    {"NoiseBefore", SimFault::NoiseBefore, false, ReplyVerdict::CrcFailed, {LineHint::CrcFailures}},
    // Late replies show that the line works: no word about the cable.
    {"Delayed", SimFault::Delayed, false, ReplyVerdict::NoAnswer, {}},
    {"Exception",
     SimFault::Exception,
     false,
     ReplyVerdict::Exception,
     {LineHint::Exception},
     SlaveDeviceFailure},
    // The simulated port drops the echo as the real one does, and says so.
    {"Echo", SimFault::None, true, ReplyVerdict::Accepted, {LineHint::Echo}},
};

INSTANTIATE_TEST_SUITE_P(Line, SimulatedLine, ::testing::ValuesIn(FaultCases),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
} // namespace pv
