#include "link/codepage.h"

#include <gtest/gtest.h>

namespace pv {
namespace {

TEST(CodePage, EveryHighByteSurvivesTheRoundTrip)
{
    for (int b = 0x80; b <= 0xFF; ++b) {
        const Bytes one{static_cast<std::uint8_t>(b)};
        const std::string text = CodePageToUtf8(one);
        EXPECT_EQ(Utf8Length(text), 1u) << std::hex << b;
        EXPECT_EQ(Utf8ToCodePage(text), one) << std::hex << b;
    }
}

struct CharCase
{
    const char *name;
    std::string utf8;
    Bytes bytes;
};

class CodePageCharsTest : public ::testing::TestWithParam<CharCase>
{
};

TEST_P(CodePageCharsTest, ToCodePage)
{
    EXPECT_EQ(Utf8ToCodePage(GetParam().utf8), GetParam().bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Characters, CodePageCharsTest,
    ::testing::Values(CharCase{"Ascii", "Ab1", {0x41, 0x62, 0x31}},
                      CharCase{"Euro", "\u20AC", {0x80}}, CharCase{"Umlaut", "\u00FC", {0xFC}},
                      CharCase{"Trademark", "\u2122", {0x99}},
                      CharCase{"CyrillicIsQuestionMark", "\u0416", {0x3F}},
                      CharCase{"EmojiIsQuestionMark", "a\U0001F600b", {0x61, 0x3F, 0x62}},
                      CharCase{"InvalidSequenceIsOneCharacter", "a\xC3z", {0x61, 0x3F, 0x7A}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(CodePage, HighBytesBecomeTheirCharacters)
{
    EXPECT_EQ(CodePageToUtf8(Bytes{0x80, 0x9F, 0xE9}), "\u20AC\u0178\u00E9");
}

} // namespace
} // namespace pv
