// The identifiers panel's core: what a Write lets through and the exact frame of every step.

#include "link/line_recorder.h"
#include "settings/identifiers.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

namespace pv {
namespace {

const NumberFormat Point{'.', ','};
const NumberFormat Comma{',', '.'};

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
    const IdentifyWriteCheck check = CheckIdentifyWrite({"7", "70000", "ABC", "Sun"}, 3.5, Point);
    ASSERT_TRUE(check.values);
    const StepFrame &row = GetParam();
    Channel channel;
    channel.request = {0x01}; // a step that sends nothing must not leave the last frame behind
    BuildIdentifyStepRequest(row.step, &*check.values, channel);
    EXPECT_EQ(HexText(channel.request), row.frame);
    EXPECT_EQ(channel.request.empty() ? 0 : channel.sent.replyAddress, row.replyAddress);
    BuildIdentifyStepRequest(row.step, nullptr, channel);
    EXPECT_EQ(channel.request.empty(), row.step >= 6) << "a write sends checked values only";
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

// ---- the checks of a Write

using Entry = IdentifierEntry;
using Refusal = EntryRefusal<Entry>;
using Sent = std::tuple<std::uint16_t, std::int32_t, std::uint16_t>; // ID word, energy, power word

struct WriteCheckRow
{
    const char *name;
    IdentifierEntries entries;
    std::optional<Refusal> refusal; // the entry and text, caption appended, entry emptied
    Sent sent{};
    double powerKw = 3.5;
    const NumberFormat *format = &Point;
};

class IdentifyWriteChecks : public ::testing::TestWithParam<WriteCheckRow>
{
};

TEST_P(IdentifyWriteChecks, RefuseOrPassWithTheValuesSent)
{
    const WriteCheckRow &row = GetParam();
    const IdentifyWriteCheck check = CheckIdentifyWrite(row.entries, row.powerKw, *row.format);
    // An empty energy counter is written as zero, and the panel shows it.
    EXPECT_EQ(check.energyFilledWithZero, row.entries.energy.empty());
    ASSERT_NE(check.refusal.has_value(), check.values.has_value());
    if (row.refusal) {
        ASSERT_TRUE(check.refusal);
        const Refusal &r = *check.refusal;
        EXPECT_EQ(std::tie(r.entry, r.textNumber, r.withCaption, r.emptyEntry),
                  std::tie(row.refusal->entry, row.refusal->textNumber, row.refusal->withCaption,
                           row.refusal->emptyEntry));
    } else {
        ASSERT_TRUE(check.values);
        const IdentifyWriteValues &v = *check.values;
        EXPECT_EQ(std::tie(v.idWord, v.energy, v.ratedPowerWord), row.sent);
    }
}

constexpr Refusal IdRefused{Entry::Id, 132, false, true};
constexpr Refusal EnergyRefused{Entry::Energy, 132, false, true};

const WriteCheckRow WriteCheckRows[] = {
    {"IdEmptyAsksForIt", {"", "5", "", ""}, Refusal{Entry::Id, 133, true, false}},
    {"IdZero", {"0", "5", "", ""}, IdRefused},
    {"Id65536", {"65536", "5", "", ""}, IdRefused},
    {"IdOne", {"1", "5", "", ""}, {}, {0, 5, 35}},
    {"Id65535", {"65535", "5", "", ""}, {}, {65534, 5, 35}},
    {"IdBeforeEnergy", {"0", "x", "", ""}, IdRefused},
    {"EnergyEmptyIsZero", {"3", "", "", ""}, {}, {2, 0, 35}},
    {"Energy2147483646", {"3", "2147483646", "", ""}, {}, {2, 2147483646, 35}},
    {"Energy2147483647", {"3", "2147483647", "", ""}, EnergyRefused},
    {"EnergyInTheCommaFormat", {"3", "1.000,5", "", ""}, {}, {2, 1000, 35}, 3.5, &Comma},
    {"ModelOfTenCodePageBytes",
     {"3", "1",
      "\xC3\x89"
      "ABCDEFGHI",
      "0123456789"},
     {},
     {2, 1, 35}},
    {"ModelTooLong", {"3", "1", "ABCDEFGHIJK", ""}, Refusal{Entry::ModelName, 132, false, true}},
    {"CompanyTooLong",
     {"3", "1", "", "ABCDEFGHIJK"},
     Refusal{Entry::CompanyName, 132, false, true}},
    // The rated power goes back as the very word it was read from, an unsigned word.
    {"RatedPowerHighestWord", {"3", "1", "", ""}, {}, {2, 1, 0xFFFF}, 6553.5},
    {"RatedPowerNoWordHolds", {"3", "1", "", ""}, Refusal{Entry::RatedPower, 132}, {}, 6553.6},
    {"RatedPowerBelowZeroNoWordHolds",
     {"3", "1", "", ""},
     Refusal{Entry::RatedPower, 132},
     {},
     -0.1},
};

INSTANTIATE_TEST_SUITE_P(Identifiers, IdentifyWriteChecks, ::testing::ValuesIn(WriteCheckRows),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
} // namespace pv
