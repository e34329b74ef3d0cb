// pv-service-cli monitor --mqtt end to end: inverter-sim on a pseudo-terminal, Debian's mosquitto
// broker on a loopback port, and a subscriber hearing what the command line publishes.

#include "support/cli_fixture.h"

#include "../publish/mqtt_test_broker.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace pv::cli {
namespace {

using namespace std::chrono_literals;

TEST(CliMqtt, MonitorReadsTheIdentityThenPublishesDiscoveryAndReadingsAndEndsOffline)
{
    if (test::MosquittoProgram().empty()) {
        if (test::MayRunWithoutBroker())
            GTEST_SKIP() << "no mosquitto broker installed (scripts/setup.sh installs it)";
        FAIL() << "no mosquitto broker installed";
    }
    test::TestBroker broker;
    ASSERT_TRUE(broker.Start());
    test::TestSubscriber heard(broker.Port());
    ASSERT_TRUE(test::WaitFor([&] { return heard.Connected(); }, 5s));

    test::CliRig rig;
    rig.StartSimulator();
    // The firmware check, the identify read and two readings cycles fit in the duration.
    const auto result = rig.Run({"monitor", "--port", "COM1", "--duration", "9", "--format",
                                 "jsonl", "--mqtt", QString::fromStdString(broker.Url())});
    ASSERT_EQ(result.exit, 0) << result.err;

    // The simulator's unit answers to ID 1 (register 0): its topics are named by it.
    const auto state = heard.Last("pv-service/1/state");
    ASSERT_TRUE(state) << "no state published";
    const QJsonObject reading = QJsonDocument::fromJson(QByteArray::fromStdString(*state)).object();
    EXPECT_GE(reading["KWH"].toDouble(), 12345);
    EXPECT_GT(reading["AC_V"].toDouble(), 220);
    const auto config = heard.Last("homeassistant/sensor/pv_service_1/KWH/config");
    ASSERT_TRUE(config) << "no discovery";
    const QJsonObject kwh = QJsonDocument::fromJson(QByteArray::fromStdString(*config)).object();
    EXPECT_EQ(kwh["state_class"], "total_increasing");
    EXPECT_EQ(kwh["state_topic"], "pv-service/1/state");
    // A clean end says so before the disconnect.
    EXPECT_EQ(heard.Last("pv-service/1/availability"), "offline");
}

} // namespace
} // namespace pv::cli
