// The line recorder between the monitor cycle's requests and the simulated inverter: what the
// scripted replies of line_recorder_test.cpp cannot show, a port that drops echoes and replies
// that come too late for their take, with the hints a run of them gives.

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

    InverterSimulator inverter;
    std::int64_t nowMs = 0;
    SimulatedPort simulated{inverter, &nowMs};
    LineRecorder recorder;
    RecordingPort port{simulated, recorder};
    LineContext context;
    Channel channel;
    int requestStep = 0;
};

TEST_P(SimulatedLine, EachReplyGetsItsVerdictAndTheFaultOnEveryRequestItsHint)
{
    inverter.SetFaultRate(GetParam().fault, 1.0);
    Exchange();
    ASSERT_EQ(recorder.Size(), 2u);
    EXPECT_EQ(recorder.At(1).verdict, GetParam().verdict);
    EXPECT_EQ(recorder.At(1).echoed, GetParam().echo);
    // A reply too late for its take is what the next discard finds.
    Exchange();
    const bool late = GetParam().fault == SimFault::Delayed;
    EXPECT_EQ(recorder.At(2).event, late ? LineEvent::Stray : LineEvent::Sent);
    for (int i = 0; i < 3; ++i)
        Exchange();
    EXPECT_EQ(recorder.Hints(), GetParam().hints);
}

const FaultCase FaultCases[] = {
    {"Clean", SimFault::None, false, ReplyVerdict::Accepted, {}},
    {"NoReply", SimFault::NoReply, false, ReplyVerdict::NoAnswer, {LineHint::NoReply}},
    // Late replies show that the line works: no word about the cable.
    {"Delayed", SimFault::Delayed, false, ReplyVerdict::NoAnswer, {}},
    {"Truncated", SimFault::Truncated, false, ReplyVerdict::CrcFailed, {LineHint::CrcFailures}},
    // The simulated port drops the echo as the real one does, and says so.
    {"Echo", SimFault::None, true, ReplyVerdict::Accepted, {LineHint::Echo}},
};

INSTANTIATE_TEST_SUITE_P(Line, SimulatedLine, ::testing::ValuesIn(FaultCases),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
} // namespace pv
