#include "text_lines.h"

#include <algorithm>

namespace pv {

namespace {

constexpr std::string_view Blanks = " \t";

} // namespace

std::string_view TrimmedBlanks(std::string_view text)
{
    const auto first = text.find_first_not_of(Blanks);
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(Blanks) - first + 1);
}

std::optional<std::size_t> FirstNonTextByte(std::string_view bytes)
{
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        if (byte < 0x80) {
            if ((byte < 0x20 && byte != '\t' && byte != '\r' && byte != '\n') || byte == 0x7F)
                return i;
            ++i;
            continue;
        }
        // Lead byte: length and the smallest code point it may carry (no overlong forms).
        const std::size_t length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC2 ? 2 : 0;
        if (length == 0 || byte > 0xF4 || i + length > bytes.size())
            return i;
        char32_t code = byte & (0x7F >> length);
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(bytes[i + k]);
            if ((next & 0xC0) != 0x80)
                return i;
            code = code << 6 | (next & 0x3F);
        }
        const char32_t smallest = length == 2 ? 0x80 : length == 3 ? 0x800 : 0x10000;
        if (code < smallest || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)
            || (code >= 0x80 && code <= 0x9F))
            return i;
        i += length;
    }
    return std::nullopt;
}

int LineAt(std::string_view bytes, std::size_t offset)
{
    return 1 + static_cast<int>(std::count(bytes.begin(), bytes.begin() + offset, '\n'));
}

std::string ClippedText(std::string_view text, std::size_t characters)
{
    std::size_t counted = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80 && counted++ == characters)
            return std::string(text.substr(0, i)) + "\u2026";
    }
    return std::string(text);
}

std::string SingleLineText(std::string_view text)
{
    std::string safe(text);
    for (char &c : safe) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F)
            c = '?';
    }
    return safe;
}

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

} // namespace pv
