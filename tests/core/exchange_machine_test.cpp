// The exchange machine against a scripted port that answers like an inverter, running the real
// step tables with a builder that records each step, and a listener that records every outcome
// and timer wish in order (in the main window's text numbers): frames on the wire, states,
// status, messages and timers; and what it tells the line recorder at each stage.

#include "calibration/calibration_frames.h"
#include "link/exchange_machine.h"
#include "link/line_recorder.h"
#include "settings/configuration.h"
#include "settings/identifiers.h"
#include "support/fake_serial_port.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
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
    frame.back() ^= broken ? 1 : 0;
    return frame;
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

// The front end around the machine: records every outcome and timer wish, in order.
struct Rig : ExchangeEvents, ExchangeTimers
{
    test::FakeSerialPort port;
    ValueStore store;
    ExchangeMachine machine{port, store, *this, *this};
    std::string version; // registers 0xC0BC..0xC0BF, image 0x178..0x17F
    Calls calls;
    WriteGroups ticked{};
    std::array<bool, 4> timerOn{};
    std::function<void()> duringMessage; // what the event loop runs while the box is open
    int unbuildable = -1;                // the step whose request cannot be built
    std::vector<std::uint32_t> filed;    // reply addresses of the replies filed

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
        filed.clear();
    }
    void Ticks(int n)
    {
        while (n-- > 0)
            machine.MonitorExchangeStep();
    }
    // The builder of every step: the register tells the step, so the wire shows which steps
    // ran. The calibration read asks for too few registers when told to, so that its reply
    // cannot fill the window's row.
    bool shortCalibrationRead = false;
    void Build(int step, Channel &channel)
    {
        Add("Build " + std::to_string(step));
        if (step == unbuildable)
            return;
        if (machine.State() == S::CalibrationRead)
            BuildReadRequest(channel, reg::CalibrationFirst,
                             shortCalibrationRead ? 2 : reg::CalibrationReadCount);
        else if (machine.State() == S::CalibrationWrite)
            BuildWriteRequest(channel, OwnWriteFunction, reg::CalibrationSettings, Bytes(14));
        else
            BuildReadRequest(channel, static_cast<std::uint16_t>(0xC080 + step), 1);
    }
    template <class Plan>
    ExchangeRun Run(std::span<const StepRow<Plan>> table, ExchangeStart start)
    {
        return ExchangeRun(
            ExchangeRun::FactsOf(table), [this](int step, Channel &c) { Build(step, c); }, start,
            [this](int group) { return ticked.at(static_cast<std::size_t>(group)); });
    }
    // Asks for an exchange as its panel does.
    void Prepare(S intent)
    {
        switch (intent) {
        case S::PrepareIdentifyRead:
            return machine.Prepare(intent, Run(IdentifyTable(), IdentifyReadStart));
        case S::PrepareIdentifyWrite:
            return machine.Prepare(intent, Run(IdentifyTable(), IdentifyWriteStart));
        case S::PrepareConfigurationRead:
            return machine.Prepare(intent, Run(ConfigurationTable(), ConfigurationReadStart));
        case S::PrepareConfigurationWrite:
            return machine.Prepare(intent, Run(ConfigurationTable(), ConfigurationWriteStart));
        case S::CalibrationRead:
            return machine.BeginCalibration(intent, Run(CalibrationTable(), CalibrationReadStart));
        case S::CalibrationWrite:
            return machine.BeginCalibration(intent, Run(CalibrationTable(), CalibrationWriteStart));
        default:
            return machine.OpenCalibrationOnNextTick();
        }
    }
    // Hands an exchange over from the monitor cycle, then ticks its timer while it is on; the
    // hook runs before each tick. A message box runs the event loop, so the exchange's own timer
    // ticks while it is open, before the tick that showed it hands back to monitoring: those
    // ticks must send, take and show nothing.
    void Exchange(S intent, const std::function<void(int)> &hook)
    {
        Prepare(intent);
        Ticks(1);
        port.ClearRecord();
        calls.clear();
        const int timer = intent < S::PrepareConfigurationRead ? 2 : 3; // identify ones first
        const auto tick = [this, timer] {
            timer == 2 ? machine.IdentifyExchangeStep() : machine.ConfigurationExchangeStep();
        };
        duringMessage = [&] {
            const std::size_t portCalls = port.log.size(), hostCalls = calls.size();
            tick();
            tick();
            EXPECT_EQ(port.log.size(), portCalls) << "a tick while the message is open";
            EXPECT_EQ(calls.size(), hostCalls) << "a tick while the message is open";
        };
        for (int n = 1; n <= 20 && timerOn[timer]; ++n) {
            hook(n);
            tick();
        }
        EXPECT_FALSE(timerOn[timer]) << "exchange never ended";
        duringMessage = nullptr;
    }

    void Add(std::string call) { calls.push_back(std::move(call)); }
    void IntentsAllowed(bool on) override { Add(on ? "Controls on" : "Controls off"); }
    void SetTimerEnabled(ExchangeTimer t, bool on) override
    {
        Add("Timer" + std::to_string(static_cast<int>(t)) + (on ? " on" : " off"));
        timerOn[static_cast<int>(t)] = on;
    }
    void SetTimerInterval(ExchangeTimer t, int ms) override
    {
        Add("Timer" + std::to_string(static_cast<int>(t)) + " " + std::to_string(ms));
    }
    void LinkStatusShown(LinkStatus status) override
    {
        static const std::map<LinkStatus, std::string> shown{
            {LinkStatus::NoLink, "Bad 121"},
            {LinkStatus::PortOpened, "Good 126"},
            {LinkStatus::Good, "Good 123"},
            {LinkStatus::NoReply, "Bad 122"},
            {LinkStatus::VersionUnreadable, "Bad 276"},
            {LinkStatus::VersionRefused, "Bad 151"}};
        Add(shown.at(status));
    }
    // The state goes with the message: it must already be set when the box appears.
    void Message(int text)
    {
        Add("Message " + std::to_string(text) + " in '"
            + std::string(ExchangeStateText(machine.State())) + "'");
        if (duringMessage)
            duringMessage();
    }
    void ReadFailed(ExchangeState) override { Message(127); }
    void WriteFailed(ExchangeState) override { Message(128); }
    void WriteDone(ExchangeState) override { Message(129); }
    void PortFailed() override { Message(130); }
    void RequestRefused(ExchangeState) override { Message(132); }
    void FirmwareRefused() override { Message(151); }
    void ReadDone(ExchangeState exchange) override
    {
        Add(exchange == S::IdentifyRead        ? "ShowIdentifierValues"
            : exchange == S::ConfigurationRead ? "ShowConfiguration"
                                               : "ShowCalibrationValues");
    }
    void CalibrationDue() override { Add("OpenCalibrationWindow"); }
    void ReplyFiled(const RequestInfo &request) override { filed.push_back(request.replyAddress); }
};

