#include "configuration.h"

#include "link/text_numbers.h"

namespace pv {

namespace {

// Steps of the configuration sequence that send a request.
constexpr int SettingsReadStep = 0;
constexpr int RatedPowerReadStep = 2;
constexpr int SleepPowerWriteStep = 4;
constexpr int RatedPowerWriteStep = 6;
constexpr int FlagsCountryWriteStep = 8;
constexpr int GridLimitsWriteStep = 10;
constexpr int RetryTimeWriteStep = 12;

// The settings read: flags and country, sleep power, retry time and the limits.
constexpr std::uint16_t SettingsReadCount
    = reg::GridLimits + reg::GridLimitCount - reg::FlagsCountry;

ConfigurationRefusal Refuse(ConfigurationControl control, int textNumber, bool withCaption = false,
                            bool emptyEntry = false, int index = 0)
{
    return {{control, index}, textNumber, withCaption, emptyEntry};
}

EntryVerdict<ConfigurationEntry> CheckSleepPower(const ConfigurationEntries &entries,
                                                 const NumberFormat &format,
                                                 ConfigurationWriteCheck &check,
                                                 ConfigurationWrite &write)
{
    if (entries.sleepPower.empty()) {
        // An empty sleep power means none: the box shows 0 and 0 is sent.
        check.sleepPowerFilled = true;
        write.sleepPower = 0;
        return std::nullopt;
    }
    const auto word = EntryWord(decl::SleepPower, entries.sleepPower, format);
    if (!word)
        return Refuse(ConfigurationControl::Text5, text::EntryRefused, false, true);
    write.sleepPower = *word;
    return std::nullopt;
}

EntryVerdict<ConfigurationEntry> CheckRatedPower(const ConfigurationEntries &entries,
                                                 const NumberFormat &format,
                                                 ConfigurationWrite &write)
{
    if (entries.ratedPower.empty())
        return Refuse(ConfigurationControl::Text6, text::EntryEmpty, true);
    // The format is the declaration's own: it reads "," as the decimal point.
    const auto word = EntryWord(decl::RatedPower, entries.ratedPower, format);
    // The names go back as they were read; a name that no longer fits its ten bytes is not cut.
    const auto model = PackName(entries.modelName);
    const auto company = PackName(entries.companyName);
    if (!word || !model || !company)
        return Refuse(ConfigurationControl::Text6, text::EntryRefused, false, true);
    write.enteredPowerKw = static_cast<float>(WordValue(decl::RatedPower, *word));
    write.ratedPower = *word;
    write.modelName = *model;
    write.companyName = *company;
    return std::nullopt;
}

EntryVerdict<ConfigurationEntry> CheckCountry(const ConfigurationEntries &entries,
                                              const NumberFormat &format,
                                              ConfigurationWriteCheck &check,
                                              ConfigurationWrite &write)
{
    // The list shows its own text, or nothing, or a position that stands for no country.
    if (entries.countryText.empty() || entries.countryText == entries.noCountryText
        || !entries.countryCode)
        return Refuse(ConfigurationControl::Combo2, text::NoCountry);
    FlagBoxes flags = entries.flags;
    if (!entries.dcInputChosen || !entries.communicationChosen) {
        for (std::size_t i = 0; i < flags.size(); ++i)
            flags[i] = flags[i] || entries.optionFlags[i];
        check.settledFlags = flags;
    }
    const GridLimitCheck limits = CheckGridLimitEntries(entries.limits, format);
    if (limits.refusal) {
        const GridLimitRefusal &r = *limits.refusal;
        return Refuse(ConfigurationControl::Text7, r.textNumber, r.withCaption, r.emptyEntry,
                      r.entry);
    }
    write.flags = FlagsByte(flags);
    write.countryCode = *entries.countryCode;
    write.EnteredFmax50 = limits.EnteredFmax50;
    write.EnteredFmin50 = limits.EnteredFmin50;
    write.EnteredFmax60 = limits.EnteredFmax60;
    write.EnteredFmin60 = limits.EnteredFmin60;
    write.limits = limits.words;
    return std::nullopt;
}

EntryVerdict<ConfigurationEntry> CheckRetryTime(const ConfigurationEntries &entries,
                                                const NumberFormat &format,
                                                ConfigurationWrite &write)
{
    if (entries.retryTime.empty())
        return Refuse(ConfigurationControl::Text8, text::EntryEmpty, true);
    const auto word = EntryWord(decl::RetryTime, entries.retryTime, format);
    if (!word)
        return Refuse(ConfigurationControl::Text8, text::EntryRefused, false, true);
    write.retryTime = *word;
    return std::nullopt;
}

Bytes Words(std::initializer_list<std::uint16_t> words)
{
    Bytes data;
    for (std::uint16_t word : words)
        AppendWord(data, word);
    return data;
}

} // namespace

ConfigurationWriteCheck CheckConfigurationWrite(const ConfigurationEntries &entries,
                                                const NumberFormat &format)
{
    ConfigurationWriteCheck check;
    ConfigurationWrite write;
    write.groups = entries.groups;
    const WriteGroups &ticked = entries.groups;
    if (!ticked[SleepPowerGroup] && !ticked[RatedPowerGroup] && !ticked[CountryGroup]
        && !ticked[RetryTimeGroup]) {
        check.refusal = Refuse(ConfigurationControl::None, text::NoWriteGroup);
        return check;
    }
    if (ticked[SleepPowerGroup])
        check.refusal = CheckSleepPower(entries, format, check, write);
    if (!check.refusal && ticked[RatedPowerGroup])
        check.refusal = CheckRatedPower(entries, format, write);
    if (!check.refusal && ticked[CountryGroup])
        check.refusal = CheckCountry(entries, format, check, write);
    if (!check.refusal && ticked[RetryTimeGroup])
        check.refusal = CheckRetryTime(entries, format, write);
    if (!check.refusal)
        check.write = write;
    return check;
}

std::uint8_t FlagsByte(const FlagBoxes &flags)
{
    std::string digits;
    for (bool ticked : flags)
        digits += ticked ? '1' : '0';
    return static_cast<std::uint8_t>(DigitsToNumber(digits, 2));
}

void BuildConfigurationFrame(int step, const std::optional<ConfigurationWrite> &write,
                             Channel &channel)
{
    channel.request.clear();
    if (step == SettingsReadStep) {
        BuildReadRequest(channel, reg::FlagsCountry, SettingsReadCount);
        return;
    }
    if (step == RatedPowerReadStep) {
        BuildReadRequest(channel, reg::RatedPower, 1);
        return;
    }
    if (!write)
        return;
    const WriteGroups &groups = write->groups;
    switch (step) {
    case SleepPowerWriteStep:
        if (groups[SleepPowerGroup])
            BuildWriteRequest(channel, WriteFunction, reg::SleepPower, Words({write->sleepPower}));
        break;
    case RatedPowerWriteStep:
        if (groups[RatedPowerGroup])
            BuildNamesBlockWrite(channel, write->ratedPower, write->modelName, write->companyName);
        break;
    case FlagsCountryWriteStep:
        if (groups[CountryGroup])
            BuildWriteRequest(channel, WriteFunction, reg::FlagsCountry,
                              Bytes{write->flags, write->countryCode});
        break;
    case GridLimitsWriteStep:
        if (groups[CountryGroup]) {
            Bytes data;
            for (std::uint16_t word : write->limits)
                AppendWord(data, word);
            BuildWriteRequest(channel, WriteFunction, reg::GridLimits, data);
        }
        break;
    case RetryTimeWriteStep:
        if (groups[RetryTimeGroup])
            BuildWriteRequest(channel, WriteFunction, reg::RetryTime, Words({write->retryTime}));
        break;
    default:
        break;
    }
}

ConfigurationTexts ConfigurationValueTexts(const InverterData &data, const NumberFormat &format)
{
    ConfigurationTexts texts;
    texts.sleepPower = GeneralNumberText(data.SleepPower(), format);
    texts.ratedPower = FixedNumberText(data.PowerKw(), 1, format);
    texts.retryTime = GeneralNumberText(data.RetryTime(), format);
    for (int i = 0; i < FlagCount; ++i)
        texts.flags[static_cast<std::size_t>(i)] = data.OptionFlags(i);
    texts.limits = GridLimitValueTexts(data, format);
    return texts;
}

GridLimitTexts GridLimitValueTexts(const InverterData &data, const NumberFormat &format)
{
    GridLimitTexts texts;
    for (int i = 0; i < GridLimitEntryCount; ++i)
        texts[static_cast<std::size_t>(i)] = GeneralNumberText(data.GridLimits(i), format);
    return texts;
}

} // namespace pv
