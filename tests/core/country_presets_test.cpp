// The country list: which record and code each position stands for, the preset values of a
// record, and the position of a code read from the inverter.

#include "settings/country_presets.h"

#include <gtest/gtest.h>

#include <tuple>

namespace pv {
namespace {

TEST(CountryPresetsTest, EachPositionNamesItsCodeAndRecord)
{
    constexpr auto None = std::nullopt;
    // Position, records, code, record, own settings.
    const std::tuple<int, int, std::optional<std::uint8_t>, std::optional<int>, bool> cases[] = {
        // Three records: a preset, then own settings.
        {1, 3, 17, 2, false},
        {3, 3, 255, None, true},
        // A fourth record: position 3 is a list entry that stands for no country.
        {3, 4, None, None, false},
        {-1, 3, None, None, false}, // no position chosen
        // Fewer records: a missing record leaves the entries alone; own settings wins the code.
        {0, 1, 6, None, false},
        {1, 1, 255, None, true},
        {2, 2, 255, 0, true},
    };
    for (const auto &[position, records, code, record, own] : cases) {
        const CountryChoice choice = ChoiceAtPosition(position, records);
        EXPECT_EQ(std::tie(choice.code, choice.record, choice.ownSettings),
                  std::tie(code, record, own))
            << "position " << position << " of " << records;
    }
}

TEST(CountryPresetsTest, RecordFillsItsFifteenSlotsAndNeverReadsItsLastField)
{
    PresetValues values{};
    ParsePresetRecord("275\t265\t180\t150\t200\t1000\t10000\t2000\t52.0\t47.0\t62.4\t57.0\t200\t"
                      "1000\t60\t99\t98",
                      values);
    EXPECT_EQ(values, (PresetValues{275, 265, 180, 150, 200, 1000, 10000, 2000, 52.0f, 47.0f, 62.4f,
                                    57.0f, 200, 1000, 60}));

    // Ten fields after sixteen: slots 0..8 change, 9..14 keep the earlier country's values.
    ParsePresetRecord("264\t253\t184\t104\t100\t200\t3000\t300\t51.5\tName", values);
    EXPECT_EQ(values, (PresetValues{264, 253, 184, 104, 100, 200, 3000, 300, 51.5f, 47.0f, 62.4f,
                                    57.0f, 200, 1000, 60}));

    // A field without a number gives 0; "." is the point and a comma ends the number; blanks
    // are ignored; an empty record changes nothing.
    ParsePresetRecord("abc\t264.5\t47,5\t 1 2\t", values);
    EXPECT_EQ(std::vector(values.begin(), values.begin() + 4),
              (std::vector<float>{0.0f, 264.5f, 47.0f, 12.0f}));
    ParsePresetRecord("", values);
    EXPECT_EQ(values[1], 264.5f);
}

TEST(CountryPresetsTest, CodeReadChoosesThePresetOrOwnSettings)
{
    const std::pair<float, int> cases[] = {{17, 1}, {255, 3}, {9, 3}};
    for (const auto &[code, position] : cases)
        EXPECT_EQ(CountryToListIndex(code, 3), position) << code;
    EXPECT_EQ(CountryToListIndex(9, 4), 4) << "own settings after a fourth record";
}

} // namespace
} // namespace pv
