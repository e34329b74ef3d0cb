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

using test::FakeSerialPort;
using Calls = std::vector<std::string>;

const std::string C020 = "FF 03 C0 20 00 20 6C 06";
const std::string C0B0 = "FF 03 C0 B0 00 13 2C 3E";
const std::string C080 = "FF 03 C0 80 00 16 EC 32";
const Calls BackToMonitor{"Controls on", "Timer1 on", "Timer2 off", "Timer3 off"};

Bytes WithCrc(Bytes frame)
{
    AppendCrc(frame);
    return frame;
}

Bytes Broken(Bytes frame)
{
    frame.back() ^= 0x01;
    return frame;
}

class FakeHost : public ExchangeHost
{
public:
    const ExchangeMachine *machine = nullptr;
    Calls calls;
    std::array<bool, 4> ticked{}, timerOn{};
    bool throwOnPaint = false;

    int Count(const std::string &call) const
    {
        return static_cast<int>(std::count(calls.begin(), calls.end(), call));
    }
    void SetInputControlsEnabled(bool on) override
    {
        calls.push_back(on ? "Controls on" : "Controls off");
    }
    void SetTimerEnabled(MainTimer t, bool on) override
    {
        timerOn[static_cast<int>(t)] = on;
        calls.push_back("Timer" + std::to_string(static_cast<int>(t)) + (on ? " on" : " off"));
    }
    void SetTimerInterval(MainTimer t, int ms) override
    {
        calls.push_back("Timer" + std::to_string(static_cast<int>(t)) + " " + std::to_string(ms));
    }
    void PaintLinkStatus(Lamp lamp, int text) override
    {
        if (throwOnPaint)
            throw std::runtime_error("picture box gone");
        calls.push_back((lamp == Lamp::Good ? "Good " : "Bad ") + std::to_string(text));
    }
    // The state goes with the message: it must already be set when the box appears.
    void ShowMessage(int text) override
    {
        calls.push_back("Message " + std::to_string(text) + " in '"
                        + std::string(ExchangeStateText(machine->State())) + "'");
    }
    void ShowIdentifierValues() override { calls.emplace_back("ShowIdentifierValues"); }
    void ShowConfiguration() override { calls.emplace_back("ShowConfiguration"); }
    void ShowCalibrationValues() override { calls.emplace_back("ShowCalibrationValues"); }
    void OpenCalibrationWindow() override { calls.emplace_back("OpenCalibrationWindow"); }
    bool WriteGroupTicked(int i) const override { return ticked.at(static_cast<std::size_t>(i)); }
    // The register tells the step, so the wire shows which steps ran.
    void BuildIdentifyRequest(int step, Channel &channel) override
    {
        Build(step, step >= 6, channel);
    }
    void BuildConfigurationRequest(int step, Channel &channel) override
    {
        Build(step, step >= 4, channel);
    }

private:
    void Build(int step, bool write, Channel &channel)
    {
        calls.push_back("Build " + std::to_string(step));
        const auto reg = static_cast<std::uint16_t>(0xC080 + step);
        const std::uint8_t data[] = {0, static_cast<std::uint8_t>(step)};
        if (write)
            BuildWriteRequest(channel, WriteFunction, reg, data);
        else
            BuildReadRequest(channel, reg, 1);
    }
};

struct Rig
{
    FakeSerialPort port;
    ValueStore store;
    FakeHost host;
    ExchangeMachine machine{port, store, host};
    std::string version = "V1000700"; // registers 0xC0BC..0xC0BF, image 0x178..0x17F

