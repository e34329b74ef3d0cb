// What a write attempted, as a record keeps it: each register's checked word decoded by its
// declaration into the unit the technician reads, under the configuration file's keys.

#include "record/service_record.h"
#include "settings/configuration_file.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace pv {
namespace {

struct AttemptRow
{
    const char *name;
    std::function<ValueSnapshot()> attempted;
    std::string key;
    std::string value;
};

class AttemptedValueTest : public ::testing::TestWithParam<AttemptRow>
{
};

TEST_P(AttemptedValueTest, DecodesTheWordSent)
{
    const ValueSnapshot values = GetParam().attempted();
    ASSERT_TRUE(values.contains(GetParam().key));
    EXPECT_EQ(values.at(GetParam().key), GetParam().value);
}

ConfigurationWrite WriteWith(const std::function<void(ConfigurationWrite &)> &fill)
{
    ConfigurationWrite write;
    fill(write);
    return write;
}

const AttemptRow AttemptRows[] = {
    {"IdCountsFromZeroOnTheWire",
     [] {
         IdentifyWriteValues write;
         write.idWord = 41;
         return AttemptedValues(write);
     },
     "id", "42"},
    {"RatedPowerInTenthsOfAKw",
     [] { return AttemptedValues(WriteWith([](auto &w) { w.ratedPower = 35; })); },
     std::string(ConfigurationKey(RatedPowerField)), "3.5"},
    {"FrequencyLimitInTenthsOfAHz",
     [] { return AttemptedValues(WriteWith([](auto &w) { w.limits[8] = 505; })); },
     std::string(ConfigurationKey(8)), "50.5"},
    {"FlagBoxZeroIsTheByteTopBit",
     [] { return AttemptedValues(WriteWith([](auto &w) { w.flags = 0x80; })); },
     std::string(ConfigurationKey(FlagField(0))), "1"},
    {"FlagBoxSevenIsTheByteLowBit",
     [] { return AttemptedValues(WriteWith([](auto &w) { w.flags = 0x80; })); },
     std::string(ConfigurationKey(FlagField(7))), "0"},
};
INSTANTIATE_TEST_SUITE_P(Words, AttemptedValueTest, ::testing::ValuesIn(AttemptRows),
                         [](const auto &info) { return std::string(info.param.name); });

struct KeysRow
{
    const char *name;
    WriteGroups groups;
    std::size_t keyCount;
};

class WrittenKeysTest : public ::testing::TestWithParam<KeysRow>
{
};

// The rated power rewrites the names block; the country group carries the flags and all
// fourteen limits with it.
TEST_P(WrittenKeysTest, NamesEveryRegisterTheGroupsSend)
{
    ConfigurationWrite write;
    write.groups = GetParam().groups;
    EXPECT_EQ(WrittenKeys(write).size(), GetParam().keyCount);
}

const KeysRow KeysRows[] = {
    {"SleepPower", {true, false, false, false}, 1},
    {"RatedPowerWithNames", {false, true, false, false}, 3},
    {"CountryWithFlagsAndLimits", {false, false, true, false}, FlagCount + 1 + GridLimitEntryCount},
};
INSTANTIATE_TEST_SUITE_P(Groups, WrittenKeysTest, ::testing::ValuesIn(KeysRows),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(IsoLocalTimeTest, WritesTheOffsetEvenAtUtc)
{
    EXPECT_EQ(IsoLocalTime(2026, 12, 6, 23, 10, 5, 3600), "2026-12-06T23:10:05+01:00");
    EXPECT_EQ(IsoLocalTime(2026, 12, 6, 23, 10, 5, 0), "2026-12-06T23:10:05+00:00");
    EXPECT_EQ(IsoLocalTime(2026, 12, 6, 23, 10, 5, -12600), "2026-12-06T23:10:05-03:30");
}

} // namespace
} // namespace pv
