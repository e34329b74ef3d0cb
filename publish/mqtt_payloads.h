#pragma once
// What the broker holds about one unit: its topics, the state of its readings and the discovery
// configurations that let Home Assistant make a device and its sensors of them. The keys and
// units are the recording's own columns (monitor/recording_csv.h), so a state reads like a row
// of a recording, and the same in every language.

#include "link/local_time.h"
#include "monitor/monitor_texts.h"

#include <string>
#include <string_view>
#include <vector>

namespace pv {

inline constexpr std::string_view OnlinePayload = "online";
inline constexpr std::string_view OfflinePayload = "offline";

// The unit as an identify read names it.
struct UnitDevice
{
    std::string id;       // as the window shows it
    std::string model;    // the model name
    std::string company;  // the company name: the device's manufacturer
    std::string firmware; // the operating firmware version; empty when not read
    bool operator==(const UnitDevice &) const = default;
};
UnitDevice UnitDeviceOf(const InverterData &data);

// A name fit for a topic level and a discovery ID: letters, digits, '-' and '_' stay, anything
// else becomes '_'.
std::string TopicSafe(std::string_view text);

struct UnitTopics
{
    std::string state;        // <prefix>/state
    std::string availability; // <prefix>/availability
};
// prefix empty: pv-service/<ID>.
UnitTopics TopicsOf(std::string_view prefix, std::string_view unitId);

// The readings as a JSON object: "Time" (ISO 8601 with the offset from UTC) and the ten
// readings under their column names, in engineering units.
std::string StatePayload(const LocalTime &time, const MonitorReadings &readings);

// How Home Assistant should take a reading of this unit (a column's unit from the recording).
struct SensorKind
{
    std::string_view deviceClass; // empty: none
    std::string_view stateClass;
};
SensorKind SensorKindOf(std::string_view unit);

struct RetainedMessage
{
    std::string topic;
    std::string payload;
    int qos = 1;
    bool operator==(const RetainedMessage &) const = default;
};

// <discoveryPrefix>/sensor/pv_service_<ID>/<column>/config, one per reading, in column order.
std::vector<RetainedMessage> DiscoveryConfigs(std::string_view discoveryPrefix,
                                              const UnitTopics &topics, const UnitDevice &device);

// A JSON string literal of UTF-8 text.
std::string JsonString(std::string_view text);

} // namespace pv