    Rig()
    {
        host.machine = &machine;
        // A read gets its registers (zero but for the version), a write its echo.
        port.responder = [this](ByteView rq) -> std::optional<Bytes> {
            if (rq[1] != ReadFunction)
                return WithCrc(Bytes(rq.begin(), rq.begin() + 6));
            const int start = 2 * ((rq[2] << 8 | rq[3]) - ImageBase), count = 2 * rq[5];
            Bytes reply{SlaveAddress, ReadFunction, static_cast<std::uint8_t>(count)};
            for (int i = start; i < start + count; ++i) {
                const auto k = static_cast<std::size_t>(i - 0x178);
                reply.push_back(i >= 0x178 && k < std::min<std::size_t>(8, version.size())
                                    ? static_cast<std::uint8_t>(version[k])
                                    : 0);
            }
            return WithCrc(reply);
        };
    }
    void Ticks(int n)
    {
        while (n-- > 0)
            machine.MonitorExchangeStep();
    }
    Calls Wire() const
    {
        Calls frames;
        for (const Bytes &frame : port.written)
            frames.push_back(FakeSerialPort::Hex(frame));
        return frames;
    }
    void Forget()
    {
        port.ClearRecord();
        host.calls.clear();
    }
    void StartMonitoring()
    {
        machine.SelectPort(0);
        Ticks(6);
        EXPECT_EQ(machine.State(), ExchangeState::Monitor);
        Forget();
    }
    // Hands an exchange over from the monitor cycle; records start after the hand-over tick.
    void Prepare(ExchangeState prepare, int firstStep)
    {
        StartMonitoring();
        machine.SetIdentifyStep(firstStep);
        machine.SetConfigurationStep(firstStep);
        machine.SetState(prepare);
        Ticks(1);
        Forget();
    }
    // Ticks Timer2 or Timer3 while the host keeps it on; a hook runs before each tick.
    void Run(MainTimer timer, const std::function<void(int)> &beforeTick = {})
    {
        for (int tick = 1; tick <= 20 && host.timerOn[static_cast<int>(timer)]; ++tick) {
            if (beforeTick)
                beforeTick(tick);
            timer == MainTimer::Timer2 ? machine.IdentifyExchangeStep()
                                       : machine.ConfigurationExchangeStep();
        }
        EXPECT_FALSE(host.timerOn[static_cast<int>(timer)]) << "exchange never ended";
    }
};

TEST(ExchangeStateText, DesignTexts)
{
    const std::pair<ExchangeState, const char *> cases[]
        = {{ExchangeState::CheckOperatingVersion, "CheckOperatingVersion"},
           {ExchangeState::Monitor, "Monitor"},
           {ExchangeState::PrepareIdentifyRead, "Prepare Identify Read"},
           {ExchangeState::PrepareIdentifyWrite, "Prepare Identify Write"},
           {ExchangeState::PrepareConfigurationRead, "Prepare Configuration Read"},
           {ExchangeState::PrepareConfigurationWrite, "Prepare Configuration Write"},
           {ExchangeState::IdentifyRead, "Identify Read"},
           {ExchangeState::IdentifyWrite, "Identify Write"},
           {ExchangeState::ConfigurationRead, "Configuration Read"},
           {ExchangeState::ConfigurationWrite, "Configuration Write"},
           {ExchangeState::CalibrationRead, "Calibration Read"},
           {ExchangeState::CalibrationWrite, "Calibration Write"},
           {ExchangeState::Idle, ""}};
    for (const auto &[state, text] : cases)
        EXPECT_EQ(ExchangeStateText(state), text);
}

TEST(ClassifyOperatingVersion, RefusesFrom000811To00099B)
{
    constexpr auto R = VersionVerdict::Refused, A = VersionVerdict::Accepted;
    const std::pair<const char *, std::optional<VersionVerdict>> cases[]
        = {{"V1000811", R}, {"V1000810", A}, {"V10008A0", R},           {"V1000900", R},
           {"V10009A0", A}, {"V100099B", R}, {"V100099C", A},           {"V1000700", A},
           {"V1A00811", R}, // letters in positions 3..6 count as 0
           {"V100X911", R}, {"V10Z0810", A}, {"V100081", std::nullopt}, {"", std::nullopt}};
    for (const auto &[version, verdict] : cases)
        EXPECT_EQ(ClassifyOperatingVersion(version), verdict) << version;
}

TEST(MonitorCycle, ReadsC020ThenC0B0ThenC080DiscardingBeforeEachSend)
{
    Rig rig;
    rig.machine.SelectPort(0);
    rig.Forget();
    rig.Ticks(6);
    EXPECT_EQ(rig.port.log, (Calls{"Input 0 bytes", "Output " + C020, "Input 69 bytes",
                                   "Input 0 bytes", "Output " + C0B0, "Input 43 bytes",
                                   "Input 0 bytes", "Output " + C080, "Input 49 bytes"}));
}

TEST(MonitorCycle, VersionIsRatedOnlyOnTheC080Reply)
{
    Rig rig;
    rig.machine.SelectPort(0);
    rig.Forget();
    rig.Ticks(4); // the version has arrived with 0xC0B0 but is not rated yet
    EXPECT_EQ(rig.store.Data().OperatingVersion(), rig.version);
    EXPECT_EQ(rig.host.calls, Calls{});
    rig.Ticks(2);
    EXPECT_EQ(rig.machine.State(), ExchangeState::Monitor);
    EXPECT_EQ(rig.host.calls,
              (Calls{"Good 123", "Controls on", "Timer1 on", "Timer2 off", "Timer3 off"}));
}

