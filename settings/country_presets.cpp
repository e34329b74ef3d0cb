#include "country_presets.h"

#include <cstddef>

namespace pv {

namespace {

// The preset countries in list order, with their code and the line of the preset file (counted
// from the first record) that holds their limits.
struct PresetCountry
{
    std::uint8_t code;
    int record;
};
constexpr PresetCountry PresetCountries[] = {
    {6, 1},  // list text 187
    {17, 2}, // list text 200
    {5, 0},  // list text 186
};
constexpr int PresetCountryCount = static_cast<int>(std::size(PresetCountries));

} // namespace

CountryChoice ChoiceAtPosition(int position, int recordCount)
{
    CountryChoice choice;
    if (position >= 0 && position < PresetCountryCount) {
        const PresetCountry &country = PresetCountries[position];
        choice.code = country.code;
        if (country.record < recordCount)
            choice.record = country.record;
    }
    if (position == recordCount) {
        choice.code = OwnSettingsCode;
        choice.ownSettings = true;
    }
    return choice;
}

void ParsePresetRecord(std::string_view record, PresetValues &values)
{
    std::size_t slot = 0;
    std::size_t start = 0;
    // A field is read only once the TAB after it is seen: the last field is never read.
    for (std::size_t tab = record.find('\t'); tab != std::string_view::npos && slot < values.size();
         tab = record.find('\t', start)) {
        values[slot++] = static_cast<float>(NumericPrefixValue(record.substr(start, tab - start)));
        start = tab + 1;
    }
}

int CountryToListIndex(float countryCode, int recordCount)
{
    for (int position = 0; position < PresetCountryCount; ++position) {
        if (countryCode == PresetCountries[position].code)
            return position;
    }
    return recordCount;
}

PresetTexts PresetValueTexts(const PresetValues &values, const NumberFormat &format)
{
    PresetTexts texts;
    for (int i = 0; i < GridLimitEntryCount; ++i)
        texts.limits[static_cast<std::size_t>(i)]
            = GeneralNumberText(values[static_cast<std::size_t>(i)], format);
    texts.retryTime = GeneralNumberText(values[RetryTimeSlot], format);
    return texts;
}

} // namespace pv
