#include "history_rows.h"

#include "history_texts.h"

#include "link/text_numbers.h"
#include "settings/configuration_file.h"
#include "settings/grid_limit_checks.h"

#include <algorithm>
#include <array>
#include <utility>

namespace pv {

namespace {

// "2026-12-06T23:10:05+01:00": the date, the "T", and the time to the second.
constexpr std::size_t DateLength = 10;
constexpr std::size_t TimeLength = 8;

// Between a write's value last read and the value written.
constexpr std::string_view Arrow = "\u2192";

// The identifiers panel's captions, by the keys of the identify exchange's values.
constexpr std::array<std::pair<std::string_view, int>, 4> IdentifierCaptions{{
    {IdKey, text::IdCaption},
    {EnergyKey, text::EnergyCaption},
    {ModelKey, text::ModelCaption},
    {CompanyKey, text::CompanyCaption},
}};
// The configuration panel's captions of its single values and option frames, by field; the flag
// bits 5..0 have none.
constexpr std::array<std::pair<int, int>, 6> SettingCaptions{{
    {SleepPowerField, text::SleepPowerCaption},
    {RatedPowerField, text::RatedPowerCaption},
    {RetryTimeField, text::RetryTimeCaption},
    {CountryCodeField, text::CountryCaption},
    {DcInputField, text::DcInputCaption},
    {CommunicationField, text::CommunicationCaption},
}};

bool IsWrite(RecordedExchange exchange)
{
    return exchange == RecordedExchange::IdentifyWrite
           || exchange == RecordedExchange::ConfigurationWrite
           || exchange == RecordedExchange::CalibrationWrite;
}

std::string_view Trimmed(std::string_view text)
{
    constexpr std::string_view blanks = " \t";
    const auto first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

// IDs are whole numbers: the shorter one is the smaller.
bool IdBefore(const std::string &a, const std::string &b)
{
    return std::pair(a.size(), std::string_view(a)) < std::pair(b.size(), std::string_view(b));
}

} // namespace

HistoryRow HistoryRowOf(const StoredRecord &stored)
{
    const ServiceRecord &r = stored.record;
    std::string time = r.localTime.substr(0, DateLength + 1 + TimeLength);
    if (time.size() > DateLength && time[DateLength] == 'T')
        time[DateLength] = ' ';
    return {stored.rowId,
            std::move(time),
            r.port,
            r.unit.id,
            r.unit.model,
            ExchangeText(r.exchange),
            OutcomeText(r.outcome)};
}

std::vector<HistoryValueRow> HistoryValueRows(const ServiceRecord &record)
{
    const bool write = IsWrite(record.exchange);
    std::vector<HistoryValueRow> rows;
    for (const RecordedValue &v : record.values) {
        std::string shown = v.value;
        // A write to a register this link had not read starts at the arrow.
        if (write)
            shown = v.before ? *v.before + " " + std::string(Arrow) + " " + v.value
                             : std::string(Arrow) + " " + v.value;
        rows.push_back({SettingCaptionText(v.key), v.key, std::move(shown)});
    }
    return rows;
}

std::optional<int> SettingCaptionText(std::string_view key)
{
    for (const auto &[k, number] : IdentifierCaptions)
        if (k == key)
            return number;
    // The limits grid's entry i stands beside Label8(GridLimitLabels[i]).
    for (int i = 0; i < GridLimitEntryCount; ++i)
        if (ConfigurationKey(i) == key)
            return text::FirstLimitCaption + GridLimitLabels[static_cast<std::size_t>(i)];
    for (const auto &[field, number] : SettingCaptions)
        if (ConfigurationKey(field) == key)
            return number;
    return std::nullopt;
}

int ExchangeText(RecordedExchange exchange)
{
    switch (exchange) {
    case RecordedExchange::IdentifyRead:
        return historytext::IdentifyRead;
    case RecordedExchange::IdentifyWrite:
        return historytext::IdentifyWrite;
    case RecordedExchange::ConfigurationRead:
        return historytext::ConfigurationRead;
    case RecordedExchange::ConfigurationWrite:
        return historytext::ConfigurationWrite;
    case RecordedExchange::CalibrationRead:
        return historytext::CalibrationRead;
    case RecordedExchange::CalibrationWrite:
        return historytext::CalibrationWrite;
    case RecordedExchange::VersionCheck:
        return historytext::VersionCheck;
    }
    return historytext::IdentifyRead;
}

int OutcomeText(ExchangeOutcome outcome)
{
    switch (outcome) {
    case ExchangeOutcome::ReadDone:
    case ExchangeOutcome::WriteDone:
        return historytext::Done;
    case ExchangeOutcome::ReadFailed:
    case ExchangeOutcome::WriteFailed:
        return historytext::Failed;
    case ExchangeOutcome::FirmwareRefused:
        return historytext::Refused;
    }
    return historytext::Failed;
}

RecordFilter HistoryFilter(std::string_view unitText, std::optional<std::string> day)
{
    RecordFilter filter;
    if (const std::string_view unit = Trimmed(unitText); !unit.empty())
        filter.unitId = std::string(unit);
    filter.localDate = std::move(day);
    return filter;
}

void AddUnitIds(std::vector<std::string> &seen, const std::vector<StoredRecord> &records)
{
    for (const StoredRecord &stored : records) {
        const std::string &id = stored.record.unit.id;
        if (id != UnknownText && !id.empty())
            seen.push_back(id);
    }
    std::sort(seen.begin(), seen.end(), IdBefore);
    seen.erase(std::unique(seen.begin(), seen.end()), seen.end());
}

} // namespace pv
