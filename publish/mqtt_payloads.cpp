#include "mqtt_payloads.h"

#include "publish_settings.h"

#include "monitor/recording_csv.h"

#include <cctype>
#include <cstdio>

namespace pv {

namespace {

constexpr std::string_view DiscoveryComponent = "sensor";
constexpr std::string_view DiscoveryNodePrefix = "pv_service_";
constexpr std::string_view StateLevel = "/state";
constexpr std::string_view AvailabilityLevel = "/availability";

// Home Assistant's device classes and state classes for the units the recording uses.
struct UnitKind
{
    std::string_view unit;
    SensorKind kind;
};
constexpr UnitKind UnitKinds[] = {
    {"V", {"voltage", "measurement"}},
    {"A", {"current", "measurement"}},
    {"Hz", {"frequency", "measurement"}},
    // The energy counter only grows; a smaller value is a counter that was reset.
    {"kWh", {"energy", "total_increasing"}},
    // Home Assistant has no class for an efficiency.
    {"%", {"", "measurement"}},
};

// A field of the recording is a number as JSON writes it; a value that is no finite number
// (which the decoder never makes) would be none, and goes as null.
std::string JsonNumber(const std::string &field)
{
    const std::size_t digit = !field.empty() && field.front() == '-' ? 1 : 0;
    const bool number
        = field.size() > digit && std::isdigit(static_cast<unsigned char>(field[digit])) != 0;
    return number ? field : "null";
}

std::string Member(std::string_view key, const std::string &json)
{
    return JsonString(key) + ":" + json;
}

} // namespace

UnitDevice UnitDeviceOf(const InverterData &data)
{
    const IdentifierTexts texts = IdentifierValueTexts(data, NumberFormat{});
    return {texts.id, texts.modelName, texts.companyName, data.OperatingVersion()};
}

std::string TopicSafe(std::string_view text)
{
    std::string safe(text);
    for (char &c : safe) {
        if (std::isalnum(static_cast<unsigned char>(c)) == 0 && c != '-' && c != '_')
            c = '_';
    }
    return safe;
}

UnitTopics TopicsOf(std::string_view prefix, std::string_view unitId)
{
    const std::string base = prefix.empty()
                                 ? std::string(DefaultTopicRoot) + "/" + TopicSafe(unitId)
                                 : std::string(prefix);
    return {base + std::string(StateLevel), base + std::string(AvailabilityLevel)};
}

std::string StatePayload(const LocalTime &time, const MonitorReadings &readings)
{
    const auto fields = ReadingFields(readings);
    std::string json = "{" + Member(TimeColumn.name, JsonString(IsoLocalTime(time)));
    for (std::size_t i = 0; i < ReadingColumns.size(); ++i)
        json += "," + Member(ReadingColumns[i].name, JsonNumber(fields[i]));
    return json + "}";
}

SensorKind SensorKindOf(std::string_view unit)
{
    for (const UnitKind &row : UnitKinds) {
        if (row.unit == unit)
            return row.kind;
    }
    return {"", "measurement"};
}

std::vector<RetainedMessage> DiscoveryConfigs(std::string_view discoveryPrefix,
                                              const UnitTopics &topics, const UnitDevice &device)
{
    const std::string node = std::string(DiscoveryNodePrefix) + TopicSafe(device.id);
    // One device per unit; a text the unit did not give is left out rather than sent empty.
    std::string deviceJson
        = "{" + Member("identifiers", "[" + JsonString(node) + "]") + ","
          + Member("name",
                   JsonString(device.model.empty() ? device.id : device.model + " " + device.id));
    if (!device.model.empty())
        deviceJson += "," + Member("model", JsonString(device.model));
    if (!device.company.empty())
        deviceJson += "," + Member("manufacturer", JsonString(device.company));
    if (!device.firmware.empty())
        deviceJson += "," + Member("sw_version", JsonString(device.firmware));
    deviceJson += "}";

    std::vector<RetainedMessage> configs;
    for (const RecordingColumn &column : ReadingColumns) {
        const std::string name(column.name);
        const SensorKind kind = SensorKindOf(column.unit);
        std::string json = "{" + Member("name", JsonString(name)) + ","
                           + Member("unique_id", JsonString(node + "_" + name)) + ","
                           + Member("state_topic", JsonString(topics.state)) + ","
                           + Member("value_template", JsonString("{{ value_json." + name + " }}"))
                           + "," + Member("availability_topic", JsonString(topics.availability));
        if (!kind.deviceClass.empty())
            json += "," + Member("device_class", JsonString(kind.deviceClass));
        json += "," + Member("state_class", JsonString(kind.stateClass)) + ","
                + Member("unit_of_measurement", JsonString(column.unit)) + ","
                + Member("device", deviceJson) + "}";
        configs.push_back({std::string(discoveryPrefix) + "/" + std::string(DiscoveryComponent)
                               + "/" + node + "/" + name + "/config",
                           std::move(json), 1});
    }
    return configs;
}

std::string JsonString(std::string_view text)
{
    std::string json = "\"";
    for (char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            json += '\\';
            json += c;
        } else if (u < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", u);
            json += escaped;
        } else {
            json += c;
        }
    }
    return json + "\"";
}

} // namespace pv
