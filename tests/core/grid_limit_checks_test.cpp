// The checks of the fourteen grid limits: every rule at its boundary, the 50 Hz defaults, the
// reactions to empty and out-of-range entries, and the words the limits become.

#include "settings/grid_limit_checks.h"

#include <gtest/gtest.h>

namespace pv {
namespace {

constexpr NumberFormat PointDecimal{'.', ','};
constexpr NumberFormat CommaDecimal{',', '.'};

// Valid limits of a 230 V / 50 Hz grid, by Text7 index.
GridLimitTexts ValidLimits()
{
    return {"264", "253",  "195",  "184",  "200",  "2000", "2000",
            "200", "50.2", "47.5", "60.5", "59.5", "200",  "300"};
}

struct LimitCase
{
    const char *name;
    int entry; // Text7 index changed from the valid limits
    const char *text;
    int textNumber; // 0: the check passes
    bool withCaption = false;
    bool emptied = false;
};

class GridLimitRule : public ::testing::TestWithParam<LimitCase>
{
};

TEST_P(GridLimitRule, PassesOrRefusesThisEntryAlone)
{
    const LimitCase &c = GetParam();
    GridLimitTexts texts = ValidLimits();
    texts[static_cast<std::size_t>(c.entry)] = c.text;
    const GridLimitCheck check = CheckGridLimitEntries(texts, PointDecimal);
    if (c.textNumber == 0) {
        EXPECT_FALSE(check.refusal);
        return;
    }
    ASSERT_TRUE(check.refusal);
    EXPECT_EQ(check.refusal->entry, c.entry);
    EXPECT_EQ(check.refusal->textNumber, c.textNumber);
    EXPECT_EQ(check.refusal->withCaption, c.withCaption);
    EXPECT_EQ(check.refusal->emptyEntry, c.emptied);
}

// Each way an entry passes or is refused: judged as it will be sent (rounded to its register's
// unit), emptied or kept, the 50 Hz limits never refused, a word's end. The ranges themselves
// live in the register declarations; the file test holds every one against the check.
const LimitCase LimitCases[] = {
    {"VminL1_150Accepted", 2, "150", 0},
    {"VminL1_149_4Refused", 2, "149.4", 132, false, true},
    {"VminL1_149_5SentAs150", 2, "149.5", 0},
    {"VminL1_EmptyKeepsItsText", 2, "", 133, true, false},
    {"VmaxL1_300_6Refused", 1, "300.6", 132, false, true},
    {"Fmin50_44NeverRefused", 9, "44", 0},
    {"Fmax50_EmptyNeverRefused", 8, "", 0},
    {"Fmin60_55Refused", 11, "55", 132, false, true},
    {"Fmin60_HalfWithCommaIsEmptyAndEmptied", 11, "0,5", 133, true, true},
    {"FmaxTime_0_4WouldBeSentAs0", 12, "0.4", 132, false, true},
    {"VmaxL1Time_0_6SentAs1", 5, "0.6", 0},
    {"VminL1Time_65536Refused", 6, "65536", 132, false, true},
    {"Fmax60_PastedTextRefused", 10, "62.4.1", 132, false, true},
};

INSTANTIATE_TEST_SUITE_P(GridLimits, GridLimitRule, ::testing::ValuesIn(LimitCases),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(GridLimitChecksTest, OnlyTheFirstFailureIsReported)
{
    GridLimitTexts texts = ValidLimits();
    texts[2] = "";    // Vmin_L1, checked first
    texts[1] = "400"; // Vmax_L1, checked second
    texts[0] = "";    // Vmax_L2, checked last
    const GridLimitCheck check = CheckGridLimitEntries(texts, PointDecimal);
    ASSERT_TRUE(check.refusal);
    EXPECT_EQ(std::pair(check.refusal->entry, check.refusal->textNumber), std::pair(2, 133));
}

// The 50 Hz limits fall back to 47.5 and 50.2 when empty, zero or out of range; the entries
// keep their texts, only what is sent changes.
TEST(GridLimitChecksTest, FiftyHertzLimitsFallBackToTheirDefaults)
{
    // Fmin, Fmax entered; the words sent.
    const std::tuple<const char *, const char *, std::uint16_t, std::uint16_t> rows[]
        = {{"44", "55", 475, 502},
           {"", "0", 475, 502},
           {"45.1", "54.9", 451, 549},
           {"49,5", "50,1", 495, 501},
           {"49.95", "50.05", 475, 502}};
    for (const auto &[fmin, fmax, fminWord, fmaxWord] : rows) {
        SCOPED_TRACE(std::string(fmin) + " / " + fmax);
        GridLimitTexts texts = ValidLimits();
        texts[9] = fmin;
        texts[8] = fmax;
        const GridLimitCheck check = CheckGridLimitEntries(texts, PointDecimal);
        ASSERT_FALSE(check.refusal);
        EXPECT_EQ(std::pair(check.words[9], check.words[8]), std::pair(fminWord, fmaxWord));
        EXPECT_EQ(std::pair(check.EnteredFmin50, check.EnteredFmax50),
                  std::pair(fminWord / 10.0f, fmaxWord / 10.0f));
    }
}

TEST(GridLimitChecksTest, VoltagesAndTimesFollowTheRegionalFormat)
{
    GridLimitTexts texts = ValidLimits();
    texts[2] = "149,4";
    EXPECT_TRUE(CheckGridLimitEntries(texts, CommaDecimal).refusal) << "149 V is too low";
    texts[2] = "150,4"; // sent rounded
    EXPECT_EQ(CheckGridLimitEntries(texts, CommaDecimal).words[2], 150);
    texts[11] = "57,5"; // a comma is the point in the frequencies whatever the format
    EXPECT_EQ(CheckGridLimitEntries(texts, CommaDecimal).words[11], 575);
    texts[2] = "230.5"; // where "." groups thousands this is no number
    const auto check = CheckGridLimitEntries(texts, CommaDecimal);
    ASSERT_TRUE(check.refusal);
    EXPECT_EQ(std::pair(check.refusal->textNumber, check.refusal->emptyEntry),
              std::pair(132, true));
}

} // namespace
} // namespace pv
