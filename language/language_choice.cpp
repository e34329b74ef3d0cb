#include "language_choice.h"

#include "platform/files.h"

#include <charconv>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

namespace pv {

namespace {

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

bool IsPickerLanguage(int number)
{
    return (number >= 1 && number <= 8) || number == 11 || number == 12;
}

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

bool SaveLanguageChoice(const std::filesystem::path &writableFolder, int index)
{
    // The choice is kept only where the installation asked for it by shipping the file.
    if (!FileIsPresent(writableFolder, LanguageSetFile))
        return false;
    return WriteTextFile(writableFolder / LanguageSetFile, std::to_string(index + 1));
}

} // namespace pv
