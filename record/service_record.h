#pragma once
// A service record: one exchange a technician started (identifiers, configuration,
// calibration; read or write), when and on which port, with which unit, how it ended and every
// value it read or wrote. Plain data and pure functions over the session's decoded values, so
// that what a record holds can be tested without an event loop.

#include "session/exchange_outcome.h"

#include "link/codec.h"
#include "link/inverter_data.h"
#include "settings/configuration.h"
#include "settings/identifiers.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pv {

// What an identity field holds before the unit told it on this link.
inline constexpr std::string_view UnknownText = "unknown";

struct UnitIdentity
{
    std::string id{UnknownText};
    std::string model{UnknownText};
    std::string company{UnknownText};
    std::string operatingFirmware{UnknownText};
    std::string certificateFirmware{UnknownText};
    bool operator==(const UnitIdentity &) const = default;
};

enum class RecordedExchange {
    IdentifyRead,
    IdentifyWrite,
    ConfigurationRead,
    ConfigurationWrite,
    CalibrationRead,
    CalibrationWrite,
    // The firmware check when a port is chosen; recorded only when it refuses the unit.
    VersionCheck,
};
// The exchange's name in the database ("identify_read", ...), and back.
std::string_view ExchangeName(RecordedExchange exchange);
std::optional<RecordedExchange> ExchangeNamed(std::string_view name);
std::string_view OutcomeName(ExchangeOutcome outcome);
std::optional<ExchangeOutcome> OutcomeNamed(std::string_view name);

// One value in engineering units, as locale-free text ("." as the decimal point). For a write,
// before is the value this session last read from that register (nothing when it read none).
struct RecordedValue
{
    std::string key;
    std::optional<std::string> before;
    std::string value;
    bool operator==(const RecordedValue &) const = default;
};

struct ServiceRecord
{
    std::string localTime; // ISO 8601 with its UTC offset: 2026-12-06T23:10:05+01:00
    std::string port;      // COMn
    UnitIdentity unit;
    RecordedExchange exchange = RecordedExchange::IdentifyRead;
    ExchangeOutcome outcome = ExchangeOutcome::ReadDone;
    int textNumber = 0; // OutcomeTextNumber(outcome)
    std::vector<RecordedValue> values;
    bool operator==(const ServiceRecord &) const = default;
};

// Values by key, in engineering units as text.
using ValueSnapshot = std::map<std::string, std::string>;

// Keys of the identify exchange's values; the configuration values use the configuration
// file's keys (ConfigurationKey), so a record and a saved file name a setting alike.
inline constexpr std::string_view IdKey = "id";
inline constexpr std::string_view EnergyKey = "energy_kwh";
inline constexpr std::string_view ModelKey = "model";
inline constexpr std::string_view CompanyKey = "company";
// Calibration: the data bytes of the read's reply, and the request a write sent, in hex.
inline constexpr std::string_view CalibrationReplyKey = "calibration_reply_bytes";
inline constexpr std::string_view CalibrationRequestKey = "calibration_request_bytes";

// The values an identify or configuration read leaves in the decoded image.
ValueSnapshot IdentifyReadValues(const InverterData &data);
ValueSnapshot ConfigurationReadValues(const InverterData &data);
// What a write attempted, decoded from its checked words by the registers' declarations.
ValueSnapshot AttemptedValues(const IdentifyWriteValues &write);
ValueSnapshot AttemptedValues(const ConfigurationWrite &write);
// The keys of the registers a write sends: the identify write all of its values (the names
// block carries the rated power back unchanged), a configuration write those of its groups.
std::vector<std::string> WrittenKeys(const IdentifyWriteValues &write);
std::vector<std::string> WrittenKeys(const ConfigurationWrite &write);

// A read's values, every key of the snapshot.
std::vector<RecordedValue> ReadValues(const ValueSnapshot &read);
// A write's values: for each key written, the value sent (from sent) and the value last read
// (from lastRead, when it holds the key).
std::vector<RecordedValue> WriteValues(const std::vector<std::string> &keys,
                                       const ValueSnapshot &sent, const ValueSnapshot &lastRead);

// "COM" and the port's number; listIndex 0 is COM1.
std::string PortName(std::optional<int> listIndex);

// The local time as ISO 8601 with its offset, from its fields and the offset in seconds east of
// UTC (2026-12-06T23:10:05+01:00; "+00:00" rather than "Z", so every record reads alike).
std::string IsoLocalTime(int year, int month, int day, int hour, int minute, int second,
                         int offsetSeconds);

} // namespace pv