TEST(MonitorCycle, RefusedVersionStopsTimer1WithMessage151Once)
{
    Rig rig;
    rig.version = "V100099B";
    rig.machine.SelectPort(0);
    rig.Forget();
    rig.Ticks(6);
    EXPECT_EQ(rig.host.calls,
              (Calls{"Bad 151", "Timer1 off", "Message 151 in 'CheckOperatingVersion'"}));
    // Choosing the same port again repeats the check.
    rig.version = "V100099C";
    rig.machine.SelectPort(0);
    rig.Ticks(6);
    EXPECT_EQ(rig.machine.State(), ExchangeState::Monitor);
}

TEST(MonitorCycle, ShortVersionLeavesTheCheckRunning)
{
    Rig rig;
    rig.version = "V100";
    rig.machine.SelectPort(0);
    rig.Forget();
    rig.Ticks(12);
    EXPECT_EQ(rig.machine.State(), ExchangeState::CheckOperatingVersion);
    EXPECT_EQ(rig.host.calls, Calls{});
}

TEST(MonitorCycle, FailedBlockDuringCheckIsRequestedAgain)
{
    const std::pair<int, Calls> cases[] = {// tick whose take finds nothing, frames of 8 ticks
                                           {2, {C020, C020, C0B0, C080}},
                                           {4, {C020, C0B0, C0B0, C080}},
                                           {6, {C020, C0B0, C080, C080}}};
    for (const auto &[failingTick, wire] : cases) {
        Rig rig;
        rig.machine.SelectPort(0);
        rig.Forget();
        for (int tick = 1; tick <= 8; ++tick) {
            if (tick == failingTick)
                rig.port.QueueNothing();
            rig.Ticks(1);
        }
        EXPECT_EQ(rig.Wire(), wire) << failingTick;
        EXPECT_EQ(rig.host.Count("Bad 122"), 1);
        EXPECT_EQ(rig.machine.State(), ExchangeState::Monitor) << "rated once all arrived";
    }
}

TEST(MonitorCycle, LampInMonitorTellsSilenceFromNoise)
{
    Bytes full{SlaveAddress, ReadFunction, 64};
    full.resize(67, 0x01);
    const std::tuple<const char *, Bytes, std::string> cases[]
        = {{"good", WithCrc(full), "Good 123"},
           {"wrong CRC, full length", Broken(WithCrc(Bytes(67, 0x22))), "Good 123"},
           {"empty", {}, "Bad 122"},
           {"two bytes", {0xFF, 0x03}, "Bad 122"}};
    for (const auto &[name, reply, lamp] : cases) {
        Rig rig;
        rig.StartMonitoring();
        rig.Ticks(1);
        rig.port.QueueReply(reply);
        rig.Ticks(1);
        EXPECT_EQ(rig.host.calls, Calls{lamp}) << name;
        EXPECT_EQ(rig.machine.StatusTextNumber(), std::stoi(lamp.substr(lamp.size() - 3)));
        EXPECT_EQ(rig.machine.MonitorStep(), 4) << "no retry outside the check";
        // Only the good reply changes the readings (every word 0x0101).
        EXPECT_EQ(rig.store.Data().AcVoltage(), name == std::string("good") ? 257.0f : 0.0f);
    }
}

TEST(MonitorCycle, FailingPortNeverStopsTheCycle)
{
    Rig rig;
    rig.StartMonitoring();
    rig.port.outputThrows = rig.port.inputThrows = true;
    rig.Ticks(6);
    EXPECT_EQ(rig.port.log.size(), 9u) << "every operation is still tried";
    EXPECT_EQ(rig.host.Count("Bad 122"), 3);
    rig.port.outputThrows = rig.port.inputThrows = false;
    rig.host.throwOnPaint = true; // a failure inside the reply handling is dropped as well
    rig.port.ClearRecord();
    rig.Ticks(6);
    EXPECT_EQ(rig.Wire(), (Calls{C020, C0B0, C080}));
}

