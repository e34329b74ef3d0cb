#pragma once
// The exchange machine against a scripted port that answers like an inverter, running the real
// step tables with a builder that records each step, and a listener that records every outcome
// and timer wish in order (in the main window's text numbers): frames on the wire, states,
// status, messages and timers; and what it tells the line recorder at each stage.

#include "calibration/calibration_frames.h"
#include "link/exchange_machine.h"
#include "settings/configuration.h"
#include "settings/identifiers.h"
#include "support/fake_serial_port.h"

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace pv::test {

using Calls = std::vector<std::string>;
using S = ExchangeState;

inline const std::string C020 = "FF 03 C0 20 00 20 6C 06";
inline const std::string C0B0 = "FF 03 C0 B0 00 13 2C 3E";
inline const std::string C080 = "FF 03 C0 80 00 16 EC 32";
inline const Calls BackToMonitor{"Controls on", "Timer1 on", "Timer2 off", "Timer3 off"};

template <class T>
std::vector<T> operator+(std::vector<T> a, const std::vector<T> &b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

inline Bytes WithCrc(Bytes frame, bool broken = false)
{
    AppendCrc(frame);
    frame.back() ^= broken ? 1 : 0;
    return frame;
}

// Each write step: 2000 ms for its answer, its request, then 500 ms to the next step.
inline Calls WriteSteps(int timer, const std::vector<int> &steps, int message)
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

} // namespace pv::test
