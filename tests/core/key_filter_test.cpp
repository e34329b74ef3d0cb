// The key filter kinds of the entries, key by key.

#include "platform/key_filter.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

namespace pv {
namespace {

struct KeyRow
{
    FilterKind kind;
    char32_t key;
    const char *text; // the entry's text before the key
    bool accepted;
};

TEST(KeyAccepted, LetsThroughOnlyTheCharactersOfTheKindsNumber)
{
    constexpr auto None = FilterKind::None, Digits = FilterKind::Digits,
                   Decimal = FilterKind::Decimal;
    const KeyRow rows[] = {
        {None, U'1', "", false},        {None, 8, "", false},
        {Digits, U'0', "", true},       {Digits, U'9', "12", true},
        {Digits, 8, "12", true},        {Digits, U'a', "", false},
        {Digits, U'-', "", false},      {Digits, U'.', "", false},
        {Digits, 13, "", false},        {Digits, 22, "", false},
        {Digits, U'\u0663', "", false}, // an Arabic-Indic 3
        {Decimal, U'.', "", true},      {Decimal, U',', "1", true},
        {Decimal, U'.', "1,5", false},  {Decimal, U',', "1.5", false},
        {Decimal, U'5', "1,", true},    {Decimal, 8, "1,5", true},
        {Decimal, U'e', "1", false},    {Decimal, 3, "1", false},
    };
    for (const KeyRow &row : rows)
        EXPECT_EQ(KeyAccepted(row.kind, row.key, row.text), row.accepted)
            << static_cast<int>(row.kind) << " key " << static_cast<unsigned>(row.key)
            << " after \"" << row.text << "\"";
}

// Delete carries the character 0x7F yet only deletes; keys that move the cursor carry none. Both
// reach every entry, while control characters typed as characters stay out.
TEST(KeyPressAccepted, LetsEditingKeysThroughAndJudgesCharacters)
{
    constexpr auto None = FilterKind::None, Digits = FilterKind::Digits,
                   Decimal = FilterKind::Decimal;
    constexpr KeyPress Delete{true, 0x7F}, Home{true, 0}, FunctionKey{false, 0};
    const std::tuple<FilterKind, KeyPress, bool> rows[] = {
        {Digits, Delete, true},
        {Decimal, Delete, true},
        {None, Delete, true},
        {Digits, Home, true},
        {Decimal, FunctionKey, true},
        {Digits, KeyPress{false, 0x7F}, false},
        {Digits, KeyPress{false, 13}, false},
        {Decimal, KeyPress{false, 22}, false},
        {Digits, KeyPress{false, 1}, false},
        {Digits, KeyPress{false, U'7'}, true},
        {None, KeyPress{false, U'7'}, false},
    };
    for (const auto &[kind, key, accepted] : rows)
        EXPECT_EQ(KeyPressAccepted(kind, key, "12"), accepted)
            << static_cast<int>(kind) << " key " << static_cast<unsigned>(key.code)
            << (key.movesOrEdits ? " (moves or edits)" : "");
}

} // namespace
} // namespace pv