TEST(MonitorCycle, RepliesBetweenExchangesAreNotFiled)
{
    Rig rig;
    for (auto state : {ExchangeState::PrepareIdentifyRead, ExchangeState::Idle}) {
        rig.machine.SetState(state);
        rig.machine.HandleReply(WithCrc({0xFF, 0x03, 0x02, 0x00, 0x07}),
                                RequestInfo{0xC000 + 2 * 0x21, ReadFunction, 1});
        EXPECT_EQ(rig.store.Data().AcVoltage(), 0.0f);
    }
    EXPECT_EQ(rig.host.calls, Calls{});
}

TEST(SetControlsAndTimers, EachMode)
{
    // enabled, mode, expected calls, MonitorStep afterwards (starting from 5)
    const std::tuple<bool, int, Calls, int> cases[]
        = {{true, 1, {"Controls on", "Timer1 on", "Timer2 off", "Timer3 off"}, 5},
           {false, 2, {"Controls off", "Timer1 off", "Timer2 on", "Timer3 off"}, 0},
           {false, 3, {"Controls off", "Timer1 off", "Timer2 off", "Timer3 on"}, 0},
           {false, 4, {"Controls off", "Timer1 on", "Timer2 off", "Timer3 off"}, 5},
           {true, 5, {"Controls on", "Timer1 off", "Timer2 off", "Timer3 off"}, 5},
           {false, 1, {"Controls off", "Timer1 off", "Timer2 on", "Timer3 on"}, 5}};
    for (const auto &[enabled, mode, calls, step] : cases) {
        Rig rig;
        rig.machine.SetMonitorStep(5);
        rig.machine.SetControlsAndTimers(enabled, mode);
        EXPECT_EQ(rig.host.calls, calls) << mode;
        EXPECT_EQ(rig.machine.MonitorStep(), step) << mode;
    }
}

TEST(MonitorCycle, PreparedExchangeIsHandedOverAfterTheTicksOwnStep)
{
    const Calls identify{"Controls off", "Timer1 off", "Timer2 on", "Timer3 off"};
    const Calls configuration{"Controls off", "Timer1 off", "Timer2 off", "Timer3 on"};
    const std::tuple<ExchangeState, ExchangeState, Calls> cases[] = {
        {ExchangeState::PrepareIdentifyRead, ExchangeState::IdentifyRead, identify},
        {ExchangeState::PrepareIdentifyWrite, ExchangeState::IdentifyWrite, identify},
        {ExchangeState::PrepareConfigurationRead, ExchangeState::ConfigurationRead, configuration},
        {ExchangeState::PrepareConfigurationWrite, ExchangeState::ConfigurationWrite,
         configuration},
        {ExchangeState::Idle, ExchangeState::Idle, {"Timer1 off", "OpenCalibrationWindow"}}};
    for (const auto &[prepare, running, calls] : cases) {
        Rig rig;
        rig.StartMonitoring();
        rig.machine.SetState(prepare);
        rig.Ticks(1);
        EXPECT_EQ(rig.machine.State(), running);
        EXPECT_EQ(rig.host.calls, calls);
        EXPECT_EQ(rig.Wire(), Calls{C020}) << "the tick still sent its own request";
    }
}

TEST(SelectPort, OpensThePortAndStartsTheCheck)
{
    Rig rig;
    rig.machine.SetMonitorStep(3);
    rig.machine.SelectPort(4);
    EXPECT_EQ(rig.port.log, (Calls{"SetCommPort 5", "Settings 9600,n,8,1", "Open"}));
    EXPECT_EQ(rig.host.calls,
              (Calls{"Good 126", "Controls off", "Timer1 on", "Timer2 off", "Timer3 off"}));
    EXPECT_EQ(rig.machine.MonitorStep(), 0);
    EXPECT_EQ(rig.machine.StatusTextNumber(), 126);
}

TEST(SelectPort, SamePortWhileMonitoringDoesNothingButReopensDuringTheCheck)
{
    Rig rig;
    rig.StartMonitoring();
    rig.machine.SelectPort(0);
    EXPECT_EQ(rig.port.log, Calls{});
    EXPECT_EQ(rig.host.calls, Calls{});
    rig.machine.SetState(ExchangeState::CheckOperatingVersion);
    rig.machine.SelectPort(0);
    EXPECT_EQ(rig.port.log, (Calls{"Close", "SetCommPort 1", "Settings 9600,n,8,1", "Open"}));
}

