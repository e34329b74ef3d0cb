// The exchange machine against a scripted port that answers like an inverter and a host that
// records every call in order: frames on the wire, states, lamp, messages and timers.

#include "link/exchange_machine.h"
#include "support/fake_serial_port.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <tuple>

namespace pv {
namespace {

using Calls = std::vector<std::string>;
using S = ExchangeState;

const std::string C020 = "FF 03 C0 20 00 20 6C 06";
const std::string C0B0 = "FF 03 C0 B0 00 13 2C 3E";
const std::string C080 = "FF 03 C0 80 00 16 EC 32";
const Calls BackToMonitor{"Controls on", "Timer1 on", "Timer2 off", "Timer3 off"};

template <class T>
std::vector<T> operator+(std::vector<T> a, const std::vector<T> &b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Bytes WithCrc(Bytes frame, bool broken = false)
{
    AppendCrc(frame);
    frame.back() = static_cast<std::uint8_t>(frame.back() ^ (broken ? 1 : 0));
    return frame;
}

std::string Name(MainTimer t)
{
    return "Timer" + std::to_string(static_cast<int>(t));
}

// Each write step: 2000 ms for its answer, its request, then 500 ms to the next step.
Calls WriteSteps(int timer, const std::vector<int> &steps, int message)
{
    Calls calls;
    const std::string t = "Timer" + std::to_string(timer);
    for (int step : steps)
        calls = calls + Calls{t + " 2000", "Build " + std::to_string(step), t + " 500"};
    return calls + Calls{"Message " + std::to_string(message) + " in 'Monitor'"} + BackToMonitor;
}

// The window around the machine: records every call the machine makes on it, in order.
struct Rig : ExchangeHost
{
    test::FakeSerialPort port;
    ValueStore store;
    ExchangeMachine machine{port, store, *this};
    std::string version; // registers 0xC0BC..0xC0BF, image 0x178..0x17F
    Calls calls;
    std::array<bool, 4> ticked{}, timerOn{};

    // Selects COM1 and runs the given monitor ticks (6 reach Monitor); records start after.
    explicit Rig(int ticks = 0, const char *versionText = "V1000700") : version(versionText)
    {
        // A read gets its registers, all zero but for the version.
        port.responder = [this](ByteView rq) -> std::optional<Bytes> {
            Bytes reply{SlaveAddress, ReadFunction, static_cast<std::uint8_t>(2 * rq[5])};
            const auto start = 2 * static_cast<std::size_t>((rq[2] << 8 | rq[3]) - reg::ImageFirst);
            for (std::size_t i = start; i < start + 2 * rq[5]; ++i)
                reply.push_back(i - 0x178 < version.size() ? version[i - 0x178] : 0);
            return WithCrc(reply);
        };
        machine.SelectPort(0);
        Ticks(ticks);
        port.ClearRecord();
        calls.clear();
    }
    void Ticks(int n)
    {
        while (n-- > 0)
            machine.MonitorExchangeStep();
    }
    // Asks for an exchange as its panel does.
    void Prepare(ExchangeState prepare)
    {
        switch (prepare) {
        case S::PrepareIdentifyRead:
            return machine.PrepareIdentifyRead();
        case S::PrepareIdentifyWrite:
            return machine.PrepareIdentifyWrite();
        case S::PrepareConfigurationRead:
            return machine.PrepareConfigurationRead();
        case S::PrepareConfigurationWrite:
            return machine.PrepareConfigurationWrite();
        case S::Idle:
            return machine.OpenCalibrationOnNextTick();
        case S::CalibrationRead:
            return machine.BeginCalibrationRead();
        case S::CalibrationWrite:
            return machine.BeginCalibrationWrite();
        default:
            FAIL() << "no intent leads to " << ExchangeStateText(prepare);
        }
    }
    // Hands an exchange over from the monitor cycle, then ticks its timer while it is on; the
    // hook runs before each tick.
    void Exchange(ExchangeState prepare, const std::function<void(int)> &hook)
    {
        Prepare(prepare);
        Ticks(1);
        port.ClearRecord();
        calls.clear();
        const bool identify = prepare < S::PrepareConfigurationRead; // the identify ones come first
        const int timer = identify ? 2 : 3;
        for (int tick = 1; tick <= 20 && timerOn[timer]; ++tick) {
            hook(tick);
            identify ? machine.IdentifyExchangeStep() : machine.ConfigurationExchangeStep();
        }
        EXPECT_FALSE(timerOn[timer]) << "exchange never ended";
    }

    void SetInputControlsEnabled(bool on) override { Add(on ? "Controls on" : "Controls off"); }
    void SetTimerEnabled(MainTimer t, bool on) override
    {
        Add(Name(t) + (on ? " on" : " off"));
        timerOn[static_cast<int>(t)] = on;
    }
    void SetTimerInterval(MainTimer t, int ms) override { Add(Name(t) + " " + std::to_string(ms)); }
    void PaintLinkStatus(Lamp lamp, int text) override
    {
        Add((lamp == Lamp::Good ? "Good " : "Bad ") + std::to_string(text));
    }
    // The state goes with the message: it must already be set when the box appears.
    void ShowMessage(int text) override
    {
        Add("Message " + std::to_string(text) + " in '"
            + std::string(ExchangeStateText(machine.State())) + "'");
        if (duringMessage)
            duringMessage();
    }
    std::function<void()> duringMessage; // what the event loop runs while the box is open
    void ShowIdentifierValues() override { Add("ShowIdentifierValues"); }
    void ShowConfiguration() override { Add("ShowConfiguration"); }
    bool ShowCalibrationValues() override
    {
        Add("ShowCalibrationValues");
        return calibrationRowFilled;
    }
    bool calibrationRowFilled = true; // false: the reply is too short for the window's row
    void OpenCalibrationWindow() override { Add("OpenCalibrationWindow"); }
    bool WriteGroupTicked(int i) const override { return ticked.at(static_cast<std::size_t>(i)); }
    void BuildIdentifyRequest(int step, Channel &channel) override { Build(step, channel); }
    void BuildConfigurationRequest(int step, Channel &channel) override { Build(step, channel); }
    // The register tells the step, so the wire shows which steps ran.
    void Build(int step, Channel &channel)
    {
        Add("Build " + std::to_string(step));
        if (step != unbuildable)
            BuildReadRequest(channel, static_cast<std::uint16_t>(0xC080 + step), 1);
    }
    int unbuildable = -1; // the step whose request cannot be built
    void Add(std::string call) { calls.push_back(std::move(call)); }
};

TEST(ClassifyOperatingVersion, RefusesFrom000811To00099B)
{
    constexpr auto R = VersionVerdict::Refused, A = VersionVerdict::Accepted;
    // A letter in positions 3..6 counts as 0; fewer than 8 characters give no verdict.
    const std::pair<const char *, std::optional<VersionVerdict>> cases[]
        = {{"V1000811", R}, {"V1000810", A}, {"V10009A0", A}, {"V100099B", R},
           {"V100099C", A}, {"V1000700", A}, {"V1A00811", R}, {"V100081", std::nullopt}};
    for (const auto &[version, verdict] : cases)
        EXPECT_EQ(ClassifyOperatingVersion(version), verdict) << version;
}

TEST(MonitorCycle, ReadsC020C0B0C080DiscardingBeforeEachSendAndRatesOnlyTheLastReply)
{
    // A refused version turns the lamp bad and stops Timer1 with message 151, once.
    const Calls refused{"Bad 151", "Timer1 off", "Message 151 in 'CheckOperatingVersion'"};
    const std::tuple<const char *, Calls, S> cases[]
        = {{"V1000700", Calls{"Good 123"} + BackToMonitor, S::Monitor},
           {"V100099B", refused, S::CheckOperatingVersion}};
    for (const auto &[version, rated, state] : cases) {
        Rig rig(0, version);
        rig.Ticks(4);
        EXPECT_EQ(rig.store.Data().OperatingVersion(), version) << "arrived with 0xC0B0";
        EXPECT_EQ(rig.calls, Calls{}) << "but not rated yet";
        rig.Ticks(2);
        EXPECT_EQ(rig.port.log, (Calls{"Input 0 bytes", "Output " + C020, "Input 69 bytes",
                                       "Input 0 bytes", "Output " + C0B0, "Input 43 bytes",
                                       "Input 0 bytes", "Output " + C080, "Input 49 bytes"}));
        EXPECT_EQ(rig.calls, rated);
        EXPECT_EQ(rig.machine.State(), state);
    }
}

TEST(MonitorCycle, FailedBlockDuringCheckIsRequestedAgain)
{
    // tick whose take finds nothing, frames sent in 8 ticks
    const std::pair<int, Calls> cases[] = {{2, {C020, C020, C0B0, C080}},
                                           {4, {C020, C0B0, C0B0, C080}},
                                           {6, {C020, C0B0, C080, C080}}};
    for (const auto &[failingTick, wire] : cases) {
        Rig rig;
        rig.Ticks(failingTick - 1);
        rig.port.QueueReply({});
        rig.Ticks(9 - failingTick);
        EXPECT_EQ(rig.port.written, wire) << "missing reply at tick " << failingTick;
        EXPECT_EQ(std::count(rig.calls.begin(), rig.calls.end(), "Bad 122"), 1);
        EXPECT_EQ(rig.machine.State(), S::Monitor) << "rated once all three arrived";
    }
}

TEST(MonitorCycle, AWholeReplyWithAWrongCrcIsNoiseAndKeepsTheLampGood)
{
    Rig rig(7);
    rig.port.QueueReply(WithCrc(Bytes(67, 0x22), true));
    rig.Ticks(1);
    EXPECT_EQ(rig.calls, Calls{"Good 123"});
    EXPECT_EQ(rig.machine.MonitorStep(), 4) << "no retry outside the check";
}

TEST(MonitorCycle, FailingPortNeverStopsTheCycle)
{
    Rig rig(6);
    rig.port.outputFailuresLeft = rig.port.inputFailuresLeft = 1000;
    rig.Ticks(6);
    EXPECT_EQ(rig.port.log.size(), 9u) << "every operation is still tried";
    EXPECT_EQ(rig.calls, (Calls{"Bad 122", "Bad 122", "Bad 122"})) << "silence";
    rig.port.outputFailuresLeft = rig.port.inputFailuresLeft = 0;
    rig.port.ClearRecord();
    rig.Ticks(6);
    EXPECT_EQ(rig.port.written, (Calls{C020, C0B0, C080}));
}

// Each mode of SetControlsAndTimers shows in full here (2, 3), at the port selection (4, 5) and
// wherever an exchange hands back to monitoring (1).
TEST(Exchanges, EachRequestSetsTheIntervalAndFirstStepOfItsExchange)
{
    // Intent, Check1(0..3), calls, first identify or configuration step.
    const std::tuple<S, WriteGroups, Calls, int> cases[]
        = {{S::PrepareIdentifyRead, {}, {"Timer2 500"}, 0},
           {S::PrepareIdentifyWrite, {}, {"Timer2 2000"}, 6},
           {S::PrepareConfigurationRead, {}, {"Timer3 500"}, 0},
           {S::PrepareConfigurationWrite, {1, 1, 1, 1}, {"Timer3 2000"}, 4},
           {S::PrepareConfigurationWrite, {0, 1, 0, 1}, {"Timer3 2000"}, 6},
           {S::PrepareConfigurationWrite, {0, 0, 1, 1}, {"Timer3 2000"}, 8},
           {S::PrepareConfigurationWrite, {0, 0, 0, 1}, {"Timer3 2000"}, 12}};
    for (const auto &[prepare, ticked, calls, first] : cases) {
        Rig rig(6);
        rig.ticked = ticked;
        rig.Prepare(prepare);
        EXPECT_EQ(rig.machine.State(), prepare);
        EXPECT_EQ(rig.calls, calls);
        const bool identify = prepare < S::PrepareConfigurationRead;
        EXPECT_EQ(identify ? rig.machine.IdentifyStep() : rig.machine.ConfigurationStep(), first);
    }
}

TEST(MonitorCycle, PreparedExchangeIsHandedOverAfterTheTicksOwnStep)
{
    const Calls identify{"Controls off", "Timer1 off", "Timer2 on", "Timer3 off"};
    const Calls configuration{"Controls off", "Timer1 off", "Timer2 off", "Timer3 on"};
    const std::tuple<S, S, Calls> cases[]
        = {{S::PrepareIdentifyRead, S::IdentifyRead, identify},
           {S::PrepareIdentifyWrite, S::IdentifyWrite, identify},
           {S::PrepareConfigurationRead, S::ConfigurationRead, configuration},
           {S::PrepareConfigurationWrite, S::ConfigurationWrite, configuration},
           {S::Idle, S::Idle, {"Timer1 off", "OpenCalibrationWindow"}}};
    for (const auto &[prepare, running, calls] : cases) {
        Rig rig(7); // 0xC020 sent
        rig.Prepare(prepare);
        rig.calls.clear();
        rig.port.QueueReply({}); // taken by the tick but, between exchanges, not even examined
        rig.Ticks(1);
        EXPECT_EQ(rig.machine.State(), running);
        EXPECT_EQ(rig.store.ReplyUnreadable(), 0);
        EXPECT_EQ(rig.calls, calls);
        EXPECT_EQ(rig.machine.MonitorStep(), prepare == S::Idle ? 4 : 0) << "cycle restarts";
    }
}

TEST(SelectPort, OpensSkipsTheSamePortWhileMonitoringReopensDuringTheCheckAndFails)
{
    Rig rig;
    rig.Ticks(3);
    rig.machine.SelectPort(4);
    EXPECT_EQ(std::tuple(rig.port.CommPort(), rig.port.settings), std::tuple(5, "9600,n,8,1"));
    EXPECT_EQ(rig.calls, (Calls{"Timer1 off", "Good 126", "Controls off", "Timer1 on", "Timer2 off",
                                "Timer3 off"}));
    EXPECT_EQ(rig.machine.MonitorStep(), 0);
    rig.Ticks(6);
    rig.port.ClearRecord();
    rig.machine.SelectPort(4);
    EXPECT_EQ(rig.port.openCalls + rig.port.closeCalls, 0) << "monitoring goes on";
    rig.machine.AwaitVersionCheck();
    rig.machine.SelectPort(4);
    EXPECT_EQ(rig.port.closeCalls + rig.port.openCalls, 2) << "the check starts again";
    rig.calls.clear();
    rig.port.openFails = true;
    rig.machine.SelectPort(6);
    EXPECT_FALSE(rig.port.IsOpen()) << "the previous port stays closed";
    EXPECT_EQ(rig.calls, (Calls{"Timer1 off", "Bad 121", "Controls on", "Timer1 off", "Timer2 off",
                                "Timer3 off", "Message 130 in 'CheckOperatingVersion'"}));
}

TEST(Exchanges, StepsMessagesAndTakesOfEachExchangeWithAndWithoutAPortFailure)
{
    constexpr auto IR = S::PrepareIdentifyRead, IW = S::PrepareIdentifyWrite;
    constexpr auto CR = S::PrepareConfigurationRead, CW = S::PrepareConfigurationWrite;
    constexpr bool Send = true, Take = false;
    const Calls identified = Calls{"Build 0", "Build 2", "Build 4", "ShowIdentifierValues"};
    const Calls configured = Calls{"Build 0", "Build 2", "ShowConfiguration"};
    const Calls readFailed{"Build 0", "Message 127 in 'Monitor'"};
    // Prepared state, Check1(0..3), tick whose send or take fails (0: none), calls,
    // successful takes: a read discards only before its first request, the identify write too,
    // the configuration write before each request.
    const std::tuple<S, WriteGroups, int, bool, Calls, int> cases[]
        = {{IR, {}, 0, Take, identified + BackToMonitor, 4},
           {CR, {}, 0, Take, configured + BackToMonitor, 3},
           {IR, {}, 1, Send, readFailed + BackToMonitor, 1},
           {CR, {}, 2, Take, readFailed + BackToMonitor, 1},
           {IW, {}, 0, Take, WriteSteps(2, {6, 8, 10, 12}, 129), 5},
           {IW, {}, 4, Take, WriteSteps(2, {6, 8}, 128), 2}, // step 9: 10, 12 never sent
           {CW, {0, 0, 1, 0}, 0, Take, WriteSteps(3, {8, 10}, 129), 4},
           {CW, {1, 1, 1, 1}, 0, Take, WriteSteps(3, {4, 6, 8, 10, 12}, 129), 10},
           {CW, {1, 0, 0, 1}, 0, Take, WriteSteps(3, {4, 12}, 129), 4},
           {CW, {1, 1, 1, 1}, 3, Send, WriteSteps(3, {4, 6}, 128), 3},
           {CW, {1, 1, 1, 1}, 6, Take, WriteSteps(3, {4, 6, 8}, 128), 5}};
    for (const auto &[prepare, ticked, failing, sendFails, calls, takes] : cases) {
        SCOPED_TRACE(testing::Message()
                     << ExchangeStateText(prepare) << ", failing tick " << failing);
        Rig rig(6);
        rig.ticked = ticked;
        const Channel &channel = prepare == IR || prepare == IW
                                     ? rig.machine.IdentifyChannel()
                                     : rig.machine.ConfigurationChannel();
        rig.Exchange(prepare, [&](int tick) {
            if (tick == failing)
                (sendFails ? rig.port.outputFailuresLeft : rig.port.inputFailuresLeft) = 1;
            // Bytes that would fit a request that never left must not be taken as its reply.
            if (sendFails && tick == failing + 1)
                rig.port.QueueReply(*rig.port.responder(channel.request));
        });
        EXPECT_EQ(rig.calls, calls);
        EXPECT_EQ(rig.port.inputCalls, takes);
        EXPECT_EQ(rig.machine.MonitorStep(), 0);
    }
}

TEST(Exchanges, ARequestThatCannotBeBuiltIsNotSentAndEndsTheExchange)
{
    Rig rig(6);
    rig.unbuildable = 8;
    rig.Exchange(S::PrepareIdentifyWrite, [](int) {});
    EXPECT_EQ(rig.calls, WriteSteps(2, {6, 8}, 128));
    EXPECT_EQ(rig.port.written, Calls{"FF 03 C0 86 00 01 4C 3D"}) << "step 6 only";
}

TEST(CalibrationReplies, EndInTheEmptyState)
{
    // A reply passes on its CRC and on being the answer to what was asked: a late read reply
    // taken while a write waits is no acknowledgement, and another block's read reply is no
    // calibration read. A read whose reply the window cannot lay out fails like a broken one.
    constexpr bool Fits = true, TooShort = false;
    const RequestInfo read{0xC000, ReadFunction, 15}, write{0xC006, OwnWriteFunction, 7};
    const Bytes readReply = Bytes{0xFF, 0x03, 0x1E} + Bytes(30, 0x80);
    const Bytes liveReply = Bytes{0xFF, 0x03, 0x40} + Bytes(64, 0x80);
    const Bytes writeReply{0xFF, 0x64, 0xCF, 0x03, 0x00, 0x07};
    const std::tuple<const char *, S, RequestInfo, Bytes, bool, bool, Calls> cases[] = {
        {"read", S::CalibrationRead, read, readReply, false, Fits, {"ShowCalibrationValues"}},
        {"read too short for the row",
         S::CalibrationRead,
         read,
         readReply,
         false,
         TooShort,
         {"ShowCalibrationValues", "Message 127 in ''"}},
        {"broken read", S::CalibrationRead, read, readReply, true, Fits, {"Message 127 in ''"}},
        {"live block in a read",
         S::CalibrationRead,
         read,
         liveReply,
         false,
         Fits,
         {"Message 127 in ''"}},
        {"write", S::CalibrationWrite, write, writeReply, false, Fits, {"Message 129 in ''"}},
        {"broken write", S::CalibrationWrite, write, writeReply, true, Fits, {"Message 128 in ''"}},
        {"late read reply in a write",
         S::CalibrationWrite,
         write,
         readReply,
         false,
         Fits,
         {"Message 128 in ''"}}};
    for (const auto &[name, state, request, reply, broken, fits, calls] : cases) {
        SCOPED_TRACE(name);
        Rig rig;
        rig.calibrationRowFilled = fits;
        rig.Prepare(state);
        rig.machine.HandleReply(WithCrc(reply, broken), request);
        EXPECT_EQ(rig.machine.State(), S::Idle);
        EXPECT_EQ(rig.calls, calls);
    }
}

// The calibration window's ticks on its own channel, through the machine's step runner: a read
// sent and judged once, a build refused with 132 and nothing sent, a send that failed and whose
// reply step therefore takes nothing.
TEST(CalibrationSteps, SendAfterDiscardingTakeOnceAndRefuseWhatCannotBeBuilt)
{
    const std::string read = "Output FF 03 CF 00 00 0F 2F 04";
    const Bytes readReply = WithCrc(Bytes{0xFF, 0x03, 0x1E} + Bytes(30, 0x80));
    enum Fault { None, Unbuildable, SendFails };
    // State begun, fault, steps ticked, port log, calls.
    const std::tuple<S, Fault, std::vector<int>, Calls, Calls> cases[]
        = {{S::CalibrationRead,
            None,
            {0, 1, 1, 7},
            {"Input 0 bytes", read, "Input 35 bytes"},
            {"Build 0", "ShowCalibrationValues"}},
           {S::CalibrationWrite, Unbuildable, {2, 3}, {}, {"Build 2", "Message 132 in ''"}},
           {S::CalibrationRead,
            SendFails,
            {0, 1},
            {"Input 0 bytes", "Output failed"},
            {"Build 0", "Message 127 in ''"}}};
    for (const auto &[state, fault, steps, log, calls] : cases) {
        SCOPED_TRACE(testing::Message() << "fault " << fault);
        Rig rig(6);
        Channel channel;
        rig.Prepare(state);
        rig.port.responder = [&](ByteView) { return readReply; };
        rig.port.outputFailuresLeft = fault == SendFails ? 1 : 0;
        for (int step : steps) {
            rig.machine.CalibrationExchangeStep(step, channel, [&](int s, Channel &ch) {
                rig.Add("Build " + std::to_string(s));
                if (fault != Unbuildable)
                    BuildReadRequest(ch, 0xCF00, 15);
            });
        }
        EXPECT_EQ(rig.port.log, log);
        EXPECT_EQ(rig.calls, calls);
        EXPECT_EQ(rig.machine.State(), S::Idle);
    }
}

TEST(Exchanges, TicksWhileItsMessageBoxIsOpenDoNothing)
{
    // A message box runs the event loop, so the exchange's own timer still ticks before the
    // tick that showed the message hands back to monitoring.
    for (const S prepare : {S::PrepareIdentifyWrite, S::PrepareConfigurationWrite}) {
        Rig rig(6);
        rig.ticked = {true, true, true, true};
        std::size_t portCalls = 0, hostCalls = 0;
        rig.duringMessage = [&] {
            portCalls = rig.port.log.size();
            hostCalls = rig.calls.size();
            for (int tick = 0; tick < 2; ++tick) {
                prepare == S::PrepareIdentifyWrite ? rig.machine.IdentifyExchangeStep()
                                                   : rig.machine.ConfigurationExchangeStep();
            }
            EXPECT_EQ(rig.port.log.size(), portCalls) << "no take, no send";
            EXPECT_EQ(rig.calls.size(), hostCalls) << "no lamp, no hand-back yet";
        };
        rig.Exchange(prepare, [&rig](int tick) {
            if (tick == 2)
                rig.port.QueueReply({}); // the first write gets no answer
        });
        EXPECT_GT(hostCalls, 0u) << "the message was shown";
        EXPECT_EQ(rig.machine.State(), S::Monitor);
    }
}

} // namespace
} // namespace pv
