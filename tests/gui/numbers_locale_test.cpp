// The number conversions inside a window application, whose C library takes its number settings
// from the system: the conversions must not follow them. The same table runs under LC_ALL=C and
// under the comma-decimal locale of the second test run; the regional format is read from the
// platform as the tool reads it.

#include "link/numbers.h"
#include "monitor/monitor_texts.h"
#include "platform/number_format.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <functional>
#include <optional>
#include <string>

namespace pv {
namespace {

bool CommaRun()
{
    return SystemNumberFormat().decimalSeparator == ',';
}

// A run asked for under a comma-decimal locale must really have one, or it proves nothing.
TEST(NumbersUnderTheSystemLocale, TheCommaRunHasACommaLocale)
{
    const char *asked = std::getenv("LC_ALL");
    if (asked == nullptr || std::string(asked).rfind("de_DE", 0) != 0)
        GTEST_SKIP() << "not the comma run";
    EXPECT_STREQ(std::localeconv()->decimal_point, ",")
        << asked << " is not installed; scripts/setup.sh generates it";
    EXPECT_TRUE(CommaRun());
}

// What a conversion gives, as text, under the C locale and under the comma locale.
struct Row
{
    const char *name;
    std::function<std::string(const NumberFormat &)> convert;
    const char *underC, *underComma;
};

std::string Shown(std::optional<double> value)
{
    return value ? GeneralNumberText(static_cast<float>(*value), NumberFormat{}) : "refused";
}

const Row Rows[] = {
    {"ParseDecimalReadsAComma", [](auto &) { return GeneralNumberText(ParseDecimal("49,5"), {}); },
     "49.5", "49.5"},
    {"PrefixValueReadsAPoint",
     [](auto &) { return GeneralNumberText(static_cast<float>(NumericPrefixValue("12.5")), {}); },
     "12.5", "12.5"},
    {"StrictCommaNumber", [](auto &f) { return Shown(StrictNumber("230,5", f)); }, "refused",
     "230.5"},
    {"StrictGroupedNumber", [](auto &f) { return Shown(StrictNumber("1.234,5", f)); }, "refused",
     "1234.5"},
    {"GeneralNumberText", [](auto &f) { return GeneralNumberText(49.5f, f); }, "49.5", "49,5"},
    {"Efficiency", [](auto &f) { return EfficiencyText(962.4f, 500, 500, f); }, "96.24%", "96,24%"},
};

class NumbersUnderTheSystemLocale : public ::testing::TestWithParam<Row>
{
};

TEST_P(NumbersUnderTheSystemLocale, FollowOnlyTheFormatTheyAreGiven)
{
    const Row &row = GetParam();
    EXPECT_EQ(row.convert(SystemNumberFormat()), CommaRun() ? row.underComma : row.underC);
}

INSTANTIATE_TEST_SUITE_P(Conversions, NumbersUnderTheSystemLocale, ::testing::ValuesIn(Rows),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
} // namespace pv
