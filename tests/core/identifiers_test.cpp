// The identifiers panel's core: what a Write lets through and the exact frame of every step.

#include "settings/identifiers.h"

#include <gtest/gtest.h>

#include <string>

namespace pv {
namespace {

const NumberFormat Point{'.', ','};
const NumberFormat Comma{',', '.'};

std::string Hex(const Bytes &bytes)
{
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string hex;
    for (std::uint8_t b : bytes)
        hex += std::string(hex.empty() ? "" : " ") + digits[b >> 4] + digits[b & 15];
    return hex;
}

IdentifyWriteValues Checked(const IdentifierEntries &entries, double powerKw)
{
    const IdentifyWriteCheck check = CheckIdentifyWrite(entries, powerKw, Point);
    EXPECT_FALSE(check.refusal);
    return check.values.value_or(IdentifyWriteValues{});
}

struct StepFrame
{
    const char *name;
    int step;
    const char *frame; // CRC included; empty: nothing is sent
    std::uint32_t replyAddress;
};

class IdentifyFrames : public ::testing::TestWithParam<StepFrame>
{
};

// The values of a Write of ID 7, 70000 kWh, model "ABC" and company "Sun" on a 3.5 kW unit.
TEST_P(IdentifyFrames, StepSendsExactlyThisFrameAndFilesItsReplyThere)
{
    const IdentifyWriteValues values = Checked({"7", "70000", "ABC", "Sun"}, 3.5);
    const StepFrame &row = GetParam();
    Channel channel;
    channel.request = {0x01}; // a step that sends nothing must not leave the last frame behind
    BuildIdentifyStepRequest(row.step, &values, channel);
    EXPECT_EQ(Hex(channel.request), row.frame);
    if (!channel.request.empty()) {
        EXPECT_EQ(channel.sent.replyAddress, row.replyAddress);
    }
}

const StepFrame StepFrames[] = {
    {"Step0ReadsNamesBlock", 0, "FF 03 C0 B0 00 13 2C 3E", 0xC160},
    {"Step2ReadsId", 2, "FF 03 C0 80 00 01 AC 3C", 0xC100},
    {"Step4ReadsEnergy", 4, "FF 03 C0 31 00 02 BC 1A", 0xC062},
    // Rated power 35 twice, then both names zero-filled to ten bytes.
    {"Step6WritesNamesBlock", 6,
     "FF 10 C0 B0 00 0C 18 00 23 00 23 41 42 43 00 00 00 00 00 00 00 53 75 6E 00 00 00 00 00 00 "
     "00 33 52",
     0xC160},
    {"Step8WritesIdMinusOne", 8, "FF 10 C0 80 00 01 02 00 06 B1 FA", 0xC100},
    {"Step10WritesEnergyHighHalf", 10, "FF 64 CF 01 00 01 CA C8", 0xC002},
    {"Step12WritesEnergyLowHalf", 12, "FF 64 CF 02 11 70 F6 BC", 0xC004},
    {"ReplyStepSendsNothing", 7, "", 0},
};

INSTANTIATE_TEST_SUITE_P(Identifiers, IdentifyFrames, ::testing::ValuesIn(StepFrames),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(IdentifyFramesTest, WriteStepsWithoutCheckedValuesSendNothing)
{
    for (int step : {6, 8, 10, 12}) {
        Channel channel;
        BuildIdentifyStepRequest(step, nullptr, channel);
        EXPECT_TRUE(channel.request.empty()) << step;
    }
}

TEST(IdentifyFramesTest, EmptyEnergyCounterIsWrittenAsZeroAndShownAsZero)
{
    const IdentifyWriteCheck check = CheckIdentifyWrite({"1", "", "", ""}, 0, Point);
    ASSERT_TRUE(check.values);
    EXPECT_TRUE(check.energyFilledWithZero);
    Channel high, low;
    BuildIdentifyStepRequest(10, &*check.values, high);
    BuildIdentifyStepRequest(12, &*check.values, low);
    EXPECT_EQ(Hex(high.request), "FF 64 CF 01 00 00 0B 08");
    EXPECT_EQ(Hex(low.request), "FF 64 CF 02 00 00 FB 08");
}

// ---- the checks of a Write
// -----------------------------------------------------------------------

struct WriteCheckRow
{
    const char *name;
    IdentifierEntries entries;
    double powerKw = 3.5;
    // Refused: the entry and text, the label caption appended, the entry emptied.
    std::optional<EntryRefusal<IdentifierEntry>> refusal;
    // Accepted: the ID word, the energy counter and the rated power word sent.
    std::uint16_t idWord = 0;
    std::int32_t energy = 0;
    std::uint16_t ratedPowerWord = 35;
    bool energyFilledWithZero = false;
    const NumberFormat *format = &Point;
};

using Entry = IdentifierEntry;
constexpr EntryRefusal<Entry> IdEmpty{Entry::Id, 133, true, false};
constexpr EntryRefusal<Entry> IdRefused{Entry::Id, 132, false, true};
constexpr EntryRefusal<Entry> EnergyRefused{Entry::Energy, 132, false, true};

class IdentifyWriteChecks : public ::testing::TestWithParam<WriteCheckRow>
{
};

TEST_P(IdentifyWriteChecks, RefuseOrPassWithTheValuesSent)
{
    const WriteCheckRow &row = GetParam();
    const IdentifyWriteCheck check = CheckIdentifyWrite(row.entries, row.powerKw, *row.format);
    EXPECT_EQ(check.energyFilledWithZero, row.energyFilledWithZero);
    ASSERT_NE(check.refusal.has_value(), check.values.has_value());
    if (row.refusal) {
        ASSERT_TRUE(check.refusal);
        EXPECT_EQ(check.refusal->entry, row.refusal->entry);
        EXPECT_EQ(check.refusal->textNumber, row.refusal->textNumber);
        EXPECT_EQ(check.refusal->withCaption, row.refusal->withCaption);
        EXPECT_EQ(check.refusal->emptyEntry, row.refusal->emptyEntry);
        return;
    }
    ASSERT_TRUE(check.values);
    EXPECT_EQ(check.values->idWord, row.idWord);
    EXPECT_EQ(check.values->energy, row.energy);
    EXPECT_EQ(check.values->ratedPowerWord, row.ratedPowerWord);
}

const WriteCheckRow WriteCheckRows[] = {
    {"IdEmptyAsksForIt", {"", "5", "", ""}, 3.5, IdEmpty},
    {"IdZero", {"0", "5", "", ""}, 3.5, IdRefused},
    {"Id65536", {"65536", "5", "", ""}, 3.5, IdRefused},
    {"IdOne", {"1", "5", "", ""}, 3.5, {}, 0, 5},
    {"Id65535", {"65535", "5", "", ""}, 3.5, {}, 65534, 5},
    {"IdPastedLetters", {"12a", "5", "", ""}, 3.5, IdRefused},
    {"IdPastedNegative", {"-5", "5", "", ""}, 3.5, IdRefused},
    {"IdHalfRoundsToEvenZero", {"0.5", "5", "", ""}, 3.5, IdRefused},
    {"IdHalfRoundsToEvenTwo", {"2.5", "5", "", ""}, 3.5, {}, 1, 5},
    {"IdBeforeEnergy", {"0", "", "", ""}, 3.5, IdRefused},
    {"EnergyEmptyIsZero", {"3", "", "", ""}, 3.5, {}, 2, 0, 35, true},
    {"Energy2147483647", {"3", "2147483647", "", ""}, 3.5, EnergyRefused},
    {"Energy2147483646", {"3", "2147483646", "", ""}, 3.5, {}, 2, 2147483646},
    {"EnergyBeyondAnyInteger", {"3", "99999999999", "", ""}, 3.5, EnergyRefused},
    {"EnergyPastedLetters", {"3", "12a", "", ""}, 3.5, EnergyRefused},
    {"EnergyPastedNegative", {"3", "-1", "", ""}, 3.5, EnergyRefused},
    {"EnergyInTheCommaFormat", {"3", "1.000,5", "", ""}, 3.5, {}, 2, 1000, 35, false, &Comma},
    {"PointIsNoDecimalInTheCommaFormat",
     {"3", "2.5", "", ""},
     3.5,
     EnergyRefused,
     0,
     0,
     35,
     false,
     &Comma},
    {"ModelOfTenCodePageBytes",
     {"3", "1",
      "\xC3\x89"
      "ABCDEFGHI",
      "0123456789"},
     3.5,
     {},
     2,
     1},
    {"ModelTooLong",
     {"3", "", "ABCDEFGHIJK", ""},
     3.5,
     {{Entry::ModelName, 132, false, true}},
     0,
     0,
     35,
     true},
    {"CompanyTooLong",
     {"3", "1", "", "ABCDEFGHIJK"},
     3.5,
     {{Entry::CompanyName, 132, false, true}}},
    // The rated power goes back as the very word it was read from.
    {"RatedPowerNegativeGoesBackAsItsWord", {"3", "1", "", ""}, -0.1, {}, 2, 1, 0xFFFF},
    {"RatedPowerLowestWord", {"3", "1", "", ""}, -3276.8, {}, 2, 1, 0x8000},
    {"RatedPowerHighestWord", {"3", "1", "", ""}, 3276.7, {}, 2, 1, 0x7FFF},
    {"RatedPowerNoWordHolds", {"3", "1", "", ""}, 3276.8, {{Entry::RatedPower, 132}}},
};

INSTANTIATE_TEST_SUITE_P(Identifiers, IdentifyWriteChecks, ::testing::ValuesIn(WriteCheckRows),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
} // namespace pv
