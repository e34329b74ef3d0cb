#include "link/numbers.h"

#include <gtest/gtest.h>

namespace pv {
namespace {

const NumberFormat Point{'.', ','};
const NumberFormat Comma{',', '.'};

TEST(RoundHalfEven, HalvesGoToTheEvenNeighbour)
{
    EXPECT_EQ(RoundHalfEven(0.5), 0);
    EXPECT_EQ(RoundHalfEven(1.5), 2);
    EXPECT_EQ(RoundHalfEven(2.5), 2);
    EXPECT_EQ(RoundHalfEven(-2.5), -2);
}

TEST(NumericPrefix, ReadsTheNumberAtTheFront)
{
    EXPECT_DOUBLE_EQ(NumericPrefixValue(" 1 2.5x"), 12.5); // blanks ignored, stops at a letter
    EXPECT_DOUBLE_EQ(NumericPrefixValue("- 4"), -4);
    EXPECT_DOUBLE_EQ(NumericPrefixValue("1.2.3"), 1.2);
    EXPECT_DOUBLE_EQ(NumericPrefixValue("0,5"), 0);
    EXPECT_DOUBLE_EQ(NumericPrefixValue("2E-1x"), 0.2);
    EXPECT_DOUBLE_EQ(NumericPrefixValue("abc"), 0);
    EXPECT_EQ(ParseDecimal("49,5"), 49.5f);
}

TEST(StrictNumber, WholeTextMustBeARegionalNumber)
{
    EXPECT_EQ(StrictNumber(" 1,234.5 ", Point), 1234.5);
    EXPECT_EQ(StrictNumber("49,5", Point), 495);
    EXPECT_EQ(StrictNumber("12a", Point), std::nullopt);
    EXPECT_EQ(StrictNumber("-0,25", Comma), -0.25);
    EXPECT_EQ(StrictNumber("1.234,5", Comma), 1234.5);
    EXPECT_EQ(StrictNumber("1,2,3", Comma), std::nullopt);
    EXPECT_EQ(StrictInteger("2,5", Comma), 2);
    EXPECT_EQ(StrictInteger("2147483648", Point), std::nullopt);
}

TEST(DigitsToNumber, PositionalValue)
{
    EXPECT_EQ(DigitsToNumber("10000000", 2), 128u);
    EXPECT_EQ(DigitsToNumber("FF", 16), 255u);
}

TEST(TextForms, ShowTheValue)
{
    EXPECT_EQ(GeneralNumberText(230, Point), "230");
    EXPECT_EQ(GeneralNumberText(49.5f, Point), "49.5");
    EXPECT_EQ(GeneralNumberText(49.5f, Comma), "49,5");
    EXPECT_EQ(GeneralNumberText(12345678, Point), "1.234568E+07");
    EXPECT_EQ(FixedNumberText(49.96f, 1, Point), "50.0");
    EXPECT_EQ(FixedNumberText(0, 1, Point), "0.0");
    EXPECT_EQ(FixedNumberText(-0.04, 1, Point), "0.0");
    EXPECT_EQ(FixedNumberText(96, 2, Point), "96.00");
    EXPECT_EQ(FixedNumberText(1234.5, 1, Comma), "1234,5");
    EXPECT_EQ(IntegerText(-1), "-1");
}

} // namespace
} // namespace pv