TEST(SelectPort, AnotherPortAbandonsARunningExchange)
{
    Rig rig;
    rig.Prepare(ExchangeState::PrepareConfigurationRead, 0);
    rig.machine.ConfigurationExchangeStep();
    rig.host.calls.clear();
    rig.machine.SelectPort(1);
    EXPECT_EQ(rig.machine.State(), ExchangeState::CheckOperatingVersion);
    EXPECT_EQ(rig.host.calls, (Calls{"Timer1 off", "Good 126", "Controls off", "Timer1 on",
                                     "Timer2 off", "Timer3 off"}));
}

TEST(SelectPort, PortThatCannotOpenStopsEverythingWithMessage130)
{
    Rig rig;
    rig.StartMonitoring();
    rig.port.missingPorts = {7};
    rig.machine.SelectPort(6);
    EXPECT_EQ(rig.port.log,
              (Calls{"Close", "SetCommPort 7", "Settings 9600,n,8,1", "Open failed"}));
    EXPECT_EQ(rig.host.calls,
              (Calls{"Timer1 off", "Bad 121", "Controls on", "Timer1 off", "Timer2 off",
                     "Timer3 off", "Message 130 in 'CheckOperatingVersion'"}));
    EXPECT_EQ(rig.machine.StatusTextNumber(), 121);
}

TEST(IdentifyExchange, ReadTakesSixTicksAndShowsTheIdentifiersOnTheLast)
{
    Rig rig;
    rig.Prepare(ExchangeState::PrepareIdentifyRead, 0);
    rig.Run(MainTimer::Timer2);
    Calls expected{"Build 0", "Build 2", "Build 4", "ShowIdentifierValues"};
    expected.insert(expected.end(), BackToMonitor.begin(), BackToMonitor.end());
    EXPECT_EQ(rig.host.calls, expected);
    // Only the first request discards the stale monitor reply.
    EXPECT_EQ(rig.port.log,
              (Calls{"Input 69 bytes", "Output FF 03 C0 80 00 01 AC 3C", "Input 7 bytes",
                     "Output FF 03 C0 82 00 01 0D FC", "Input 7 bytes",
                     "Output FF 03 C0 84 00 01 ED FD", "Input 7 bytes"}));
    EXPECT_EQ(rig.machine.MonitorStep(), 0);
}

TEST(IdentifyExchange, WriteGivesEachRequest2000msAndEndsWithMessage129)
{
    Rig rig;
    rig.Prepare(ExchangeState::PrepareIdentifyWrite, 6);
    rig.Run(MainTimer::Timer2);
    Calls expected;
    for (int step = 6; step <= 12; step += 2)
        expected.insert(expected.end(),
                        {"Timer2 2000", "Build " + std::to_string(step), "Timer2 500"});
    expected.push_back("Message 129 in 'Monitor'");
    expected.insert(expected.end(), BackToMonitor.begin(), BackToMonitor.end());
    EXPECT_EQ(rig.host.calls, expected);
    EXPECT_EQ(rig.port.inputCalls, 1 + 4);
}

TEST(IdentifyExchange, FailedReplyAtStep9EndsTheWriteWithMessage128)
{
    Rig rig;
    rig.Prepare(ExchangeState::PrepareIdentifyWrite, 6);
    rig.Run(MainTimer::Timer2, [&rig](int tick) {
        if (tick == 4)
            rig.port.QueueReply(Broken(WithCrc({0xFF, 0x10, 0xC0, 0x88, 0x00, 0x01})));
    });
    EXPECT_EQ(rig.Wire(),
              (Calls{"FF 10 C0 86 00 01 02 00 06 B1 9C", "FF 10 C0 88 00 01 02 00 08 31 76"}));
    EXPECT_EQ(rig.host.Count("Message 128 in 'Monitor'"), 1);
}

TEST(ConfigurationExchange, ReadShowsTheConfigurationAfterStep3)
{
    Rig rig;
    rig.Prepare(ExchangeState::PrepareConfigurationRead, 0);
    rig.Run(MainTimer::Timer3);
    Calls expected{"Build 0", "Build 2", "ShowConfiguration"};
    expected.insert(expected.end(), BackToMonitor.begin(), BackToMonitor.end());
    EXPECT_EQ(rig.host.calls, expected);
    EXPECT_EQ(rig.port.inputCalls, 3) << "the second read request does not discard";
}

