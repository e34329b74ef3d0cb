// The configuration panel's entries: read for saving as the write's checks read them, filled
// from a file's values, and compared with a file.

#include "configuration_file.h"

#include "configuration_fields.h"

namespace pv {

namespace {

using namespace configfield;

const std::string &TextOf(const ConfigurationPanelTexts &panel, int field)
{
    if (field < GridLimitEntryCount)
        return panel.limits[static_cast<std::size_t>(field)];
    if (field == SleepPowerField)
        return panel.sleepPower;
    if (field == RatedPowerField)
        return panel.ratedPower;
    return panel.retryTime;
}

// How an entry of this field is read for saving and comparing: as its register's declaration
// reads it, the 50 Hz limits strictly (a file holds only a number the write sends as it stands).
std::optional<double> PanelNumber(int field, const std::string &text, const NumberFormat &format)
{
    const Reading reading = DeclarationOf(field).reading;
    return EntryNumber(reading == Reading::Prefix ? Reading::Decimal : reading, text, format);
}

} // namespace

PanelReading ReadConfigurationPanel(const ConfigurationPanelTexts &panel,
                                    const NumberFormat &format)
{
    PanelReading reading;
    bool anyText = false;
    for (int field = 0; field < CountryCodeField; ++field)
        anyText = anyText || !TextOf(panel, field).empty();
    if (!anyText) {
        reading.problem = Problem(ConfigurationFault::EmptyPanel, -1);
        return reading;
    }
    ConfigurationValues values;
    for (int field = 0; field < CountryCodeField; ++field) {
        const std::string &text = TextOf(panel, field);
        if (text.empty()) {
            reading.problem = Problem(ConfigurationFault::EmptyEntry, field);
            return reading;
        }
        const auto value = PanelNumber(field, text, format);
        reading.problem = value ? CheckNumber(field, *value, text, format)
                                : Problem(ConfigurationFault::NotNumber, field, text);
        if (reading.problem.fault != ConfigurationFault::None)
            return reading;
        NumberOf(values, field) = static_cast<float>(*value);
    }
    if (!panel.countryCode) {
        reading.problem = Problem(ConfigurationFault::NoCountry, CountryCodeField);
        return reading;
    }
    values.countryCode = *panel.countryCode;
    values.flags = panel.flags;
    reading.values = values;
    return reading;
}

ConfigurationPanelTexts ReadConfigurationTexts(const InverterData &data, const NumberFormat &format)
{
    const ConfigurationTexts read = ConfigurationValueTexts(data, format);
    ConfigurationPanelTexts texts;
    texts.limits = read.limits;
    texts.sleepPower = read.sleepPower;
    texts.ratedPower = read.ratedPower;
    texts.retryTime = read.retryTime;
    texts.countryCode = static_cast<std::uint8_t>(data.CountryCode());
    texts.flags = read.flags;
    return texts;
}

std::string PanelFieldText(const ConfigurationPanelTexts &panel, int field)
{
    if (field < CountryCodeField)
        return TextOf(panel, field);
    if (field == CountryCodeField)
        return panel.countryCode ? std::to_string(*panel.countryCode) : std::string();
    return std::string(
        ConfigurationWord(field, panel.flags[static_cast<std::size_t>(field - FirstFlagField)]));
}

ConfigurationPanelTexts ConfigurationEntryTexts(const ConfigurationValues &values,
                                                const NumberFormat &format)
{
    ConfigurationPanelTexts texts;
    for (int field = 0; field < GridLimitEntryCount; ++field)
        texts.limits[static_cast<std::size_t>(field)]
            = EntryText(field, NumberOf(values, field), format);
    texts.sleepPower = EntryText(SleepPowerField, values.sleepPower, format);
    texts.ratedPower = EntryText(RatedPowerField, values.ratedPower, format);
    texts.retryTime = EntryText(RetryTimeField, values.retryTime, format);
    texts.countryCode = values.countryCode;
    texts.flags = values.flags;
    return texts;
}

std::optional<double> SettingEntryNumber(int field, const std::string &text,
                                         const NumberFormat &format)
{
    return PanelNumber(field, text, format);
}

std::vector<int> CompareConfiguration(const ConfigurationPanelTexts &panel,
                                      const ConfigurationValues &file, const NumberFormat &format)
{
    std::vector<int> differing;
    for (int field = 0; field < ConfigurationFieldCount; ++field) {
        bool same = false;
        if (field < CountryCodeField) {
            // Compared as the entries hold them, in single precision.
            const auto value = PanelNumber(field, TextOf(panel, field), format);
            same = value && static_cast<float>(*value) == NumberOf(file, field);
        } else if (field == CountryCodeField) {
            same = panel.countryCode == file.countryCode;
        } else {
            const auto box = static_cast<std::size_t>(field - FirstFlagField);
            same = panel.flags[box] == file.flags[box];
        }
        if (!same)
            differing.push_back(field);
    }
    return differing;
}

} // namespace pv
