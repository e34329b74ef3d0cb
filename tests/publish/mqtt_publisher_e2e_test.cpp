// The publisher as a client of the session over the in-process simulator, against Debian's
// mosquitto broker on a loopback port, heard by a subscriber to everything: what arrives once the
// unit is identified, the availability as the link to the unit comes and goes, the last will of a
// publisher that is killed, and a broker that goes away and comes back while polling goes on.

#include "mqtt_test_broker.h"

#include "monitor/recording_csv.h"
#include "publish/mqtt_publisher.h"
#include "support/session_rig.h"

#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>

namespace pv {
namespace {

using namespace std::chrono_literals;
using test::WaitFor;

constexpr auto Patience = 10s;
// The rig's unit: register 41 is ID 42.
const std::string StateTopic = "pv-service/42/state";
const std::string AvailabilityTopic = "pv-service/42/availability";
const std::string DiscoveryTopics = "homeassistant/sensor/pv_service_42/";

QJsonObject Parsed(const std::string &json)
{
    return QJsonDocument::fromJson(QByteArray::fromStdString(json)).object();
}

class MqttPublisherE2e : public ::testing::Test, public test::SessionRig
{
protected:
    void SetUp() override
    {
        if (test::MosquittoProgram().empty()) {
            if (test::MayRunWithoutBroker())
                GTEST_SKIP() << "no mosquitto broker installed (scripts/setup.sh installs it)";
            FAIL() << "no mosquitto broker installed";
        }
        ASSERT_TRUE(broker.Start());
        subscriber = std::make_unique<test::TestSubscriber>(broker.Port());
        ASSERT_TRUE(WaitFor([this] { return subscriber->Connected(); }, Patience));
        // Readings that stay as set, to be found again in the state.
        inverter.FreezeReadings(true);
        inverter.SetRegister(reg::AcVoltage, 231);
        inverter.SetRegister(reg::InputAVoltage, 312);
        inverter.SetRegister(reg::AcFrequency, 500);
        PublishSettings settings;
        settings.url = broker.Url();
        setup = CheckPublishSettings(settings);
        setup.timing.firstRetry = 1s;
        setup.timing.lastRetry = 1s;
    }

    // Monitor ticks (or whichever step timer runs).
    void Ticks(int count)
    {
        RunWhile([&] { return count-- > 0; });
    }
    void Tick()
    {
        Ticks(1);
        ++ticksRun;
    }

    void IdentifyAndPublish()
    {
        Connect();
        publisher.Configure(&setup);
        session.ReadIdentifiers();
        RunExchange();
        ASSERT_TRUE(WaitFor(
            [this] {
                return subscriber->Last(AvailabilityTopic) == "online"
                       && !subscriber->On(StateTopic).empty();
            },
            Patience, [this] { Tick(); }));
    }

