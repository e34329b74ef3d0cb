// What the main window's exchange machine tells the recorder at each stage: the exchange using
// the port, its step and request, and whether the dispatcher acts on a reply taken now.

#include "link/line_recorder.h"
#include "support/fake_serial_port.h"

#include <gtest/gtest.h>

namespace pv {
namespace {

// Registers all zero but the accepted operating version "V1000700".
std::optional<Bytes> Answer(ByteView request)
{
    static const std::map<int, std::uint8_t> version{{0x178, 'V'}, {0x179, '1'}, {0x17A, '0'},
                                                     {0x17B, '0'}, {0x17C, '0'}, {0x17D, '7'},
                                                     {0x17E, '0'}, {0x17F, '0'}};
    Bytes reply{SlaveAddress, ReadFunction, static_cast<std::uint8_t>(2 * request[5])};
    const int start = 2 * ((request[2] << 8 | request[3]) - ImageBase);
    for (int i = start; i < start + 2 * request[5]; ++i)
        reply.push_back(version.contains(i) ? version.at(i) : 0);
    AppendCrc(reply);
    return reply;
}

struct QuietHost : ExchangeHost
{
    void SetInputControlsEnabled(bool) override {}
    void SetTimerEnabled(MainTimer, bool) override {}
    void SetTimerInterval(MainTimer, int) override {}
    void PaintLinkStatus(Lamp, int) override {}
    void ShowMessage(int) override {}
    void ShowIdentifierValues() override {}
    void ShowConfiguration() override {}
    bool ShowCalibrationValues() override { return true; }
    void OpenCalibrationWindow() override {}
    bool WriteGroupTicked(int) const override { return false; }
    void BuildIdentifyRequest(int, Channel &channel) override
    {
        BuildReadRequest(channel, 0xC031, 2);
    }
    void BuildConfigurationRequest(int, Channel &) override {}
};

TEST(LineContextOf, FollowsTheMachineThroughItsStates)
{
    test::FakeSerialPort port;
    port.responder = Answer;
    ValueStore store;
    QuietHost host;
    ExchangeMachine machine(port, store, host);
    machine.SelectPort(0);
    LineContext c = LineContextOf(machine);
    EXPECT_EQ(c.exchange, ExchangeState::CheckOperatingVersion);
    EXPECT_EQ(c.step, 0);
    EXPECT_TRUE(c.dispatched);
    for (int tick = 0; tick < 7; ++tick)
        machine.MonitorExchangeStep();
    ASSERT_EQ(machine.State(), ExchangeState::Monitor);
    c = LineContextOf(machine);
    EXPECT_EQ(std::make_tuple(c.exchange, c.step, c.dispatched, c.calibration),
              std::make_tuple(ExchangeState::Monitor, 1, true, false));
    ASSERT_TRUE(c.request.has_value());
    EXPECT_EQ(c.request->registerCount, 32);

    // Waiting for the hand-over the monitor cycle still uses the port, and what it takes is
    // not filed.
    machine.PrepareIdentifyRead();
    c = LineContextOf(machine);
    EXPECT_EQ(std::make_tuple(c.exchange, c.step, c.dispatched),
              std::make_tuple(ExchangeState::Monitor, 1, false));

    machine.MonitorExchangeStep(); // hands over
    machine.IdentifyExchangeStep();
    c = LineContextOf(machine);
    EXPECT_EQ(std::make_tuple(c.exchange, c.step, c.dispatched),
              std::make_tuple(ExchangeState::IdentifyRead, 1, true));
    ASSERT_TRUE(c.request.has_value());
    EXPECT_EQ(c.request->registerCount, 2);

    // The calibration window keeps its own steps; in between nothing is filed.
    machine.OpenCalibrationOnNextTick();
    c = LineContextOf(machine);
    EXPECT_EQ(std::make_tuple(c.step, c.dispatched),
              std::make_tuple(LineContext::UnknownStep, false));
    machine.BeginCalibrationRead();
    c = LineContextOf(machine);
    EXPECT_EQ(
        std::make_tuple(c.exchange, c.step, c.dispatched, c.calibration),
        std::make_tuple(ExchangeState::CalibrationRead, LineContext::UnknownStep, true, true));
}

} // namespace
} // namespace pv
