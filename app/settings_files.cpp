#include "settings_files.h"

#include <algorithm>
#include <charconv>
#include <iterator>
#include <optional>
#include <string_view>
#include <system_error>

namespace pv {

namespace {

constexpr std::size_t CountryHeaderLines = 2;

// Start-up reads six fields of InitSet.txt; whatever follows the sixth comma stays in one
// seventh part that nothing reads, so a damaged file of millions of commas costs nothing.
constexpr std::size_t InitSetParts = 7;

// The text split at every separator, into at most maxParts parts (the last one holds the rest).
std::vector<std::string> SplitAt(std::string_view text, std::string_view separator,
                                 std::size_t maxParts)
{
    std::vector<std::string> parts;
    if (text.empty())
        return parts; // an empty text has no fields at all, not one empty field
    std::size_t start = 0;
    for (;;) {
        const std::size_t at
            = parts.size() + 1 < maxParts ? text.find(separator, start) : std::string_view::npos;
        if (at == std::string_view::npos) {
            parts.emplace_back(text.substr(start));
            return parts;
        }
        parts.emplace_back(text.substr(start, at - start));
        start = at + separator.size();
    }
}

// Lines of a text whose lines end in CR LF or, as a Linux editor saves them, in LF alone. A line
// break ends a line and starts none: the break most editors put after the last line adds no
// empty line.
std::vector<std::string> SplitLines(std::string_view text)
{
    if (!text.empty() && text.back() == '\n')
        text.remove_suffix(1);
    std::vector<std::string> lines = SplitAt(text, "\n", text.size() + 1);
    for (std::string &line : lines) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
    }
    return lines;
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

int ReadLanguageSetting(const std::filesystem::path &writableFolder)
{
    if (!FileIsPresent(writableFolder, LanguageSetFile))
        return FirstLanguage;
    // The picker stores the choice; a number it never offers (9, 10, 0) has no texts.
    const auto stored = StoredLanguageNumber(ReadWholeFile(writableFolder / LanguageSetFile));
    if (!stored || !IsPickerLanguage(*stored))
        return FirstLanguage;
    return *stored;
}

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

ReportVisit ReadReportVisit(const std::filesystem::path &writableFolder)
{
    // One byte more than is taken tells a file that is too large from one that just fits.
    const PlainFileReading file
        = ReadPlainFile(writableFolder / ReportVisitFile, MaxSettingsFileBytes + 1);
    if (file.opening != FileOpening::Opened || file.bytes.size() > MaxSettingsFileBytes)
        return {};
    std::vector<std::string> lines = SplitLines(file.bytes);
    lines.resize(std::max<std::size_t>(lines.size(), 2));
    ReportVisit visit{lines[0], lines[1], {}};
    for (std::size_t i = 2; i < lines.size(); ++i)
        visit.notes += (i > 2 ? "\n" : "") + lines[i];
    return visit;
}

bool SaveReportVisit(const std::filesystem::path &writableFolder, const ReportVisit &visit)
{
    const auto oneLine = [](std::string text) {
        std::replace_if(
            text.begin(), text.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
        return text;
    };
    return WriteTextFile(writableFolder / ReportVisitFile, oneLine(visit.site) + "\r\n"
                                                               + oneLine(visit.technician) + "\r\n"
                                                               + visit.notes);
}

std::vector<std::string> SplitInitSettings(const std::string &content)
{
    return SplitAt(content, ",", InitSetParts);
}

} // namespace pv
