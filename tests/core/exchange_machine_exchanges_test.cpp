// The identify and configuration exchanges: the hand-over from the monitor cycle, their steps,
// messages and takes with and without a fault, and late replies; the line recorder's view.

#include "core/exchange_machine_rig.h"
#include "link/line_recorder.h"

#include <algorithm>
#include <tuple>

namespace pv::test {
namespace {

TEST(Exchanges, EachIntentSetsItsTimerAndFirstStepAndTakesOverAfterTheTicksOwnStep)
{
    const Calls identify{"Controls off", "Timer1 off", "Timer2 on", "Timer3 off"};
    const Calls configuration{"Controls off", "Timer1 off", "Timer2 off", "Timer3 on"};
    constexpr auto IR = S::PrepareIdentifyRead, IW = S::PrepareIdentifyWrite;
    constexpr auto CR = S::PrepareConfigurationRead, CW = S::PrepareConfigurationWrite;
    // Intent, Check1(0..3), state taken over, its first step, calls.
    const std::tuple<S, WriteGroups, S, int, Calls> cases[]
        = {{IR, {}, S::IdentifyRead, 0, Calls{"Controls off", "Timer2 500"} + identify},
           {IW, {}, S::IdentifyWrite, 6, Calls{"Controls off", "Timer2 2000"} + identify},
           {CR, {}, S::ConfigurationRead, 0, Calls{"Controls off", "Timer3 500"} + configuration},
           {CW,
            {0, 1, 0, 1},
            S::ConfigurationWrite,
            6,
            Calls{"Controls off", "Timer3 2000"} + configuration},
           {S::CalibrationWindowOpen,
            {},
            S::CalibrationWindowOpen,
            0,
            {"Controls off", "Timer1 off", "OpenCalibrationWindow"}}};
    for (const auto &[intent, ticked, running, first, calls] : cases) {
        SCOPED_TRACE(ExchangeStateText(running));
        Rig rig(7); // 0xC020 sent
        rig.ticked = ticked;
        rig.Prepare(intent);
        EXPECT_EQ(rig.machine.State(), intent) << "waits for the next monitor tick";
        EXPECT_EQ(rig.calls.front(), "Controls off") << "locked at the click";
        rig.port.QueueReply({}); // taken by the tick but, between exchanges, not even examined
        rig.Ticks(1);
        EXPECT_EQ(rig.machine.State(), running);
        EXPECT_EQ(rig.store.ReplyUnreadable(), 0);
        EXPECT_EQ(rig.calls, calls);
        EXPECT_EQ(intent == S::CalibrationWindowOpen ? 0 : rig.machine.Step(), first);
        EXPECT_EQ(rig.machine.MonitorStep(), intent == S::CalibrationWindowOpen ? 4 : 0)
            << "cycle restarts";
    }
}

TEST(Exchanges, StepsMessagesAndTakesOfEachExchangeWithAndWithoutAFault)
{
    constexpr auto IR = S::PrepareIdentifyRead, IW = S::PrepareIdentifyWrite;
    constexpr auto CR = S::PrepareConfigurationRead, CW = S::PrepareConfigurationWrite;
    enum Fault { None, SendFails, TakeFails, Unbuildable };
    const Calls identified{"Build 0", "Build 2", "Build 4", "ShowIdentifierValues"};
    const Calls configured{"Build 0", "Build 2", "ShowConfiguration"};
    const Calls readFailed{"Build 0", "Message 127 in 'Monitor'"};
    // Intent, Check1(0..3), fault and its tick (the step for Unbuildable), calls, port takes:
    // every request that is sent is preceded by a take that discards what the port held.
    const std::tuple<S, WriteGroups, Fault, int, Calls, int> cases[]
        = {{IR, {}, None, 0, identified + BackToMonitor, 6},
           {CR, {}, None, 0, configured + BackToMonitor, 4},
           {IR, {}, SendFails, 1, readFailed + BackToMonitor, 1},
           {CR, {}, TakeFails, 2, readFailed + BackToMonitor, 1},
           {IW, {}, None, 0, WriteSteps(2, {6, 8, 10, 12}, 129), 8},
           {IW, {}, TakeFails, 4, WriteSteps(2, {6, 8}, 128), 3}, // step 9: 10, 12 never sent
           {IW, {}, Unbuildable, 8, WriteSteps(2, {6, 8}, 128), 2},
           {CW, {0, 0, 1, 0}, None, 0, WriteSteps(3, {8, 10}, 129), 4},
           {CW, {1, 1, 1, 1}, None, 0, WriteSteps(3, {4, 6, 8, 10, 12}, 129), 10},
           {CW, {1, 1, 1, 1}, SendFails, 3, WriteSteps(3, {4, 6}, 128), 3}};
    for (const auto &[intent, ticked, fault, failing, calls, takes] : cases) {
        SCOPED_TRACE(testing::Message() << ExchangeStateText(intent) << ", fault " << fault);
        Rig rig(6);
        rig.ticked = ticked;
        rig.unbuildable = fault == Unbuildable ? failing : -1;
        const Channel &channel = rig.machine.ExchangeChannel();
        rig.Exchange(intent, [&](int tick) {
            if (tick == failing && fault != Unbuildable)
                (fault == SendFails ? rig.port.outputFailuresLeft : rig.port.inputFailuresLeft) = 1;
            // Bytes that would fit a request that never left must not be taken as its reply.
            if (fault == SendFails && tick == failing + 1)
                rig.port.QueueReply(*rig.port.responder(channel.request));
        });
        EXPECT_EQ(rig.calls, calls);
        EXPECT_EQ(rig.port.inputCalls, takes);
        const auto built = std::count_if(calls.begin(), calls.end(), [](const std::string &c) {
            return c.starts_with("Build");
        });
        EXPECT_EQ(std::ssize(rig.port.written),
                  built - (fault == None || fault == TakeFails ? 0 : 1))
            << "a request that could not be built, or sent, did not leave";
        EXPECT_EQ(rig.machine.MonitorStep(), 0);
    }
}

// A reply that comes after its take lies in the port when the next request goes out; a read of
// one register answers like any other, so it would pass for the next one's reply. Every send
// discards it first.
TEST(Exchanges, ALateReplyIsDiscardedBeforeEverySend)
{
    const Bytes late = WithCrc({0xFF, 0x03, 0x02, 0x12, 0x34});
    const std::pair<S, WriteGroups> cases[] = {{S::PrepareIdentifyRead, {}},
                                               {S::PrepareIdentifyWrite, {}},
                                               {S::PrepareConfigurationRead, {}},
                                               {S::PrepareConfigurationWrite, {1, 1, 1, 1}}};
    for (const auto &[intent, ticked] : cases) {
        SCOPED_TRACE(ExchangeStateText(intent));
        Rig rig(6);
        rig.ticked = ticked;
        rig.Exchange(intent, [&](int tick) {
            if (tick % 2 == 1) // before each send step
                rig.port.QueueReply(late);
        });
        const ByteView image = rig.store.Image().Bytes();
        for (std::size_t i = 0; i + 1 < image.size(); i += 2)
            EXPECT_FALSE(image[i] == 0x12 && image[i + 1] == 0x34) << "filed at image " << i;
    }
}

// The exchange using the port, its step and request, and whether the dispatcher acts on a reply
// taken now.
TEST(LineContextOf, FollowsTheMachineThroughItsStates)
{
    const auto context = [](const Rig &rig) {
        const LineContext c = LineContextOf(rig.machine);
        const int registers = c.request ? c.request->registerCount : 0;
        return std::make_tuple(c.exchange, c.step, c.dispatched, c.calibration, registers);
    };
    constexpr int Unknown = LineContext::UnknownStep;
    Rig rig;
    EXPECT_EQ(context(rig), std::make_tuple(S::CheckOperatingVersion, 0, true, false, 0));
    rig.Ticks(7);
    // Waiting for the hand-over the monitor cycle still uses the port; what it takes is not filed.
    rig.Prepare(S::PrepareIdentifyRead);
    EXPECT_EQ(context(rig), std::make_tuple(S::Monitor, 1, false, false, 32));
    rig.Ticks(1);
    rig.machine.IdentifyExchangeStep();
    EXPECT_EQ(context(rig), std::make_tuple(S::IdentifyRead, 1, true, false, 1));
    // The calibration exchanges run like the others, on the calibration window's ticks; in
    // between nothing is filed.
    rig.Prepare(S::CalibrationWindowOpen);
    EXPECT_EQ(context(rig), std::make_tuple(S::CalibrationWindowOpen, Unknown, false, false, 0));
    rig.Prepare(S::CalibrationRead);
    rig.machine.CalibrationExchangeStep();
    EXPECT_EQ(context(rig), std::make_tuple(S::CalibrationRead, 1, true, true, 15));
}

} // namespace
} // namespace pv::test
