#include "country_presets.h"

#include "text_lines.h"

#include "platform/files.h"

#include <cstddef>
#include <iterator>

namespace pv {

namespace {

constexpr std::size_t CountryHeaderLines = 2;

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

bool ReadCountryRecords(const std::filesystem::path &programFolder,
                        std::vector<std::string> &records)
{
    if (!FileIsPresent(programFolder, CountryParameterFile))
        return false;
    // CR LF ends a line, and so does a lone LF: a file saved by a Linux editor reads alike.
    auto lines = SplitLines(ReadWholeFile(programFolder / CountryParameterFile));
    if (lines.size() <= CountryHeaderLines)
        return false;
    records.assign(std::make_move_iterator(lines.begin() + CountryHeaderLines),
                   std::make_move_iterator(lines.end()));
    return true;
}

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

std::vector<std::uint8_t> ListedCountryCodes(int positions, int recordCount)
{
    std::vector<std::uint8_t> codes;
    for (int position = 0; position < positions; ++position) {
        if (const auto code = ChoiceAtPosition(position, recordCount).code)
            codes.push_back(*code);
    }
    return codes;
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
