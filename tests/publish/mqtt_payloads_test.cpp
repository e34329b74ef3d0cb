// What the broker gets for a unit: the topics, the state's keys and numbers, and one discovery
// configuration per reading with the class, state class and unit Home Assistant needs, read back
// through a JSON parser.

#include "publish/mqtt_payloads.h"

#include "monitor/recording_csv.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

namespace pv {
namespace {

QJsonObject Parsed(const std::string &json)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(json), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << json;
    return document.object();
}

std::string Text(const QJsonValue &value)
{
    return value.toString().toStdString();
}

const UnitDevice Unit{"41", "PV-4000", "Sunworks", "V1000700"};

TEST(MqttTopics, FollowThePrefixOrTheUnitsId)
{
    struct Row
    {
        const char *prefix;
        const char *id;
        const char *state;
        const char *availability;
    };
    const Row rows[] = {
        {"", "41", "pv-service/41/state", "pv-service/41/availability"},
        {"site/roof", "41", "site/roof/state", "site/roof/availability"},
        // An ID never splits or widens a topic.
        {"", "4/+#1", "pv-service/4___1/state", "pv-service/4___1/availability"},
    };
    for (const Row &row : rows) {
        const UnitTopics topics = TopicsOf(row.prefix, row.id);
        EXPECT_EQ(topics.state, row.state);
        EXPECT_EQ(topics.availability, row.availability);
    }
}

TEST(MqttState, CarriesTheTimeAndTheTenReadingsUnderTheRecordingsColumns)
{
    MonitorReadings readings;
    readings.inputAVoltage = 312;
    readings.inputBVoltage = 305.5f;
    readings.dcBusVoltage = 380;
    readings.acVoltage = 230;
    readings.acFrequency = 49.96f;
    readings.inputACurrent = 5.2f;
    readings.inputBCurrent = 0;
    readings.acCurrent = 10.4f;
    readings.energyTotal = 123456;
    readings.outputPower = 9.6f;
    readings.inputAPower = 5;
    readings.inputBPower = 5;
    const LocalTime time{2026, 12, 7, 14, 3, 22, 350, 60};
    EXPECT_EQ(StatePayload(time, readings),
              "{\"Time\":\"2026-12-07T14:03:22.350+01:00\",\"InputA_V\":312,\"InputB_V\":305.5,"
              "\"DCBus\":380,\"AC_V\":230,\"AC_F\":49.96,\"InputA_C\":5.2,\"InputB_C\":0,"
              "\"AC_C\":10.4,\"KWH\":123456,\"Efficiency\":96}");
    EXPECT_EQ(Parsed(StatePayload(time, readings)).size(), 1 + int(ReadingColumns.size()));
}

TEST(MqttDiscovery, OneSensorPerReadingWithItsClassAndUnit)
{
    struct Row
    {
        const char *key;
        const char *deviceClass; // "" none
        const char *stateClass;
        const char *unit;
    };
    const Row rows[] = {
        {"InputA_V", "voltage", "measurement", "V"},  {"InputB_V", "voltage", "measurement", "V"},
        {"DCBus", "voltage", "measurement", "V"},     {"AC_V", "voltage", "measurement", "V"},
        {"AC_F", "frequency", "measurement", "Hz"},   {"InputA_C", "current", "measurement", "A"},
        {"InputB_C", "current", "measurement", "A"},  {"AC_C", "current", "measurement", "A"},
        {"KWH", "energy", "total_increasing", "kWh"}, {"Efficiency", "", "measurement", "%"},
    };
    const UnitTopics topics = TopicsOf("", Unit.id);
    const std::vector<RetainedMessage> configs = DiscoveryConfigs("homeassistant", topics, Unit);
    ASSERT_EQ(configs.size(), std::size(rows));
    for (std::size_t i = 0; i < configs.size(); ++i) {
        const Row &row = rows[i];
        const std::string key = row.key;
        EXPECT_EQ(configs[i].topic, "homeassistant/sensor/pv_service_41/" + key + "/config");
        EXPECT_EQ(configs[i].qos, 1);
        const QJsonObject config = Parsed(configs[i].payload);
        EXPECT_EQ(Text(config["name"]), key);
        EXPECT_EQ(Text(config["unique_id"]), "pv_service_41_" + key);
        EXPECT_EQ(Text(config["state_topic"]), "pv-service/41/state");
        EXPECT_EQ(Text(config["availability_topic"]), "pv-service/41/availability");
        EXPECT_EQ(Text(config["value_template"]), "{{ value_json." + key + " }}");
        EXPECT_EQ(config.contains("device_class"), *row.deviceClass != '\0') << key;
        EXPECT_EQ(Text(config["device_class"]), row.deviceClass) << key;
        EXPECT_EQ(Text(config["state_class"]), row.stateClass) << key;
        EXPECT_EQ(Text(config["unit_of_measurement"]), row.unit) << key;
    }
}

TEST(MqttDiscovery, OneDevicePerUnitNamedByWhatTheUnitTold)
{
    struct Row
    {
        UnitDevice unit;
        const char *device; // the device object, as compact JSON
    };
    const Row rows[] = {
        {Unit, R"({"identifiers":["pv_service_41"],"manufacturer":"Sunworks","model":"PV-4000",)"
               R"("name":"PV-4000 41","sw_version":"V1000700"})"},
        // What the unit did not tell is left out; quotes in a name stay inside the string.
        {{"7", "", "A \"B\"", ""},
         R"({"identifiers":["pv_service_7"],"manufacturer":"A \"B\"","name":"7"})"},
    };
    for (const Row &row : rows) {
        const auto configs = DiscoveryConfigs("ha", TopicsOf("", row.unit.id), row.unit);
        for (const RetainedMessage &config : configs) {
            const QJsonObject device = Parsed(config.payload)["device"].toObject();
            EXPECT_EQ(QJsonDocument(device).toJson(QJsonDocument::Compact).toStdString(),
                      row.device);
        }
    }
}

} // namespace
} // namespace pv
