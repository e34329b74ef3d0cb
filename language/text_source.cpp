#include "text_source.h"

#include "platform/language_store.h"

#include <charconv>

namespace pv {

namespace {

// Text numbers are row indices of a table read with 16-bit indices.
constexpr int MaxTextNumber = MaxLanguageRows - 1;

} // namespace

std::optional<std::string> UnescapeText(std::string_view escaped)
{
    std::string text;
    text.reserve(escaped.size());
    for (std::size_t i = 0; i < escaped.size(); ++i) {
        if (escaped[i] != '\\') {
            text += escaped[i];
            continue;
        }
        if (++i == escaped.size())
            return std::nullopt;
        switch (escaped[i]) {
        case 't':
            text += '\t';
            break;
        case 'n':
            text += '\n';
            break;
        case 's':
            text += ' ';
            break;
        case '\\':
            text += '\\';
            break;
        default:
            return std::nullopt;
        }
    }
    return text;
}

bool ParseTextFile(std::istream &in, const std::string &source, std::map<int, std::string> &texts,
                   std::string &error)
{
    std::string line;
    int lineNumber = 0;
    const auto fail = [&](const std::string &what) {
        error = source + ":" + std::to_string(lineNumber) + ": " + what;
        return false;
    };
    while (std::getline(in, line)) {
        ++lineNumber;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty() || line.front() == '#')
            continue;
        const auto tab = line.find('\t');
        if (tab == std::string::npos)
            return fail("no TAB after the text number");
        int number = -1;
        const char *first = line.data();
        const char *last = line.data() + tab;
        const auto [end, ec] = std::from_chars(first, last, number);
        if (ec != std::errc() || end != last || number < 0 || number > MaxTextNumber)
            return fail("text number is not a number from 0 to 32767");
        const auto text = UnescapeText(std::string_view(line).substr(tab + 1));
        if (!text)
            return fail("unknown escape (use \\t \\n \\s \\\\)");
        // The tool refuses a table with a longer text; the build refuses to make one.
        if (!FitsLanguageTable(*text))
            return fail("text is longer than " + std::to_string(MaxLanguageTextCharacters)
                        + " characters");
        if (!texts.emplace(number, *text).second)
            return fail("text " + std::to_string(number) + " is given twice");
    }
    return true;
}

} // namespace pv
