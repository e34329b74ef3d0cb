#include "write_plan.h"

#include "link/register_map.h"

#include <algorithm>

namespace pv::cli {

std::vector<std::uint8_t> FileCountryCodes(int recordCount,
                                           std::optional<std::uint8_t> reportedCode)
{
    std::vector<std::uint8_t> codes = ListedCountryCodes(CountryListLength, recordCount);
    if (reportedCode && std::find(codes.begin(), codes.end(), *reportedCode) == codes.end())
        codes.push_back(*reportedCode);
    return codes;
}

ConfigurationEntries EntriesAfterLoad(const ConfigurationValues &values, const WriteGroups &groups,
                                      int recordCount, const CountryListCaptions &captions,
                                      const InverterData &unit, const NumberFormat &format)
{
    // Load chooses the country as a read does: the code's list position, whose choice sets the
    // code sent (own settings send 255 for a code without a preset); a position the list does
    // not hold leaves the list showing nothing.
    const int position = CountryToListIndex(values.countryCode, recordCount);
    const bool listed = position < CountryListLength;
    const ConfigurationPanelTexts texts = ConfigurationEntryTexts(values, format);
    ConfigurationEntries entries;
    entries.groups = groups;
    entries.sleepPower = texts.sleepPower;
    entries.ratedPower = texts.ratedPower;
    entries.retryTime = texts.retryTime;
    entries.countryText = listed ? captions.positions[static_cast<std::size_t>(position)] : "";
    entries.noCountryText = captions.none;
    entries.countryCode = listed ? ChoiceAtPosition(position, recordCount).code : std::nullopt;
    entries.flags = values.flags;
    for (int i = 0; i < FlagCount; ++i)
        entries.optionFlags[static_cast<std::size_t>(i)] = unit.OptionFlags(i);
    // Load sets the options after flag boxes 0 and 1, so both are chosen.
    entries.dcInputChosen = true;
    entries.communicationChosen = true;
    entries.limits = texts.limits;
    entries.modelName = unit.ModelName();
    entries.companyName = unit.CompanyName();
    return entries;
}

std::optional<int> RefusedField(const ConfigurationRefusal &refusal)
{
    switch (refusal.entry.control) {
    case ConfigurationControl::Text5:
        return SleepPowerField;
    case ConfigurationControl::Text6:
        return RatedPowerField;
    case ConfigurationControl::Text7:
        return refusal.entry.index;
    case ConfigurationControl::Text8:
        return RetryTimeField;
    case ConfigurationControl::Combo2:
        return CountryCodeField;
    case ConfigurationControl::None:
        break;
    }
    return std::nullopt;
}

std::vector<int> ChangedFields(const ConfigurationPanelTexts &unit, const ConfigurationValues &file,
                               const WriteGroups &groups, const NumberFormat &format)
{
    std::vector<int> changed;
    for (const int field : CompareConfiguration(unit, file, format)) {
        if (groups[FieldWriteGroup(field)])
            changed.push_back(field);
    }
    return changed;
}

std::vector<RegisterDifference> ReadBackDifferences(const WriteGroups &groups,
                                                    const RegisterImage &written,
                                                    const RegisterImage &read)
{
    std::vector<RegisterDifference> differences;
    for (const StepRow<ConfigurationPlan> &row : ConfigurationTable()) {
        const StepFacts &facts = row.facts;
        if (facts.group == AnyGroup || !groups.at(static_cast<std::size_t>(facts.group)))
            continue;
        for (const MirrorSpan &span : facts.mirror) {
            for (std::size_t k = 0; k + 1 < span.length; k += 2) {
                const auto reg = static_cast<std::uint16_t>(span.firstRegister + k / 2);
                const std::size_t at = reg::ImageIndex(reg);
                const auto word = [at](const RegisterImage &image) {
                    return static_cast<std::uint16_t>(image[at] << 8 | image[at + 1]);
                };
                if (word(written) != word(read))
                    differences.push_back({reg, word(written), word(read)});
            }
        }
    }
    return differences;
}

} // namespace pv::cli
