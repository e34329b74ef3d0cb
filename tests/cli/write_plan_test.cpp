// The write the command line makes of a configuration file, as the window's Load and Write make
// it; the fields it changes; and a read-back compared with what the write filed.

#include "cli/write_plan.h"

#include "link/register_map.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace pv::cli {
namespace {

constexpr int PresetRecords = 3; // the shipped CountryParameter.txt
const CountryListCaptions Captions{{"Germany", "Australia", "United Kingdom", "Own settings"},
                                   "Country"};

// The settings of the shipped example for Germany.
ConfigurationValues Germany()
{
    ConfigurationValues values;
    values.limits = {264, 253, 184, 104, 100, 200, 3000, 300, 51.5f, 47.5f, 61.8f, 58.2f, 100, 100};
    values.sleepPower = 5;
    values.ratedPower = 3.6f;
    values.retryTime = 60;
    values.countryCode = 6;
    return values;
}

struct CountryCase
{
    const char *name;
    std::uint8_t fileCode;
    int records;
    int sentCode; // -1: refused with text 138
};
using CountryOfAFile = ::testing::TestWithParam<CountryCase>;

// A code without a preset goes out as own settings (255), as the window's list chooses it after
// Load; a position the list does not hold chooses no country.
TEST_P(CountryOfAFile, GoesOutAsTheWindowsListChoosesIt)
{
    ConfigurationValues values = Germany();
    values.countryCode = GetParam().fileCode;
    const ConfigurationWriteCheck check = CheckConfigurationWrite(
        EntriesAfterLoad(values, {false, false, true, false}, GetParam().records, Captions,
                         InverterData{}, NumberFormat{}),
        NumberFormat{});
    if (GetParam().sentCode < 0) {
        ASSERT_TRUE(check.refusal);
        EXPECT_EQ(check.refusal->textNumber, 138);
        EXPECT_EQ(RefusedField(*check.refusal), CountryCodeField);
        return;
    }
    ASSERT_TRUE(check.write);
    EXPECT_EQ(check.write->countryCode, GetParam().sentCode);
}

INSTANTIATE_TEST_SUITE_P(Codes, CountryOfAFile,
                         ::testing::Values(CountryCase{"Listed17", 17, PresetRecords, 17},
                                           CountryCase{"Unlisted3", 3, PresetRecords, 255},
                                           CountryCase{"OwnSettingsPastTheList", 3, 5, -1}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(FileCountryCodes, TheListsAndTheUnitsOwnWhenTheListLacksIt)
{
    EXPECT_EQ(FileCountryCodes(PresetRecords, 6), (std::vector<std::uint8_t>{6, 17, 5, 255}));
    EXPECT_EQ(FileCountryCodes(PresetRecords, 3), (std::vector<std::uint8_t>{6, 17, 5, 255, 3}));
}

struct ChangeCase
{
    const char *name;
    WriteGroups groups;
    std::vector<int> changed;
};
using ChangedByTheWrite = ::testing::TestWithParam<ChangeCase>;

// The unit differs from the file in its first limit and its retry time; only the groups
// written count.
TEST_P(ChangedByTheWrite, OnlyTheFieldsOfTheGroupsWritten)
{
    ConfigurationValues unit = Germany();
    unit.limits[0] = 270;
    unit.retryTime = 120;
    EXPECT_EQ(ChangedFields(ConfigurationEntryTexts(unit, NumberFormat{}), Germany(),
                            GetParam().groups, NumberFormat{}),
              GetParam().changed);
}

INSTANTIATE_TEST_SUITE_P(
    Groups, ChangedByTheWrite,
    ::testing::Values(ChangeCase{"All", {true, true, true, true}, {0, RetryTimeField}},
                      ChangeCase{"CountryHasTheLimits", {false, false, true, false}, {0}},
                      ChangeCase{"SleepPowerIsEqual", {true, false, false, false}, {}}),
    [](const auto &info) { return std::string(info.param.name); });

RegisterImage ImageWith(std::uint16_t reg, std::uint16_t word)
{
    RegisterImage image;
    const Bytes bytes{static_cast<std::uint8_t>(word >> 8), static_cast<std::uint8_t>(word)};
    image.CopyReplyToImage(0, 2, bytes, reg::ImageIndex(reg));
    return image;
}

struct ReadBackCase
{
    const char *name;
    WriteGroups groups;
    std::uint16_t reg, written, read;
    std::vector<RegisterDifference> differences;
};
using ReadBack = ::testing::TestWithParam<ReadBackCase>;

TEST_P(ReadBack, DiffersOnlyInARegisterOfAGroupWritten)
{
    const ReadBackCase &c = GetParam();
    EXPECT_EQ(ReadBackDifferences(c.groups, ImageWith(c.reg, c.written), ImageWith(c.reg, c.read)),
              c.differences);
}

INSTANTIATE_TEST_SUITE_P(
    Registers, ReadBack,
    ::testing::Values(
        ReadBackCase{
            "RetryKept", {false, false, false, true}, 0xC085, 120, 60, {{0xC085, 120, 60}}},
        ReadBackCase{"RetryTaken", {false, false, false, true}, 0xC085, 120, 120, {}},
        ReadBackCase{
            "LastLimitKept", {false, false, true, false}, 0xC095, 100, 200, {{0xC095, 100, 200}}},
        ReadBackCase{
            "RatedPowerKept", {false, true, false, false}, 0xC0B1, 36, 40, {{0xC0B1, 36, 40}}},
        ReadBackCase{"NotWrittenGroupIgnored", {true, false, false, false}, 0xC085, 120, 60, {}}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
} // namespace pv::cli
