#pragma once
// Service records as a run of the tool commits them, for the tests of the commissioning report:
// a unit's identify read, a configuration read of every setting, writes and calibration reads.

#include "core/configuration_unit.h"
#include "record/service_record.h"
#include "report/commissioning_report.h"

#include <string>
#include <vector>

namespace pv::test {

inline std::string Key(int field)
{
    return std::string(ConfigurationKey(field));
}

inline ServiceRecord Record(std::string time, std::string unitId, RecordedExchange exchange,
                            ExchangeOutcome outcome, std::vector<RecordedValue> values = {})
{
    ServiceRecord r;
    r.localTime = "2026-12-06T10:" + time + ":00+01:00";
    r.port = "COM1";
    r.unit = {unitId, "PV3600", "PV Works", "01000700", "1.02"};
    r.exchange = exchange;
    r.outcome = outcome;
    r.values = std::move(values);
    return r;
}

inline ServiceRecord IdentifyRead(std::string time, std::string unitId)
{
    return Record(std::move(time), unitId, RecordedExchange::IdentifyRead,
                  ExchangeOutcome::ReadDone,
                  {{"company", std::nullopt, "PV Works"},
                   {"energy_kwh", std::nullopt, "1234"},
                   {"id", std::nullopt, unitId},
                   {"model", std::nullopt, "PV3600"}});
}

// Every setting of the values, as a configuration read records it.
inline std::vector<RecordedValue> SettingValues(const ConfigurationValues &v)
{
    std::vector<RecordedValue> values;
    for (int field = 0; field < ConfigurationFieldCount; ++field) {
        std::string text;
        if (field < GridLimitEntryCount)
            text = SettingNumberText(field, v.limits[static_cast<std::size_t>(field)]);
        else if (field == SleepPowerField)
            text = SettingNumberText(field, v.sleepPower);
        else if (field == RatedPowerField)
            text = SettingNumberText(field, v.ratedPower);
        else if (field == RetryTimeField)
            text = SettingNumberText(field, v.retryTime);
        else if (field == CountryCodeField)
            text = std::to_string(v.countryCode);
        else
            text = v.flags[static_cast<std::size_t>(field - FirstFlagField)] ? "1" : "0";
        values.push_back({Key(field), std::nullopt, text});
    }
    return values;
}

inline ServiceRecord SettingsRead(std::string time, std::string unitId,
                                  const ConfigurationValues &values = Unit())
{
    return Record(std::move(time), std::move(unitId), RecordedExchange::ConfigurationRead,
                  ExchangeOutcome::ReadDone, SettingValues(values));
}

// One setting written: from before to value.
inline ServiceRecord SettingWrite(std::string time, std::string unitId, ExchangeOutcome outcome,
                                  int field, std::string before, std::string value)
{
    return Record(std::move(time), std::move(unitId), RecordedExchange::ConfigurationWrite, outcome,
                  {{Key(field), std::move(before), std::move(value)}});
}

inline ReportRequest Request(std::string unitId)
{
    ReportRequest request;
    request.unitId = std::move(unitId);
    request.toolVersion = "0.1.0";
    request.createdAt = "2026-12-06T11:00:00+01:00";
    request.visit = {"Hofweg 3, Kassel", "A. Technician", "Roof array, 2 strings"};
    return request;
}

} // namespace pv::test
