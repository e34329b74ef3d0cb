// The simulated port behaves like the serial port the windows expect: only existing ports open,
// a closed or failing port throws, and replies come when the clock says so.

#include "sim/simulated_port.h"
#include "sim_test_support.h"

#include <gtest/gtest.h>

namespace pv::test {
namespace {

Bytes MonitorFrame()
{
    Channel channel;
    BuildMonitorRequest(0, channel);
    return channel.request;
}

struct OpenCase
{
    const char *name;
    std::set<int> existing; // empty: the default
    int port;
    bool opens;

    friend void PrintTo(const OpenCase &c, std::ostream *out) { *out << c.name; }
};

class SimulatedPortOpen : public ::testing::TestWithParam<OpenCase>
{
};

TEST_P(SimulatedPortOpen, OpensExactlyTheExistingPorts)
{
    const OpenCase &c = GetParam();
    InverterSimulator inverter;
    std::int64_t now = 0;
    SimulatedPort port(inverter, &now);
    if (!c.existing.empty())
        port.SetExistingPorts(c.existing);
    port.SetCommPort(c.port);
    if (c.opens) {
        EXPECT_NO_THROW(port.Open());
    } else {
        EXPECT_THROW(port.Open(), PortError);
    }
    EXPECT_EQ(port.IsOpen(), c.opens);
    EXPECT_EQ(port.CommPort(), c.port);
}

INSTANTIATE_TEST_SUITE_P(Ports, SimulatedPortOpen,
                         ::testing::Values(OpenCase{"default_COM1_opens", {}, 1, true},
                                           OpenCase{"default_COM2_missing", {}, 2, false},
                                           OpenCase{"default_COM16_missing", {}, 16, false},
                                           OpenCase{"only_COM3_opens_3", {3}, 3, true},
                                           OpenCase{"only_COM3_refuses_1", {3}, 1, false},
                                           OpenCase{"COM2_and_COM5_open_5", {2, 5}, 5, true}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(SimulatedPort, ReplyArrivesOnlyWhenTheClockHasMoved)
{
    InverterSimulator inverter;
    std::int64_t now = 1000;
    SimulatedPort port(inverter, &now);
    port.Open();
    port.Output(MonitorFrame());
    EXPECT_TRUE(port.Input().empty());
    now += PollMs;
    const Bytes reply = port.Input();
    EXPECT_EQ(reply.size(), 69u);
    EXPECT_TRUE(CrcGood(reply));
    EXPECT_TRUE(port.Input().empty()) << "Input empties what it returned";
    EXPECT_EQ(Hex(port.Written()), Hex(MonitorFrame()));
    ASSERT_EQ(port.Writes().size(), 1u);
}

TEST(SimulatedPort, ClosedPortThrowsOnOutputAndInput)
{
    InverterSimulator inverter;
    std::int64_t now = 0;
    SimulatedPort port(inverter, &now);
    EXPECT_THROW(port.Output(MonitorFrame()), PortError);
    EXPECT_THROW(port.Input(), PortError);
    EXPECT_EQ(inverter.FramesReceived(), 0u);
}

TEST(SimulatedPort, FailingPortThrowsUntilItRecovers)
{
    InverterSimulator inverter;
    std::int64_t now = 0;
    SimulatedPort port(inverter, &now);
    port.Open();
    port.SetFailing(true);
    EXPECT_THROW(port.Output(MonitorFrame()), PortError);
    EXPECT_THROW(port.Input(), PortError);
    port.SetFailing(false);
    port.Output(MonitorFrame());
    now += PollMs;
    EXPECT_EQ(port.Input().size(), 69u);
}

TEST(SimulatedPort, ReplyPendingAtCloseIsLost)
{
    InverterSimulator inverter;
    std::int64_t now = 0;
    SimulatedPort port(inverter, &now);
    port.Open();
    port.Output(MonitorFrame());
    port.Close();
    now += PollMs;
    port.Open();
    EXPECT_TRUE(port.Input().empty());
    EXPECT_EQ(port.OpenCount(), 2);
}

TEST(SimulatedPort, OpenTwiceAndChangingThePortWhileOpenAreRefused)
{
    InverterSimulator inverter;
    std::int64_t now = 0;
    SimulatedPort port(inverter, &now);
    port.Open();
    EXPECT_THROW(port.Open(), PortError);
    EXPECT_THROW(port.SetCommPort(2), PortError);
    EXPECT_EQ(port.CommPort(), 1);
    port.Close();
    EXPECT_FALSE(port.IsOpen());
    port.Close(); // closing a closed port is harmless
}

} // namespace
} // namespace pv::test
