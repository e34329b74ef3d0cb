#include "link/codec.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

namespace pv {
namespace {

TEST(Crc, CheckValueGoesLowByteFirst)
{
    Bytes frame{0x31, 0x32, 0x33, 0x34, 0x35, 0x36, 0x37, 0x38, 0x39}; // "123456789"
    EXPECT_EQ(ComputeCrc16(frame), 0x4B37);
    AppendCrc(frame);
    EXPECT_EQ(frame, (Bytes{0x31, 0x32, 0x33, 0x34, 0x35, 0x36, 0x37, 0x38, 0x39, 0x37, 0x4B}));
}

struct MonitorCase
{
    int step;
    Bytes frame;
    std::uint32_t replyAddress;
    std::uint16_t registers;
};

class MonitorRequestTest : public ::testing::TestWithParam<MonitorCase>
{
};

TEST_P(MonitorRequestTest, BuildsExactFrameAndRecordsRequest)
{
    Channel channel;
    channel.request = {1, 2, 3}; // a stale request must be replaced, not extended
    BuildMonitorRequest(GetParam().step, channel);
    EXPECT_EQ(channel.request, GetParam().frame);
    EXPECT_EQ(channel.sent.replyAddress, GetParam().replyAddress);
    EXPECT_EQ(channel.sent.function, ReadFunction);
    EXPECT_EQ(channel.sent.registerCount, GetParam().registers);
}

INSTANTIATE_TEST_SUITE_P(
    Steps, MonitorRequestTest,
    ::testing::Values(MonitorCase{0, {0xFF, 0x03, 0xC0, 0x20, 0x00, 0x20, 0x6C, 0x06}, 0xC040, 32},
                      MonitorCase{2, {0xFF, 0x03, 0xC0, 0x80, 0x00, 0x16, 0xEC, 0x32}, 0xC100, 22},
                      MonitorCase{4, {0xFF, 0x03, 0xC0, 0xB0, 0x00, 0x13, 0x2C, 0x3E}, 0xC160, 19}),
    [](const auto &info) { return "Step" + std::to_string(info.param.step); });

TEST(WriteBuilders, RegisterWriteCarriesCountByteCountAndData)
{
    Channel channel;
    BuildWriteRequest(channel, WriteFunction, 0xC084, Bytes{0x00, 0x05, 0x00, 0x3C});
    EXPECT_EQ(channel.request, (Bytes{0xFF, 0x10, 0xC0, 0x84, 0x00, 0x02, 0x04, 0x00, 0x05, 0x00,
                                      0x3C, 0x8D, 0xC2}));
    EXPECT_EQ(channel.sent.replyAddress, 0xC108u);
    EXPECT_EQ(channel.sent.function, WriteFunction);
    EXPECT_EQ(channel.sent.registerCount, 2);
}

TEST(WriteBuilders, SingleWordWriteHasValueWhereCountWouldBe)
{
    Channel channel;
    BuildSingleWordWrite(channel, 0xCF01, 0x1234);
    EXPECT_EQ(channel.request, (Bytes{0xFF, 0x64, 0xCF, 0x01, 0x12, 0x34, 0x06, 0x7F}));
    EXPECT_EQ(channel.sent.function, OwnWriteFunction);
    EXPECT_EQ(channel.sent.registerCount, 1);
}

TEST(CheckReplyCrc, ShortRepliesAreUnreadableAWrongCrcIsNot)
{
    std::uint16_t unreadable = 0;
    for (const Bytes &reply : {Bytes{}, Bytes{0xFF}, Bytes{0xFF, 0xFF}}) {
        EXPECT_FALSE(CheckReplyCrc(reply, unreadable));
        EXPECT_EQ(unreadable, 0xFFFF) << reply.size() << " bytes";
    }
    EXPECT_TRUE(CheckReplyCrc(Bytes{0xFF, 0xFF, 0x00}, unreadable));
    EXPECT_EQ(unreadable, 0);
    unreadable = 0xFFFF;
    // Full length, CRC bytes swapped.
    EXPECT_FALSE(CheckReplyCrc(Bytes{0xFF, 0x10, 0xC0, 0x84, 0x00, 0x01, 0x3E, 0x68}, unreadable));
    EXPECT_EQ(unreadable, 0);
}

TEST(ImageConversions, WordsLongsTextsAndFlags)
{
    EXPECT_EQ(ImageWord(Bytes{0xAA, 0xFF, 0xFE}, 1), -2);
    EXPECT_EQ(ImageWord(Bytes{0xAA, 0x00, 0x64}, 1), 100);
    EXPECT_EQ(ImageLong(Bytes{0xAA, 0xFF, 0xFF, 0xFF, 0xFE}, 1), -2);
    EXPECT_EQ(ImageText(Bytes{0x41, 0x00, 0x42}, 0, 3), "AB");

    std::array<bool, 10> flags{};
    flags[9] = true; // outside the eight written: must stay
    ByteToFlags(Bytes{0x00, 0x81}, 1, flags, 1);
    EXPECT_EQ(flags, (std::array<bool, 10>{0, 1, 0, 0, 0, 0, 0, 0, 1, 1}));
    ByteToFlags(Bytes{0x40}, 0, flags, 1);
    EXPECT_EQ(flags, (std::array<bool, 10>{0, 0, 1, 0, 0, 0, 0, 0, 0, 1}));
}

TEST(ToRadixString, DigitsWithoutLeadingZeros)
{
    EXPECT_EQ(ToRadixString(255, 16), "FF");
    EXPECT_EQ(ToRadixString(5, 2), "101");
    EXPECT_EQ(ToRadixString(0, 2), "0");
}

} // namespace
} // namespace pv
