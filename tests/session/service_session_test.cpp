// The service session with no display and no window: the in-process simulated inverter on a
// clock that each tick moves on by its timer's interval. An identify read and a configuration
// write, from the intent to monitoring again: the frames on the wire, the writes the inverter
// took and when, and the outcomes the session tells.

#include "session/service_session.h"
#include "support/session_rig.h"

#include <QCoreApplication>
#include <QTimer>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace pv {
namespace {

using Lines = std::vector<std::string>;

std::string Name(ExchangeState exchange)
{
    return std::string(ExchangeStateText(exchange));
}

class ServiceSessionTest : public ::testing::Test, public test::SessionRig
{
protected:
    ServiceSessionTest()
    {
        const auto say = [this](const std::string &line) { outcomes.push_back(line); };
        ServiceSession *s = &session;
        QObject::connect(s, &ServiceSession::IntentsAllowed, s,
                         [say](bool on) { say(on ? "intents allowed" : "intents locked"); });
        QObject::connect(s, &ServiceSession::ReadDone, s,
                         [say](ExchangeState e) { say("read done: " + Name(e)); });
        QObject::connect(s, &ServiceSession::ReadFailed, s,
                         [say](ExchangeState e) { say("read failed: " + Name(e)); });
        QObject::connect(s, &ServiceSession::WrittenValuesFiled, s,
                         [say](ExchangeState e) { say("written values filed: " + Name(e)); });
        QObject::connect(s, &ServiceSession::WriteDone, s,
                         [say](ExchangeState e) { say("write done: " + Name(e)); });
        QObject::connect(s, &ServiceSession::WriteFailed, s,
                         [say](ExchangeState e) { say("write failed: " + Name(e)); });
        QObject::connect(s, &ServiceSession::FirmwareRefused, s, [say] { say("refused"); });
        QObject::connect(s, &ServiceSession::PortFailed, s, [say] { say("port failed"); });
        // A port, and a version check that passes.
        Connect();
        outcomes.clear();
        port.ClearWritten();
    }

    Lines Frames() const
    {
        Lines frames;
        for (const Bytes &frame : port.Writes())
            frames.push_back(HexText(frame));
        return frames;
    }

    Lines outcomes;
};

TEST_F(ServiceSessionTest, AnIdentifyReadAsksTheThreeBlocksAndFilesThem)
{
    session.ReadIdentifiers();
    RunExchange();
    // The monitor tick that hands over sends its own request first.
    const Lines frames = Frames();
    ASSERT_EQ(frames.size(), 4u);
    EXPECT_EQ(
        Lines(frames.begin() + 1, frames.end()),
        (Lines{"FF 03 C0 B0 00 13 2C 3E", "FF 03 C0 80 00 01 AC 3C", "FF 03 C0 31 00 02 BC 1A"}));
    EXPECT_EQ(outcomes, (Lines{"intents locked", "intents locked", "read done: Identify Read",
                               "intents allowed"}));
    EXPECT_EQ(session.Data().ModelName(), "PV-4000");
    EXPECT_EQ(session.Data().CompanyName(), "Sunworks");
}

// Two of the four groups: the write passes over the others without a tick, gives each request
// 2000 ms for its answer and sends the next 500 ms after it; what it sent is filed at once.
TEST_F(ServiceSessionTest, AConfigurationWriteSendsTheGroupsItCarriesAtTheDesignsPace)
{
    ConfigurationWrite write;
    write.groups = {true, false, false, true};
    write.sleepPower = 7;
    write.retryTime = 600;
    inverter.ClearWrites();
    session.WriteConfiguration(write);
    RunExchange();
    const Lines frames = Frames();
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_EQ(Lines(frames.begin() + 1, frames.end()),
              (Lines{"FF 10 C0 84 00 01 02 00 07 71 BE", "FF 10 C0 85 00 01 02 02 58 31 37"}));
    ASSERT_EQ(inverter.Writes().size(), 2u);
    EXPECT_EQ(inverter.Writes()[1].timeMs - inverter.Writes()[0].timeMs,
              WriteStepIntervalMs + ReadStepIntervalMs);
    EXPECT_EQ(outcomes, (Lines{"intents locked", "intents locked",
                               "written values filed: Configuration Write",
                               "write done: Configuration Write", "intents allowed"}));
    EXPECT_EQ(session.ConfigurationWriteGroups(), write.groups);
    EXPECT_EQ(session.Data().RetryTime(), 600);
}

} // namespace
} // namespace pv