TEST(ClassifyOperatingVersion, RefusesFrom000811To00099B)
{
    constexpr auto R = VersionVerdict::Refused, A = VersionVerdict::Accepted;
    // A letter in positions 3..6 counts as 0; fewer than 8 characters give no verdict.
    const std::pair<const char *, std::optional<VersionVerdict>> cases[]
        = {{"V1000811", R}, {"V1000810", A}, {"V10009A0", A},          {"V100099B", R},
           {"V100099C", A}, {"V1A00811", R}, {"V100081", std::nullopt}};
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
        EXPECT_EQ(rig.calls, Calls{}) << "the version arrived with 0xC0B0 but is not rated yet";
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

TEST(MonitorCycle, FailingPortNeverStopsTheCycle)
{
    Rig rig(6);
    rig.port.outputFailuresLeft = rig.port.inputFailuresLeft = 1000;
    rig.Ticks(6);
    EXPECT_EQ(rig.port.log.size(), 9u) << "every operation is still tried";
    EXPECT_EQ(rig.calls, (Calls{"Bad 122", "Bad 122", "Bad 122", "Controls off", "Timer1 on",
                                "Timer2 off", "Timer3 off"}))
        << "silence, a whole cycle of it: the version is rated again";
    rig.port.outputFailuresLeft = rig.port.inputFailuresLeft = 0;
    rig.port.ClearRecord();
    rig.Ticks(6);
    EXPECT_EQ(rig.port.written, (Calls{C020, C0B0, C080}));
}

// The lamp after the reply of 0xC020, and the blocks the window learns were filed: accepted
// replies outside the calibration states only (between exchanges a reply is not even examined:
// see the hand-over test). A whole reply with a bad CRC is line noise.
TEST(MonitorCycle, RepliesSetTheLampAndOnlyAcceptedOnesAreFiled)
{
    constexpr std::uint32_t Readings = reg::ImageFirst + reg::ImageIndex(reg::ReadingsBlock);
    // Prepared state, reply (empty: the simulated answer), filed, calls.
    const std::tuple<S, Bytes, std::vector<std::uint32_t>, Calls> cases[] = {
        {S::Monitor, {}, {Readings}, {"Good 123"}},
        {S::CheckOperatingVersion, {}, {Readings}, {}}, // rated after the last block only
        {S::Monitor, WithCrc(Bytes(67, 0x22), true), {}, {"Good 123"}},
        {S::Monitor, Bytes{0x00}, {}, {"Bad 122"}},
        {S::CalibrationRead, {}, {}, {"ShowCalibrationValues"}},
    };
    for (const auto &[state, reply, filed, calls] : cases) {
        SCOPED_TRACE(testing::Message() << ExchangeStateText(state) << ", " << reply.size());
        Rig rig(state == S::CheckOperatingVersion ? 0 : 6);
        rig.Ticks(1); // 0xC020 sent
        rig.calls.clear();
        rig.filed.clear();
        if (state != S::Monitor && state != S::CheckOperatingVersion)
            rig.Prepare(state);
        if (!reply.empty())
            rig.port.QueueReply(reply);
        if (state == S::CalibrationRead)
            rig.machine.HandleReply(rig.port.Input(), rig.machine.MonitorChannel().sent);
        else
            rig.Ticks(1);
        EXPECT_EQ(rig.filed, filed);
        EXPECT_EQ(rig.calls, calls);
        EXPECT_TRUE(state != S::Monitor || rig.machine.MonitorStep() == 4)
            << "no retry outside the check";
    }
}

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
           {CW, {1, 0, 0, 1}, None, 0, WriteSteps(3, {4, 12}, 129), 4},
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

// The link lost while monitoring (a whole cycle without an accepted reply, or the device gone
// and back) rates the version again as after a port choice: the cycle from its first block, the
// controls locked, message 151 for a refused firmware. Two silent replies are not yet a loss.
TEST(MonitorCycle, ALostLinkRatesTheVersionAgain)
{
    enum Loss { SilentCycle, TwoSilentReplies, DeviceLost };
    const std::tuple<Loss, S> cases[] = {{SilentCycle, S::CheckOperatingVersion},
                                         {TwoSilentReplies, S::Monitor},
                                         {DeviceLost, S::CheckOperatingVersion}};
    for (const auto &[loss, state] : cases) {
        SCOPED_TRACE(loss);
        Rig rig(6);
        rig.Ticks(1); // 0xC020 sent
        if (loss == DeviceLost) {
            ++rig.port.devicesLost;
            rig.Ticks(1);
        } else {
            for (int n = 0; n < (loss == SilentCycle ? 3 : 2); ++n) {
                rig.port.QueueReply({});
                rig.Ticks(2);
            }
        }
        EXPECT_EQ(rig.machine.State(), state);
        if (state == S::Monitor)
            continue;
        EXPECT_EQ(rig.calls.back(), "Timer3 off");
        EXPECT_NE(std::find(rig.calls.begin(), rig.calls.end(), "Controls off"), rig.calls.end());
        EXPECT_EQ(rig.machine.MonitorStep(), 1) << "0xC020 sent again";
        // Another unit answers now, with a firmware the tool refuses.
        rig.version = "V100099B";
        rig.calls.clear();
        rig.port.ClearRecord();
        rig.Ticks(5);
        EXPECT_EQ(rig.calls,
                  (Calls{"Bad 151", "Timer1 off", "Message 151 in 'CheckOperatingVersion'"}));
    }
}

// A version register without text leaves the window locked in the check, and says so.
TEST(MonitorCycle, AnUnreadableVersionIsSaidWhileTheCheckGoesOn)
{
    Rig rig(0, "");
    rig.Ticks(6);
    EXPECT_EQ(rig.calls, Calls{"Bad 276"});
    EXPECT_EQ(rig.machine.State(), S::CheckOperatingVersion);
    rig.version = "V1000700";
    rig.Ticks(6);
    EXPECT_EQ(rig.calls, (Calls{"Bad 276", "Good 123"} + BackToMonitor));
}

// The calibration window's ticks, through the machine running the calibration table. A reply
// passes on its CRC and on answering what was asked (a late reply of another block is no
// calibration read, a late read reply no write acknowledgement; a broken CRC fails the same way);
// a read whose reply cannot fill the window's row fails like a broken one; a request that cannot
// be built is refused with 132 and nothing is sent; a send that failed leaves its reply step
// nothing to take. Every exchange ends at its reply, and later ticks do nothing.
TEST(CalibrationSteps, SendAfterDiscardingTakeOnceAndEndWithTheCalibrationWindowOpen)
{
    enum Fault { None, RowUnfilled, Unbuildable, SendFails, LateReply };
    const Calls readFailed{"Build 0", "Message 127 in ''"};
    constexpr auto Read = S::CalibrationRead, Write = S::CalibrationWrite;
    // State begun, fault, ticks, calls, requests sent, port takes.
    const std::tuple<S, Fault, int, Calls, int, int> cases[]
        = {{Read, None, 4, {"Build 0", "ShowCalibrationValues"}, 1, 2},
           {Read, RowUnfilled, 2, readFailed, 1, 2},
           {Read, SendFails, 2, readFailed, 0, 1},
           {Read, LateReply, 2, readFailed, 1, 2},
           {Write, None, 2, {"Build 2", "Message 129 in ''"}, 1, 2},
           {Write, Unbuildable, 3, {"Build 2", "Message 132 in ''"}, 0, 0},
           {Write, LateReply, 2, {"Build 2", "Message 128 in ''"}, 1, 2}};
    for (const auto &[state, fault, ticks, calls, sent, takes] : cases) {
        SCOPED_TRACE(testing::Message() << ExchangeStateText(state) << ", fault " << fault);
        Rig rig(6);
        rig.Prepare(state);
        rig.unbuildable = fault == Unbuildable ? 2 : -1;
        rig.shortCalibrationRead = fault == RowUnfilled;
        // The read of what was asked, the acknowledgement of the settings write; a late reply
        // is the readings block's for the read and the calibration read's for the write.
        rig.port.responder = [fault = fault](ByteView request) {
            const bool write = request[1] == OwnWriteFunction, late = fault == LateReply;
            const auto bytes = static_cast<std::uint8_t>(2 * request[5]);
            const Bytes ack{0xFF, 0x64, 0xCF, 0x03, 0x00, 0x07};
            const Bytes calibration = Bytes{0xFF, 0x03, 0x1E} + Bytes(30);
            const Bytes asked = Bytes{0xFF, 0x03, bytes} + Bytes(bytes);
            const Bytes readings = Bytes{0xFF, 0x03, 0x40} + Bytes(64);
            const Bytes &reply = write ? (late ? calibration : ack) : (late ? readings : asked);
            return WithCrc(reply);
        };
        rig.port.outputFailuresLeft = fault == SendFails ? 1 : 0;
        for (int n = 0; n < ticks; ++n)
            rig.machine.CalibrationExchangeStep();
        EXPECT_EQ(rig.calls, calls);
        EXPECT_EQ(std::pair(static_cast<int>(rig.port.written.size()), rig.port.inputCalls),
                  std::pair(sent, takes));
        EXPECT_EQ(rig.machine.State(), S::CalibrationWindowOpen);
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
} // namespace pv
