#include "link/codepage.h"

#include <gtest/gtest.h>

namespace pv {
namespace {

TEST(CodePage, HighBytesRoundTripAndOutsideCharactersBecomeQuestionMarks)
{
    for (int b = 0x80; b <= 0xFF; ++b) {
        const Bytes one{static_cast<std::uint8_t>(b)};
        const std::string text = CodePageToUtf8(one);
        EXPECT_EQ(Utf8Length(text), 1u) << std::hex << b;
        EXPECT_EQ(Utf8ToCodePage(text), one) << std::hex << b;
    }
    EXPECT_EQ(CodePageToUtf8(Bytes{0x80, 0x9F, 0xE9}), "\u20AC\u0178\u00E9");
    EXPECT_EQ(Utf8ToCodePage("A\u0416\U0001F600\u2122"), (Bytes{0x41, 0x3F, 0x3F, 0x99}));
    EXPECT_EQ(Utf8ToCodePage("a\xC3z"), (Bytes{0x61, 0x3F, 0x7A})); // broken sequence
}

} // namespace
} // namespace pv
