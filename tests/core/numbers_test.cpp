#include "link/numbers.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>

namespace pv {
namespace {

const NumberFormat Point{'.', ','};
const NumberFormat Comma{',', '.'};

std::string RowName(std::string text)
{
    std::string name = text.empty() ? "Empty" : "";
    for (char c : text) {
        if (std::isalnum(static_cast<unsigned char>(c)))
            name.push_back(c);
        else
            name += c == '.' ? "Point" : c == ',' ? "Comma" : c == '-' ? "Minus" : "Blank";
    }
    return name;
}

struct RoundCase
{
    const char *name;
    double in;
    double out;
};

class RoundHalfEvenTest : public ::testing::TestWithParam<RoundCase>
{
};

TEST_P(RoundHalfEvenTest, HalvesGoToTheEvenNeighbour)
{
    EXPECT_EQ(RoundHalfEven(GetParam().in), GetParam().out);
}

INSTANTIATE_TEST_SUITE_P(
    Values, RoundHalfEvenTest,
    ::testing::Values(RoundCase{"Half", 0.5, 0}, RoundCase{"OneAndHalf", 1.5, 2},
                      RoundCase{"TwoAndHalf", 2.5, 2}, RoundCase{"ThreeAndHalf", 3.5, 4},
                      RoundCase{"MinusTwoAndHalf", -2.5, -2},
                      RoundCase{"MinusOneAndHalf", -1.5, -2}, RoundCase{"MinusHalf", -0.5, 0},
                      RoundCase{"JustBelowHalf", 2.4999, 2}, RoundCase{"JustAboveHalf", 2.5001, 3},
                      RoundCase{"MinusPointSix", -0.6, -1}, RoundCase{"Whole", 7, 7}),
    [](const auto &info) { return std::string(info.param.name); });

struct PrefixCase
{
    const char *text;
    double value;
};

class NumericPrefixTest : public ::testing::TestWithParam<PrefixCase>
{
};

TEST_P(NumericPrefixTest, ReadsTheNumberAtTheFront)
{
    EXPECT_DOUBLE_EQ(NumericPrefixValue(GetParam().text), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, NumericPrefixTest,
    ::testing::Values(PrefixCase{" 1 2.5x", 12.5}, PrefixCase{"abc", 0}, PrefixCase{"", 0},
                      PrefixCase{"-3.5", -3.5}, PrefixCase{"- 4", -4}, PrefixCase{"+7", 7},
                      PrefixCase{"1.2.3", 1.2}, PrefixCase{"0,5", 0}, PrefixCase{".5", 0.5},
                      PrefixCase{"1e3", 1000}, PrefixCase{"1e", 1}, PrefixCase{"2E-1x", 0.2},
                      PrefixCase{"\t8\r\n", 8}, PrefixCase{".", 0}, PrefixCase{"-", 0},
                      PrefixCase{"1x2", 1}, PrefixCase{"5.", 5}),
    [](const auto &info) { return "Row" + std::to_string(info.index); });

TEST(ParseDecimal, CommaIsTakenAsPoint)
{
    EXPECT_EQ(ParseDecimal("49,5"), 49.5f);
    EXPECT_EQ(ParseDecimal("49.5"), 49.5f);
    EXPECT_EQ(ParseDecimal(" 0,5 V"), 0.5f);
    EXPECT_EQ(ParseDecimal("1,2,3"), 1.2f);
    EXPECT_EQ(ParseDecimal("x"), 0.0f);
}

struct StrictCase
{
    const char *text;
    bool commaFormat;
    std::optional<double> value;
};

class StrictNumberTest : public ::testing::TestWithParam<StrictCase>
{
};

TEST_P(StrictNumberTest, WholeTextMustBeARegionalNumber)
{
    const auto got = StrictNumber(GetParam().text, GetParam().commaFormat ? Comma : Point);
    ASSERT_EQ(got.has_value(), GetParam().value.has_value()) << GetParam().text;
    if (got) {
        EXPECT_DOUBLE_EQ(*got, *GetParam().value) << GetParam().text;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Texts, StrictNumberTest,
    ::testing::Values(StrictCase{"49.5", false, 49.5}, StrictCase{" 12 ", false, 12},
                      StrictCase{"-3", false, -3}, StrictCase{"1,234.5", false, 1234.5},
                      StrictCase{"49,5", false, 495}, StrictCase{".5", false, 0.5},
                      StrictCase{"5.", false, 5}, StrictCase{"1e3", false, 1000},
                      StrictCase{"abc", false, {}}, StrictCase{"", false, {}},
                      StrictCase{"12a", false, {}}, StrictCase{"1.2.3", false, {}},
                      StrictCase{",5", false, {}}, StrictCase{"5,", false, {}},
                      StrictCase{".", false, {}}, StrictCase{"1 2", false, {}},
                      StrictCase{"1e", false, {}}, StrictCase{"49,5", true, 49.5},
                      StrictCase{"1.234,5", true, 1234.5}, StrictCase{"49.5", true, 495},
                      StrictCase{"1,2,3", true, {}}, StrictCase{"-0,25", true, -0.25}),
    [](const auto &info) {
        return RowName(info.param.text)
               + (info.param.commaFormat ? "_InCommaFormat" : "_InPointFormat");
    });

TEST(StrictInteger, RoundsHalfToEvenAndRefusesWhatDoesNotFit)
{
    EXPECT_EQ(StrictInteger("2.5", Point), 2);
    EXPECT_EQ(StrictInteger("3.5", Point), 4);
    EXPECT_EQ(StrictInteger("-2.5", Point), -2);
    EXPECT_EQ(StrictInteger("2,5", Comma), 2);
    EXPECT_EQ(StrictInteger("2147483647", Point), 2147483647);
    EXPECT_EQ(StrictInteger("2147483648", Point), std::nullopt);
    EXPECT_EQ(StrictInteger("x", Point), std::nullopt);
}

TEST(DigitsToNumber, PositionalValue)
{
    EXPECT_EQ(DigitsToNumber("10000000", 2), 128u);
    EXPECT_EQ(DigitsToNumber("00000001", 2), 1u);
    EXPECT_EQ(DigitsToNumber("11111111", 2), 255u);
    EXPECT_EQ(DigitsToNumber("FF", 16), 255u);
    EXPECT_EQ(DigitsToNumber("Z", 36), 35u);
    EXPECT_EQ(DigitsToNumber("777", 8), 511u);
    EXPECT_EQ(DigitsToNumber("", 2), 0u);
}

struct TextCase
{
    const char *name;
    double value;
    int decimals; // -1: general number text of the value as a single
    bool commaFormat;
    const char *text;
};

class TextFormsTest : public ::testing::TestWithParam<TextCase>
{
};

TEST_P(TextFormsTest, ShowsTheValue)
{
    const auto &c = GetParam();
    const NumberFormat &format = c.commaFormat ? Comma : Point;
    const std::string got = c.decimals < 0 ? GeneralNumberText(static_cast<float>(c.value), format)
                                           : FixedNumberText(c.value, c.decimals, format);
    EXPECT_EQ(got, c.text);
}

INSTANTIATE_TEST_SUITE_P(
    Forms, TextFormsTest,
    ::testing::Values(TextCase{"General230", 230, -1, false, "230"},
                      TextCase{"General49_5", 49.5, -1, false, "49.5"},
                      TextCase{"GeneralTenth", 0.1, -1, false, "0.1"},
                      TextCase{"GeneralMinusTenth", -0.1, -1, false, "-0.1"},
                      TextCase{"GeneralZero", 0, -1, false, "0"},
                      TextCase{"GeneralMinusZero", -0.0, -1, false, "0"},
                      TextCase{"GeneralTenths", 3276.7, -1, false, "3276.7"},
                      TextCase{"GeneralThird", 1.0 / 3, -1, false, "0.3333333"},
                      TextCase{"GeneralSevenDigits", 1234567, -1, false, "1234567"},
                      TextCase{"GeneralLarge", 12345678, -1, false, "1.234568E+07"},
                      TextCase{"GeneralSmall", 0.0001, -1, false, "0.0001"},
                      TextCase{"GeneralTiny", 0.00001, -1, false, "1E-05"},
                      TextCase{"GeneralComma", 49.5, -1, true, "49,5"},
                      TextCase{"OneDecimalRoundsUp", static_cast<float>(49.96), 1, false, "50.0"},
                      TextCase{"OneDecimalZero", 0, 1, false, "0.0"},
                      TextCase{"OneDecimalSmallNegative", -0.04, 1, false, "0.0"},
                      TextCase{"OneDecimalNegative", -1.25, 1, false, "-1.3"},
                      TextCase{"OneDecimalHalfAwayFromZero", 0.25, 1, false, "0.3"},
                      TextCase{"OneDecimalCarry", 9.99, 1, false, "10.0"},
                      TextCase{"OneDecimalSingle", static_cast<float>(0.05), 1, false, "0.1"},
                      TextCase{"OneDecimalComma", 1234.5, 1, true, "1234,5"},
                      TextCase{"TwoDecimalsWhole", 96, 2, false, "96.00"},
                      TextCase{"TwoDecimalsDecimalHalf", 1.005, 2, false, "1.01"},
                      TextCase{"TwoDecimalsBelowHalf", 0.004, 2, false, "0.00"},
                      TextCase{"TwoDecimalsFraction", 0.5, 2, false, "0.50"},
                      TextCase{"TwoDecimalsLarge", 123456.789, 2, false, "123456.79"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(IntegerText, Decimal)
{
    EXPECT_EQ(IntegerText(-1), "-1");
    EXPECT_EQ(IntegerText(0), "0");
    EXPECT_EQ(IntegerText(2147483647), "2147483647");
}

} // namespace
} // namespace pv
