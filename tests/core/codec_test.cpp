#include "link/codec.h"
#include "link/codepage.h"
#include "link/numbers.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <tuple>

namespace pv {
namespace {

TEST(Crc, CheckValueGoesLowByteFirst)
{
    Bytes frame{'1', '2', '3', '4', '5', '6', '7', '8', '9'};
    EXPECT_EQ(ComputeCrc16(frame), 0x4B37);
    AppendCrc(frame);
    EXPECT_EQ(frame, (Bytes{'1', '2', '3', '4', '5', '6', '7', '8', '9', 0x37, 0x4B}));
}

// The frames themselves are pinned on the wire by the exchange machine's cycle test; here the
// reply address and count each request records for the decoder.
TEST(BuildMonitorRequest, ReplacesTheStaleRequestAndRecordsWhereItsReplyGoes)
{
    const std::tuple<int, std::uint32_t, std::uint16_t> cases[]
        = {{0, 0xC040, 32}, {2, 0xC100, 22}, {4, 0xC160, 19}};
    for (const auto &[step, replyAddress, registers] : cases) {
        Channel channel;
        channel.request = {1, 2, 3}; // a stale request must be replaced, not extended
        BuildMonitorRequest(step, channel);
        EXPECT_EQ(channel.request.size(), 8u) << step;
        EXPECT_EQ(
            std::tie(channel.sent.replyAddress, channel.sent.function, channel.sent.registerCount),
            std::tie(replyAddress, ReadFunction, registers))
            << step;
    }
}

TEST(WriteBuilders, RegisterBlockAndSingleWord)
{
    Channel channel;
    BuildWriteRequest(channel, WriteFunction, 0xC084, Bytes{0x00, 0x05, 0x00, 0x3C});
    EXPECT_EQ(channel.request, (Bytes{0xFF, 0x10, 0xC0, 0x84, 0x00, 0x02, 0x04, 0x00, 0x05, 0x00,
                                      0x3C, 0x8D, 0xC2}));
    BuildSingleWordWrite(channel, 0xCF01, 0x1234); // the value stands where a count would
    EXPECT_EQ(channel.request, (Bytes{0xFF, 0x64, 0xCF, 0x01, 0x12, 0x34, 0x06, 0x7F}));
    EXPECT_EQ(channel.sent.function, OwnWriteFunction);
    EXPECT_EQ(channel.sent.registerCount, 1);
}

TEST(CheckReplyCrc, ShortRepliesAreUnreadable)
{
    std::uint16_t unreadable = 0;
    for (const Bytes &reply : {Bytes{}, Bytes{0xFF}, Bytes{0xFF, 0xFF}}) {
        EXPECT_FALSE(CheckReplyCrc(reply, unreadable));
        EXPECT_EQ(unreadable, 0xFFFF) << reply.size() << " bytes";
    }
    EXPECT_TRUE(CheckReplyCrc(Bytes{0xFF, 0xFF, 0x00}, unreadable)); // CRC of FF, low byte first
    EXPECT_EQ(unreadable, 0);
}

TEST(ImageConversions, WordsLongsTextsFlagsAndRadix)
{
    EXPECT_EQ(ImageWord(Bytes{0xAA, 0xFF, 0xFE}, 1), -2);
    EXPECT_EQ(ImageLong(Bytes{0xAA, 0xFF, 0xFF, 0xFF, 0xFE}, 1), -2);
    EXPECT_EQ(ImageText(Bytes{0x41, 0x00, 0x42}, 0, 3), "AB");
    std::array<bool, 10> flags{1, 0, 1, 0, 0, 0, 0, 0, 0, 1}; // 0 and 9 lie outside the eight
    ByteToFlags(Bytes{0x00, 0x81}, 1, flags, 1);
    EXPECT_EQ(flags, (std::array<bool, 10>{1, 1, 0, 0, 0, 0, 0, 0, 1, 1}));
    EXPECT_EQ(ToRadixString(255, 16), "FF");
    EXPECT_EQ(ToRadixString(0, 2), "0");
}

TEST(CodePage, HighBytesRoundTripAndOutsideCharactersBecomeQuestionMarks)
{
    for (int b = 0x80; b <= 0xFF; ++b) {
        const Bytes one{static_cast<std::uint8_t>(b)};
        EXPECT_EQ(Utf8Length(CodePageToUtf8(one)), 1u) << std::hex << b;
        EXPECT_EQ(Utf8ToCodePage(CodePageToUtf8(one)), one) << std::hex << b;
    }
    EXPECT_EQ(Utf8ToCodePage("A\u0416\U0001F600\u2122"), (Bytes{0x41, 0x3F, 0x3F, 0x99}));
    EXPECT_EQ(Utf8ToCodePage("a\xC3z"), (Bytes{0x61, 0x3F, 0x7A})); // broken sequence
}

const NumberFormat Point{'.', ','};
const NumberFormat Comma{',', '.'};

TEST(Numbers, ReadingTexts)
{
    EXPECT_EQ(RoundHalfEven(1.5), 2);
    EXPECT_EQ(RoundHalfEven(-2.5), -2);
    EXPECT_DOUBLE_EQ(NumericPrefixValue(" 1 2.5x"), 12.5); // blanks ignored, stops at a letter
    EXPECT_DOUBLE_EQ(NumericPrefixValue("- 4"), -4);
    EXPECT_DOUBLE_EQ(NumericPrefixValue("2E-1x"), 0.2);
    EXPECT_EQ(ParseDecimal("49,5"), 49.5f); // a comma is taken for the point
    EXPECT_EQ(StrictNumber(" 1,234.5 ", Point), 1234.5);
    EXPECT_EQ(StrictNumber("12a", Point), std::nullopt);
    EXPECT_EQ(StrictNumber("1.234,5", Comma), 1234.5);
    EXPECT_EQ(StrictInteger("2,5", Comma), 2);
    EXPECT_EQ(StrictInteger("2147483648", Point), std::nullopt);
    EXPECT_EQ(DigitsToNumber("1F", 16), 31u);
}

TEST(Numbers, TextForms)
{
    EXPECT_EQ(GeneralNumberText(49.5f, Comma), "49,5");
    EXPECT_EQ(GeneralNumberText(12345678, Point), "1.234568E+07");
    EXPECT_EQ(FixedNumberText(49.96f, 1, Point), "50.0");
    EXPECT_EQ(FixedNumberText(-0.04, 1, Point), "0.0");
    EXPECT_EQ(FixedNumberText(1234.5, 1, Comma), "1234,5");
}

} // namespace
} // namespace pv
