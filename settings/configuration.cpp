#include "configuration.h"

#include "link/text_numbers.h"

#include <algorithm>

namespace pv {

namespace {

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

bool ReplacesUnlistedCountry(const ConfigurationWrite &write, std::uint8_t held,
                             const std::vector<std::uint8_t> &listed)
{
    return write.groups[CountryGroup] && write.countryCode != held
           && std::find(listed.begin(), listed.end(), held) == listed.end();
}

std::uint8_t FlagsByte(const FlagBoxes &flags)
{
    std::string digits;
    for (bool ticked : flags)
        digits += ticked ? '1' : '0';
    return static_cast<std::uint8_t>(DigitsToNumber(digits, 2));
}

namespace {

void BuildSettingsRead(const ConfigurationPlan &, Channel &channel)
{
    BuildReadRequest(channel, reg::FlagsCountry, SettingsReadCount);
}

void BuildRatedPowerRead(const ConfigurationPlan &, Channel &channel)
{
    BuildReadRequest(channel, reg::RatedPower, 1);
}

bool Carries(const ConfigurationPlan &plan, WriteGroup group)
{
    return plan && plan->groups[group];
}

void BuildSleepPowerWrite(const ConfigurationPlan &plan, Channel &channel)
{
    if (Carries(plan, SleepPowerGroup))
        BuildWriteRequest(channel, WriteFunction, reg::SleepPower, Words({plan->sleepPower}));
}

void BuildRatedPowerWrite(const ConfigurationPlan &plan, Channel &channel)
{
    if (Carries(plan, RatedPowerGroup))
        BuildNamesBlockWrite(channel, plan->ratedPower, plan->modelName, plan->companyName);
}

void BuildFlagsCountryWrite(const ConfigurationPlan &plan, Channel &channel)
{
    if (Carries(plan, CountryGroup))
        BuildWriteRequest(channel, WriteFunction, reg::FlagsCountry,
                          Bytes{plan->flags, plan->countryCode});
}

void BuildGridLimitsWrite(const ConfigurationPlan &plan, Channel &channel)
{
    if (!Carries(plan, CountryGroup))
        return;
    Bytes data;
    for (std::uint16_t word : plan->limits)
        AppendWord(data, word);
    BuildWriteRequest(channel, WriteFunction, reg::GridLimits, data);
}

void BuildRetryTimeWrite(const ConfigurationPlan &plan, Channel &channel)
{
    if (Carries(plan, RetryTimeGroup))
        BuildWriteRequest(channel, WriteFunction, reg::RetryTime, Words({plan->retryTime}));
}

constexpr int Send = WriteStepIntervalMs, Answer = ReadStepIntervalMs, Keep = KeepInterval;
constexpr int Sleep = SleepPowerGroup, Rated = RatedPowerGroup, Country = CountryGroup,
              Retry = RetryTimeGroup;

// Mirror of a one-word write of the 0xC000 block.
constexpr std::array<MirrorSpan, 2> WordMirror(std::uint16_t reg)
{
    return {MirrorSpan{reg, 2, BlockWriteDataIndex}};
}

// Step, sends, discards first, interval, group, mirror of the acknowledged write, judge, next;
// then the builder. The rated power write sends the identify write's block; only its 0xC0B1
// word is mirrored.
constexpr StepRow<ConfigurationPlan> Rows[] = {
    {{0, true, true, Keep, AnyGroup, {}, nullptr, 1}, BuildSettingsRead},
    {{1, false, false, Keep, AnyGroup, {}, nullptr, 2}},
    {{2, true, true, Keep, AnyGroup, {}, nullptr, 3}, BuildRatedPowerRead},
    {{3, false, false, Keep, AnyGroup, {}, nullptr, NoStep}},
    {{4, true, true, Send, Sleep, {}, nullptr, 5}, BuildSleepPowerWrite},
    {{5, false, false, Answer, Sleep, WordMirror(decl::SleepPower.address), nullptr, 6}},
    {{6, true, true, Send, Rated, {}, nullptr, 7}, BuildRatedPowerWrite},
    {{7,
      false,
      false,
      Answer,
      Rated,
      {MirrorSpan{decl::RatedPower.address, 2, BlockWriteDataIndex + 2}},
      nullptr,
      8}},
    {{8, true, true, Send, Country, {}, nullptr, 9}, BuildFlagsCountryWrite},
    {{9, false, false, Answer, Country, WordMirror(reg::FlagsCountry), nullptr, 10}},
    {{10, true, true, Send, Country, {}, nullptr, 11}, BuildGridLimitsWrite},
    {{11,
      false,
      false,
      Answer,
      Country,
      {MirrorSpan{decl::GridLimits[0].address, 2 * reg::GridLimitCount, BlockWriteDataIndex}},
      nullptr,
      12}},
    {{12, true, true, Send, Retry, {}, nullptr, 13}, BuildRetryTimeWrite},
    {{13, false, false, Answer, Retry, WordMirror(decl::RetryTime.address), nullptr, NoStep}},
};

} // namespace

std::span<const StepRow<ConfigurationPlan>> ConfigurationTable()
{
    return Rows;
}

ExchangeRun ConfigurationRun(ConfigurationPlan plan)
{
    const ExchangeStart start = plan ? ConfigurationWriteStart : ConfigurationReadStart;
    WriteGroups groups{};
    if (plan)
        groups = plan->groups;
    return ExchangeRun(ConfigurationTable(), std::move(plan), start,
                       [groups](int group) { return groups.at(static_cast<std::size_t>(group)); });
}

void BuildConfigurationFrame(int step, const std::optional<ConfigurationWrite> &write,
                             Channel &channel)
{
    channel.request.clear();
    for (const StepRow<ConfigurationPlan> &row : ConfigurationTable()) {
        if (row.facts.step == step && row.build != nullptr)
            row.build(write, channel);
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
