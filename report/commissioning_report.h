#pragma once
// The commissioning report: what one unit's protection settings are, as this run of the tool
// read or wrote them, for the grid operator who accepts the installation. Built from the service
// records committed since the tool started, never from the panel: the panel only adds which of
// its entries were edited and not written.
//
// Which value a setting reports: the latest record of this unit since the start that read it
// (read_done) or wrote it with the unit's acknowledgement (write_done). A failed write never
// counts, nor a record of another unit. A setting no such record holds is "not read". An entry
// of the configuration panel whose number, rounded to its register's unit, differs from that
// value is named pending beside it (edited in the panel, not written); the unit's value stays
// the recorded one.

#include "record/service_record.h"

#include "link/numbers.h"
#include "settings/configuration_file.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pv {

// What the technician tells about the visit; kept for the next report.
struct ReportVisit
{
    std::string site;
    std::string technician;
    std::string notes;
    bool operator==(const ReportVisit &) const = default;
};

// One setting of the configuration panel as the report names it.
struct ReportedSetting
{
    int field = 0;    // configuration file field
    std::string key;  // ConfigurationKey(field)
    std::string unit; // "V", "ms", "Hz", "%", "kW", "s"; empty for the country and the flags
    // The unit's value as recorded ("." as the decimal point) and the local time of its record;
    // nothing: not read since the start.
    std::optional<std::string> value;
    std::string recordedAt;
    // The panel's differing entry: its number at the register's unit in the same "." form, or
    // the entry's text as it stands when it holds no number.
    std::optional<std::string> pending;
    bool operator==(const ReportedSetting &) const = default;
};

// The latest calibration read of the unit: the reply's data bytes in hex, as recorded.
struct ReportedCalibration
{
    std::string recordedAt;
    std::string replyBytes;
    bool operator==(const ReportedCalibration &) const = default;
};

// A write to the unit since the start, acknowledged or not.
struct ReportedWrite
{
    std::string localTime;
    RecordedExchange exchange = RecordedExchange::ConfigurationWrite;
    ExchangeOutcome outcome = ExchangeOutcome::WriteDone;
    std::vector<RecordedValue> values; // per register: before (when read) and the value sent
    bool operator==(const ReportedWrite &) const = default;
};

struct CommissioningReport
{
    std::string toolVersion;
    std::string createdAt; // ISO 8601 with its offset
    ReportVisit visit;
    // From the unit's latest record, and that record's time.
    UnitIdentity unit;
    std::string identityAt;
    std::array<ReportedSetting, ConfigurationFieldCount> settings;
    std::optional<ReportedCalibration> calibration;
    std::vector<ReportedWrite> writes; // oldest first
    // SHA-256 of the reported settings in the configuration file's canonical form; nothing
    // while a setting has no value.
    std::optional<std::string> fingerprint;
    bool operator==(const CommissioningReport &) const = default;
};

// What the report is made of besides the records.
struct ReportRequest
{
    std::string unitId;            // as the records name it
    ConfigurationPanelTexts panel; // the configuration panel's entries now
    NumberFormat format;           // the regional format the entries are written in
    std::string toolVersion;
    std::string createdAt;
    ReportVisit visit;
};

// The report of request.unitId from the records committed since the start (oldest first);
// nothing when no record names that unit: its identity was never read, and a report could not
// say which unit its settings belong to.
std::optional<CommissioningReport>
BuildCommissioningReport(const std::vector<ServiceRecord> &records, const ReportRequest &request);

// The unit of a setting's value, from its key's suffix ("_v", "_ms", "_hz", ...).
std::string_view SettingUnit(int field);

} // namespace pv
