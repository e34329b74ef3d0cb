// The key filter kinds of the entries, key by key.

#include "platform/key_filter.h"

#include <gtest/gtest.h>

#include <string>

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

} // namespace
} // namespace pv
