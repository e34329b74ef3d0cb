#include "commissioning_report.h"

#include <algorithm>
#include <cstdint>
#include <ranges>

namespace pv {

namespace {

// Recorded values write "." as the decimal point and group nothing.
constexpr NumberFormat RecordedFormat{'.', ','};

// Units by the suffix the configuration file's keys end in; "_ms" before "_s".
constexpr std::pair<std::string_view, std::string_view> KeyUnits[] = {
    {"_ms", "ms"}, {"_hz", "Hz"}, {"_kw", "kW"}, {"_percent", "%"}, {"_v", "V"}, {"_s", "s"},
};

bool IsNumericField(int field)
{
    return field < CountryCodeField;
}
bool IsFlagField(int field)
{
    return field >= FirstFlagField;
}

const RecordedValue *ValueOf(const ServiceRecord &record, std::string_view key)
{
    const auto found = std::ranges::find(record.values, key, &RecordedValue::key);
    return found == record.values.end() ? nullptr : &*found;
}

bool IsWrite(RecordedExchange exchange)
{
    return exchange == RecordedExchange::IdentifyWrite
           || exchange == RecordedExchange::ConfigurationWrite
           || exchange == RecordedExchange::CalibrationWrite;
}

// The unit a record speaks of. An acknowledged identify write is named by the identity the unit
// had before it (the recorder names a record by the identity known when it is taken), yet it is
// the write that gave the unit its present ID, model and company: it belongs to the unit it made.
UnitIdentity IdentityOf(const ServiceRecord &record)
{
    UnitIdentity unit = record.unit;
    if (record.exchange == RecordedExchange::IdentifyWrite
        && record.outcome == ExchangeOutcome::WriteDone) {
        for (auto [key, field] :
             {std::pair{IdKey, &UnitIdentity::id}, std::pair{ModelKey, &UnitIdentity::model},
              std::pair{CompanyKey, &UnitIdentity::company}}) {
            if (const RecordedValue *v = ValueOf(record, key))
                unit.*field = v->value;
        }
    }
    return unit;
}

// What the unit holds after the record: a read that came through, or a write it acknowledged.
bool TellsUnitValues(const ServiceRecord &record)
{
    return record.outcome == ExchangeOutcome::ReadDone
           || record.outcome == ExchangeOutcome::WriteDone;
}

const std::string *TextOf(const ConfigurationPanelTexts &panel, int field)
{
    if (field < GridLimitEntryCount)
        return &panel.limits[static_cast<std::size_t>(field)];
    if (field == SleepPowerField)
        return &panel.sleepPower;
    if (field == RatedPowerField)
        return &panel.ratedPower;
    if (field == RetryTimeField)
        return &panel.retryTime;
    return nullptr;
}

// A panel emptied (before a read, or never filled) holds nothing that could be written: none of
// its entries, nor the flag boxes it leaves unticked, is an edit.
bool PanelHoldsSettings(const ConfigurationPanelTexts &panel)
{
    if (panel.countryCode)
        return true;
    for (int field = 0; field < CountryCodeField; ++field) {
        if (!TextOf(panel, field)->empty())
            return true;
    }
    return false;
}

std::optional<std::int64_t> RecordedInteger(const std::string &text)
{
    const auto value = StrictNumber(text, RecordedFormat);
    if (!value || *value != static_cast<double>(static_cast<std::int64_t>(*value)))
        return std::nullopt;
    return static_cast<std::int64_t>(*value);
}

// The panel's entry for a field when it differs from the recorded value.
std::optional<std::string> PendingEntry(int field, const std::string &recorded,
                                        const ConfigurationPanelTexts &panel,
                                        const NumberFormat &format)
{
    if (IsNumericField(field)) {
        const std::string &entry = *TextOf(panel, field);
        if (entry.empty())
            return std::nullopt;
        const auto number = SettingEntryNumber(field, entry, format);
        if (!number)
            return entry; // no number: it differs, and is named as it stands
        // Both at the register's unit, as the write would send them.
        const std::string entered = SettingNumberText(field, *number);
        const auto value = StrictNumber(recorded, RecordedFormat);
        if (value && SettingNumberText(field, *value) == entered)
            return std::nullopt;
        return entered;
    }
    if (field == CountryCodeField) {
        if (!panel.countryCode || RecordedInteger(recorded) == std::int64_t{*panel.countryCode})
            return std::nullopt;
        return IntegerText(*panel.countryCode);
    }
    const std::string ticked
        = panel.flags[static_cast<std::size_t>(field - FirstFlagField)] ? "1" : "0";
    return ticked == recorded ? std::nullopt : std::optional(ticked);
}

// The unit's records, oldest first. Walking back from the newest, the acknowledged identify
// write that gave the unit its ID hands the walk on to the ID it had before: the records before
// that write, under the old ID, are the same unit's. A unit not identified before that write
// ends the walk, as records of no known unit may be any unit's.
std::vector<const ServiceRecord *> UnitRecords(const std::vector<ServiceRecord> &records,
                                               const std::string &unitId)
{
    std::vector<const ServiceRecord *> own;
    std::string wanted = unitId;
    for (const ServiceRecord &record : std::views::reverse(records)) {
        if (wanted == UnknownText)
            break;
        if (IdentityOf(record).id != wanted)
            continue;
        own.push_back(&record);
        wanted = record.unit.id;
    }
    std::ranges::reverse(own);
    return own;
}

// The settings as numbers, when every one has a value that reads as one.
std::optional<ConfigurationValues>
ReportedValues(const std::array<ReportedSetting, ConfigurationFieldCount> &settings)
{
    ConfigurationValues values;
    for (const ReportedSetting &s : settings) {
        if (!s.value)
            return std::nullopt;
        if (IsFlagField(s.field)) {
            if (*s.value != "0" && *s.value != "1")
                return std::nullopt;
            values.flags[static_cast<std::size_t>(s.field - FirstFlagField)] = *s.value == "1";
        } else if (s.field == CountryCodeField) {
            const auto code = RecordedInteger(*s.value);
            if (!code || *code < 0 || *code > 0xFF)
                return std::nullopt;
            values.countryCode = static_cast<std::uint8_t>(*code);
        } else {
            const auto number = StrictNumber(*s.value, RecordedFormat);
            if (!number)
                return std::nullopt;
            const auto value = static_cast<float>(*number);
            if (s.field < GridLimitEntryCount)
                values.limits[static_cast<std::size_t>(s.field)] = value;
            else if (s.field == SleepPowerField)
                values.sleepPower = value;
            else if (s.field == RatedPowerField)
                values.ratedPower = value;
            else
                values.retryTime = value;
        }
    }
    return values;
}

} // namespace

std::string_view SettingUnit(int field)
{
    const std::string_view key = ConfigurationKey(field);
    for (const auto &[suffix, unit] : KeyUnits) {
        if (key.ends_with(suffix))
            return unit;
    }
    return {};
}

std::optional<CommissioningReport>
BuildCommissioningReport(const std::vector<ServiceRecord> &records, const ReportRequest &request)
{
    const std::vector<const ServiceRecord *> own = UnitRecords(records, request.unitId);
    if (own.empty())
        return std::nullopt;

    CommissioningReport report;
    report.toolVersion = request.toolVersion;
    report.createdAt = request.createdAt;
    report.visit = request.visit;
    report.unit = IdentityOf(*own.back());
    report.identityAt = own.back()->localTime;

    const bool panelHoldsSettings = PanelHoldsSettings(request.panel);
    for (int field = 0; field < ConfigurationFieldCount; ++field) {
        ReportedSetting &setting = report.settings[static_cast<std::size_t>(field)];
        setting.field = field;
        setting.key = ConfigurationKey(field);
        setting.unit = SettingUnit(field);
        for (const ServiceRecord *record : std::views::reverse(own)) {
            const RecordedValue *v
                = TellsUnitValues(*record) ? ValueOf(*record, setting.key) : nullptr;
            if (v != nullptr) {
                setting.value = v->value;
                setting.recordedAt = record->localTime;
                break;
            }
        }
        if (setting.value && panelHoldsSettings)
            setting.pending = PendingEntry(field, *setting.value, request.panel, request.format);
    }

    for (const ServiceRecord *record : std::views::reverse(own)) {
        const RecordedValue *reply = ValueOf(*record, CalibrationReplyKey);
        if (record->exchange == RecordedExchange::CalibrationRead
            && record->outcome == ExchangeOutcome::ReadDone && reply != nullptr) {
            report.calibration = ReportedCalibration{record->localTime, reply->value};
            break;
        }
    }
    for (const ServiceRecord *record : own) {
        if (IsWrite(record->exchange))
            report.writes.push_back(
                {record->localTime, record->exchange, record->outcome, record->values});
    }
    if (const auto values = ReportedValues(report.settings))
        report.fingerprint = ConfigurationFingerprint(*values);
    return report;
}

} // namespace pv
