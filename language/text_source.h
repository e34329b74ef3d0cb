#pragma once
// The language texts are kept in the repository as one UTF-8 file per language,
// language/texts/<name>.txt, and turned into the language database at build time.
//
// File format, one text per line:
//   NUMBER<TAB>text
// Lines that are empty or start with "#" are comments. A number that has no line is Null in
// the database; a line with nothing after the TAB is an empty text. Within a text:
//   \t  TAB           \n  line break
//   \s  blank (a blank at the end of a text would be lost to editors that trim lines)
//   \\  backslash
// Any other backslash sequence is an error, so a typo does not reach the user unnoticed.

#include "text_count.h"

#include <array>
#include <istream>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace pv {

struct LanguageFile
{
    int column;       // language number, the column of the table
    const char *name; // texts/<name>.txt
};

// Columns 9 and 10 have no language and stay Null.
inline constexpr std::array<LanguageFile, 10> LanguageFiles{{
    {1, "en"},
    {2, "zh-Hant"},
    {3, "fr"},
    {4, "es"},
    {5, "pt"},
    {6, "de"},
    {7, "it"},
    {8, "nl"},
    {11, "zh-Hans"},
    {12, "ko"},
}};

inline constexpr int LanguageColumnCount = 12; // languages 1..12 after the number column

// The text with its escapes resolved; nothing when an escape is unknown or unfinished.
std::optional<std::string> UnescapeText(std::string_view escaped);

// Reads a whole text file into texts. On the first faulty line returns false with error
// holding "<source>:<line>: <what>". A CR before the line end is dropped.
bool ParseTextFile(std::istream &in, const std::string &source, std::map<int, std::string> &texts,
                   std::string &error);

} // namespace pv
