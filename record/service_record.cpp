#include "service_record.h"

#include "link/codepage.h"
#include "link/numbers.h"
#include "link/registers.h"
#include "settings/configuration_file.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <utility>

namespace pv {

namespace {

constexpr std::array<std::pair<RecordedExchange, std::string_view>, 7> ExchangeNames{{
    {RecordedExchange::VersionCheck, "version_check"},
    {RecordedExchange::IdentifyRead, "identify_read"},
    {RecordedExchange::IdentifyWrite, "identify_write"},
    {RecordedExchange::ConfigurationRead, "configuration_read"},
    {RecordedExchange::ConfigurationWrite, "configuration_write"},
    {RecordedExchange::CalibrationRead, "calibration_read"},
    {RecordedExchange::CalibrationWrite, "calibration_write"},
}};
constexpr std::array<std::pair<ExchangeOutcome, std::string_view>, 5> OutcomeNames{{
    {ExchangeOutcome::ReadDone, "read_done"},
    {ExchangeOutcome::ReadFailed, "read_failed"},
    {ExchangeOutcome::WriteDone, "write_done"},
    {ExchangeOutcome::WriteFailed, "write_failed"},
    {ExchangeOutcome::FirmwareRefused, "firmware_refused"},
}};

template <typename T, std::size_t N>
std::string_view NameOf(const std::array<std::pair<T, std::string_view>, N> &names, T value)
{
    for (const auto &[v, name] : names)
        if (v == value)
            return name;
    return {};
}
template <typename T, std::size_t N>
std::optional<T> ValueNamed(const std::array<std::pair<T, std::string_view>, N> &names,
                            std::string_view name)
{
    for (const auto &[v, n] : names)
        if (n == name)
            return v;
    return std::nullopt;
}

// Engineering values as the configuration file writes them: "." as the decimal point.
std::string ValueText(double value)
{
    return GeneralNumberText(static_cast<float>(value), NumberFormat{});
}

// A name as the inverter keeps it: code-page bytes, padded with zeros or blanks.
std::string NameText(const NameBytes &bytes)
{
    std::string text = CodePageToUtf8(ByteView(bytes.data(), bytes.size()));
    while (!text.empty() && (text.back() == '\0' || text.back() == ' '))
        text.pop_back();
    return text;
}

std::string Key(int field)
{
    return std::string(ConfigurationKey(field));
}

} // namespace

std::string_view ExchangeName(RecordedExchange exchange)
{
    return NameOf(ExchangeNames, exchange);
}
std::optional<RecordedExchange> ExchangeNamed(std::string_view name)
{
    return ValueNamed(ExchangeNames, name);
}
std::string_view OutcomeName(ExchangeOutcome outcome)
{
    return NameOf(OutcomeNames, outcome);
}
std::optional<ExchangeOutcome> OutcomeNamed(std::string_view name)
{
    return ValueNamed(OutcomeNames, name);
}

ValueSnapshot IdentifyReadValues(const InverterData &data)
{
    return {{std::string(IdKey), ValueText(data.InverterId())},
            {std::string(EnergyKey), IntegerText(data.EnergyTotal())},
            {std::string(ModelKey), data.ModelName()},
            {std::string(CompanyKey), data.CompanyName()}};
}

ValueSnapshot ConfigurationReadValues(const InverterData &data)
{
    ValueSnapshot values;
    for (int i = 0; i < GridLimitEntryCount; ++i)
        values[Key(i)] = ValueText(data.GridLimits(i));
    values[Key(SleepPowerField)] = ValueText(data.SleepPower());
    values[Key(RatedPowerField)] = ValueText(data.PowerKw());
    values[Key(RetryTimeField)] = ValueText(data.RetryTime());
    values[Key(CountryCodeField)] = ValueText(data.CountryCode());
    for (int box = 0; box < FlagCount; ++box)
        values[Key(FlagField(box))] = data.OptionFlags(box) ? "1" : "0";
    return values;
}

ValueSnapshot AttemptedValues(const IdentifyWriteValues &write)
{
    return {{std::string(IdKey), ValueText(WordValue(decl::InverterId, write.idWord))},
            {std::string(EnergyKey), IntegerText(write.energy)},
            {std::string(ModelKey), NameText(write.modelName)},
            {std::string(CompanyKey), NameText(write.companyName)},
            {Key(RatedPowerField), ValueText(WordValue(decl::RatedPower, write.ratedPowerWord))}};
}

ValueSnapshot AttemptedValues(const ConfigurationWrite &write)
{
    ValueSnapshot values;
    for (int i = 0; i < GridLimitEntryCount; ++i)
        values[Key(i)] = ValueText(WordValue(decl::GridLimits[static_cast<std::size_t>(i)],
                                             write.limits[static_cast<std::size_t>(i)]));
    values[Key(SleepPowerField)] = ValueText(WordValue(decl::SleepPower, write.sleepPower));
    values[Key(RatedPowerField)] = ValueText(WordValue(decl::RatedPower, write.ratedPower));
    values[Key(RetryTimeField)] = ValueText(WordValue(decl::RetryTime, write.retryTime));
    values[Key(CountryCodeField)] = IntegerText(write.countryCode);
    // Box 0 is the flag byte's bit 7 (FlagsByte).
    for (int box = 0; box < FlagCount; ++box)
        values[Key(FlagField(box))] = ((write.flags >> (FlagCount - 1 - box)) & 1) != 0 ? "1" : "0";
    values[std::string(ModelKey)] = NameText(write.modelName);
    values[std::string(CompanyKey)] = NameText(write.companyName);
    return values;
}

std::vector<std::string> WrittenKeys(const IdentifyWriteValues &)
{
    return {std::string(ModelKey), std::string(CompanyKey), Key(RatedPowerField),
            std::string(IdKey), std::string(EnergyKey)};
}

std::vector<std::string> WrittenKeys(const ConfigurationWrite &write)
{
    std::vector<std::string> keys;
    if (write.groups[SleepPowerGroup])
        keys.push_back(Key(SleepPowerField));
    // The rated power rewrites the names block, sending the names back as they were read.
    if (write.groups[RatedPowerGroup])
        keys.insert(keys.end(),
                    {Key(RatedPowerField), std::string(ModelKey), std::string(CompanyKey)});
    if (write.groups[CountryGroup]) {
        for (int box = 0; box < FlagCount; ++box)
            keys.push_back(Key(FlagField(box)));
        keys.push_back(Key(CountryCodeField));
        for (int i = 0; i < GridLimitEntryCount; ++i)
            keys.push_back(Key(i));
    }
    if (write.groups[RetryTimeGroup])
        keys.push_back(Key(RetryTimeField));
    return keys;
}

std::vector<RecordedValue> ReadValues(const ValueSnapshot &read)
{
    std::vector<RecordedValue> values;
    for (const auto &[key, value] : read)
        values.push_back({key, std::nullopt, value});
    return values;
}

std::vector<RecordedValue> WriteValues(const std::vector<std::string> &keys,
                                       const ValueSnapshot &sent, const ValueSnapshot &lastRead)
{
    std::vector<RecordedValue> values;
    for (const std::string &key : keys) {
        RecordedValue v{key, std::nullopt, {}};
        if (auto it = sent.find(key); it != sent.end())
            v.value = it->second;
        if (auto it = lastRead.find(key); it != lastRead.end())
            v.before = it->second;
        values.push_back(std::move(v));
    }
    return values;
}

std::string PortName(std::optional<int> listIndex)
{
    return listIndex ? "COM" + IntegerText(*listIndex + 1) : std::string(UnknownText);
}

std::string IsoLocalTime(int year, int month, int day, int hour, int minute, int second,
                         int offsetSeconds)
{
    const char sign = offsetSeconds < 0 ? '-' : '+';
    const int offsetMinutes = std::abs(offsetSeconds) / 60;
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d%c%02d:%02d", year, month, day,
                  hour, minute, second, sign, offsetMinutes / 60, offsetMinutes % 60);
    return text;
}

} // namespace pv