TEST(ConfigurationExchange, WriteRunsTheTickedGroupsThenMessage129)
{
    // Check1(0..3), first step, steps that send
    const std::tuple<std::array<bool, 4>, int, std::vector<int>> cases[]
        = {{{false, false, true, false}, 8, {8, 10}},
           {{true, true, true, true}, 4, {4, 6, 8, 10, 12}},
           {{true, false, false, true}, 4, {4, 12}},
           {{false, true, false, false}, 6, {6}},
           {{false, false, false, true}, 12, {12}}};
    for (const auto &[ticked, first, steps] : cases) {
        Rig rig;
        rig.host.ticked = ticked;
        rig.Prepare(ExchangeState::PrepareConfigurationWrite, first);
        rig.Run(MainTimer::Timer3);
        Calls expected;
        for (int step : steps)
            expected.insert(expected.end(),
                            {"Timer3 2000", "Build " + std::to_string(step), "Timer3 500"});
        expected.push_back("Message 129 in 'Monitor'");
        expected.insert(expected.end(), BackToMonitor.begin(), BackToMonitor.end());
        EXPECT_EQ(rig.host.calls, expected) << first;
        EXPECT_EQ(rig.port.inputCalls, static_cast<int>(2 * steps.size())) << "discard + take";
    }
}

TEST(Exchanges, PortFailureMidwayEndsLikeAFailedReply)
{
    struct Case
    {
        ExchangeState prepare;
        int firstStep, failingTick;
        bool sendFails;
        std::string message;
        std::size_t sent;
    };
    const Case cases[]
        = {{ExchangeState::PrepareIdentifyRead, 0, 1, true, "Message 127 in 'Monitor'", 0},
           {ExchangeState::PrepareIdentifyRead, 0, 4, false, "Message 127 in 'Monitor'", 2},
           {ExchangeState::PrepareIdentifyWrite, 6, 3, true, "Message 128 in 'Monitor'", 1},
           {ExchangeState::PrepareConfigurationRead, 0, 2, false, "Message 127 in 'Monitor'", 1},
           {ExchangeState::PrepareConfigurationWrite, 4, 3, true, "Message 128 in 'Monitor'", 1},
           {ExchangeState::PrepareConfigurationWrite, 4, 6, false, "Message 128 in 'Monitor'", 3}};
    for (const Case &c : cases) {
        Rig rig;
        rig.host.ticked = {true, true, true, true};
        rig.Prepare(c.prepare, c.firstStep);
        const bool identify = c.prepare == ExchangeState::PrepareIdentifyRead
                              || c.prepare == ExchangeState::PrepareIdentifyWrite;
        rig.Run(identify ? MainTimer::Timer2 : MainTimer::Timer3, [&](int tick) {
            if (tick == c.failingTick)
                (c.sendFails ? rig.port.outputFailuresLeft : rig.port.inputFailuresLeft) = 1;
        });
        EXPECT_EQ(rig.host.Count(c.message), 1) << c.message << " at tick " << c.failingTick;
        EXPECT_EQ(rig.port.written.size(), c.sent);
        EXPECT_TRUE(rig.host.timerOn[1]);
    }
}

TEST(Exchanges, FailedSendLeavesNothingToTakeEvenIfBytesArrive)
{
    Rig rig;
    rig.StartMonitoring();
    rig.machine.SetState(ExchangeState::IdentifyRead);
    rig.machine.SetIdentifyStep(2);
    rig.port.outputFailuresLeft = 1;
    rig.machine.IdentifyExchangeStep();
    rig.port.QueueReply(WithCrc({0xFF, 0x03, 0x02, 0x00, 0x07})); // fits the lost request
    rig.machine.IdentifyExchangeStep();
    EXPECT_EQ(rig.host.Count("Message 127 in 'Monitor'"), 1);
}

TEST(CalibrationReplies, EndInTheEmptyState)
{
    // Accepted on the CRC alone, whatever was asked.
    const Bytes good = WithCrc({0xFF, 0x64, 0xCF, 0x01, 0x00, 0x05});
    const std::tuple<ExchangeState, Bytes, Calls> cases[]
        = {{ExchangeState::CalibrationRead, good, {"ShowCalibrationValues"}},
           {ExchangeState::CalibrationRead, Broken(good), {"Message 127 in ''"}},
           {ExchangeState::CalibrationWrite, good, {"Message 129 in ''"}},
           {ExchangeState::CalibrationWrite, Broken(good), {"Message 128 in ''"}}};
    for (const auto &[state, reply, calls] : cases) {
        Rig rig;
        rig.machine.SetState(state);
        rig.machine.HandleReply(reply, RequestInfo{});
        EXPECT_EQ(rig.machine.State(), ExchangeState::Idle);
        EXPECT_EQ(rig.host.calls, calls);
    }
}

} // namespace
} // namespace pv