    test::TestBroker broker;
    std::unique_ptr<test::TestSubscriber> subscriber;
    MqttPublisher publisher{session};
    PublishSetup setup;
    int ticksRun = 0;
};

TEST_F(MqttPublisherE2e, TheIdentifiedUnitsDiscoveryAndStatesCarryWhatItHolds)
{
    Connect();
    publisher.Configure(&setup);
    Ticks(12);
    QCoreApplication::processEvents();
    // Readings alone name no unit: nothing goes out before an identify read.
    EXPECT_EQ(publisher.Status().phase, PublishPhase::WaitingForIdentity);
    EXPECT_TRUE(subscriber->Under("pv-service/").empty());
    EXPECT_TRUE(subscriber->Under("homeassistant/").empty());

    session.ReadIdentifiers();
    RunExchange();
    ASSERT_TRUE(WaitFor(
        [this] {
            return subscriber->Under(DiscoveryTopics).size() == ReadingColumns.size()
                   && subscriber->Last(AvailabilityTopic) == "online"
                   && !subscriber->On(StateTopic).empty();
        },
        Patience, [this] { Tick(); }));
    EXPECT_EQ(publisher.Status().phase, PublishPhase::Publishing);
    EXPECT_EQ(publisher.Status().unitId, "42");

    const QJsonObject state = Parsed(subscriber->On(StateTopic).back().payload);
    EXPECT_EQ(state["AC_V"].toDouble(), 231);
    EXPECT_EQ(state["InputA_V"].toDouble(), 312);
    EXPECT_EQ(state["AC_F"].toDouble(), 50);
    EXPECT_EQ(state["KWH"].toDouble(), 123456);
    EXPECT_TRUE(state["Time"].isString());

    for (const test::HeardMessage &config : subscriber->Under(DiscoveryTopics)) {
        const QJsonObject device = Parsed(config.payload)["device"].toObject();
        EXPECT_EQ(device["model"].toString(), "PV-4000") << config.topic;
        EXPECT_EQ(device["manufacturer"].toString(), "Sunworks") << config.topic;
        EXPECT_EQ(device["sw_version"].toString(), "V1000700") << config.topic;
    }
}

TEST_F(MqttPublisherE2e, TheWireIsTheSameAsWithoutPublishing)
{
    // The same unit on a session nobody publishes from, asked the same.
    test::SessionRig alone;
    alone.inverter.FreezeReadings(true);
    for (test::SessionRig *rig : {static_cast<test::SessionRig *>(this), &alone}) {
        rig->inverter.SetRegister(reg::AcVoltage, 231);
        rig->inverter.SetRegister(reg::InputAVoltage, 312);
        rig->inverter.SetRegister(reg::AcFrequency, 500);
    }
    IdentifyAndPublish();
    alone.Connect();
    alone.session.ReadIdentifiers();
    alone.RunExchange();
    int count = ticksRun;
    alone.RunWhile([&] { return count-- > 0; });
    EXPECT_EQ(port.Writes(), alone.port.Writes());
    EXPECT_EQ(nowMs, alone.nowMs);
}

TEST_F(MqttPublisherE2e, AvailabilityFollowsTheLinkToTheUnitAndACleanEnd)
{
    IdentifyAndPublish();
    // The unit stops answering: two cycles later it is offline.
    inverter.SetFaultRate(SimFault::NoReply, 1.0);
    EXPECT_TRUE(WaitFor([this] { return subscriber->Last(AvailabilityTopic) == "offline"; },
                        Patience, [this] { Tick(); }));
    inverter.SetFaultRate(SimFault::NoReply, 0.0);
    const std::size_t states = subscriber->On(StateTopic).size();
    EXPECT_TRUE(WaitFor(
        [&] {
            return subscriber->Last(AvailabilityTopic) == "online"
                   && subscriber->On(StateTopic).size() > states;
        },
        Patience, [this] { Tick(); }));

    publisher.Finish();
    EXPECT_TRUE(
        WaitFor([this] { return subscriber->Last(AvailabilityTopic) == "offline"; }, Patience));
}

TEST_F(MqttPublisherE2e, TheBrokerSaysOfflineForAPublisherThatIsKilled)
{
    // Register 76: ID 77, apart from the rig's unit.
    const std::string availability = "pv-service/77/availability";
    QProcess child;
    child.start(QStringLiteral(PV_PUBLISHER_CHILD),
                {QString::fromStdString(broker.Url()), QStringLiteral("76")});
    ASSERT_TRUE(child.waitForStarted());
    ASSERT_TRUE(WaitFor([&] { return subscriber->Last(availability) == "online"; }, Patience));
    child.kill();
    child.waitForFinished();
    EXPECT_TRUE(WaitFor([&] { return subscriber->Last(availability) == "offline"; }, Patience));
}

TEST_F(MqttPublisherE2e, PollingGoesOnWhileTheBrokerIsAwayAndStatesResumeAfterIt)
{
    IdentifyAndPublish();
    broker.Stop();
    ASSERT_TRUE(WaitFor([this] { return publisher.Status().phase == PublishPhase::BrokerAway; },
                        Patience, [this] { Tick(); }));

    // A while without the broker: every quarter second the unit was asked again.
    constexpr auto Window = 250ms;
    constexpr int Windows = 6;
    for (int window = 0; window < Windows; ++window) {
        const std::size_t asked = inverter.FramesReceived();
        WaitFor([] { return false; }, Window, [this] { Tick(); });
        EXPECT_GT(inverter.FramesReceived(), asked) << "window " << window;
    }

    const std::size_t states = subscriber->On(StateTopic).size();
    const std::size_t configs = subscriber->Under(DiscoveryTopics).size();
    ASSERT_TRUE(broker.Restart());
    // The broker came back empty: discovery, availability and states go out again.
    EXPECT_TRUE(WaitFor(
        [&] {
            return subscriber->On(StateTopic).size() > states
                   && subscriber->Under(DiscoveryTopics).size() >= configs + ReadingColumns.size()
                   && subscriber->Last(AvailabilityTopic) == "online";
        },
        Patience, [this] { Tick(); }));
    EXPECT_EQ(publisher.Status().phase, PublishPhase::Publishing);
}

} // namespace
} // namespace pv
