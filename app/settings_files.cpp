#include "settings_files.h"

#include <charconv>
#include <iterator>
#include <optional>
#include <string_view>
#include <system_error>

namespace pv {

namespace {

constexpr std::string_view CountryLineBreak = "\r\n";
constexpr std::size_t CountryHeaderLines = 2;

std::vector<std::string> SplitAt(std::string_view text, std::string_view separator)
{
    std::vector<std::string> parts;
    if (text.empty())
        return parts; // an empty text has no fields at all, not one empty field
    std::size_t start = 0;
    for (;;) {
        const std::size_t at = text.find(separator, start);
        if (at == std::string_view::npos) {
            parts.emplace_back(text.substr(start));
            return parts;
        }
        parts.emplace_back(text.substr(start, at - start));
        start = at + separator.size();
    }
}

// A 16-bit integer written as decimal digits, blanks and a trailing line break allowed
// around it; anything else is not a language number.
std::optional<int> StoredLanguageNumber(std::string_view text)
{
    const auto isPadding = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && isPadding(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isPadding(text.back()))
        text.remove_suffix(1);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    std::int16_t number = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (text.empty() || error != std::errc{} || end != text.data() + text.size())
        return std::nullopt;
    return number;
}

} // namespace

int ReadLanguageSetting(const std::filesystem::path &programFolder)
{
    if (!FileIsPresent(programFolder, LanguageSetFile))
        return FirstLanguage;
    // The picker stores the choice; a number it never offers (9, 10, 0) has no texts.
    const auto stored = StoredLanguageNumber(ReadWholeFile(programFolder / LanguageSetFile));
    if (!stored || !IsPickerLanguage(*stored))
        return FirstLanguage;
    return *stored;
}

bool ReadCountryRecords(const std::filesystem::path &programFolder,
                        std::vector<std::string> &records)
{
    if (!FileIsPresent(programFolder, CountryParameterFile))
        return false;
    // Only CR LF ends a line: a lone LF stays inside the record it falls in.
    auto lines = SplitAt(ReadWholeFile(programFolder / CountryParameterFile), CountryLineBreak);
    if (lines.size() <= CountryHeaderLines)
        return false;
    records.assign(std::make_move_iterator(lines.begin() + CountryHeaderLines),
                   std::make_move_iterator(lines.end()));
    return true;
}

std::vector<std::string> SplitInitSettings(const std::string &content)
{
    return SplitAt(content, ",");
}

} // namespace pv
