#include "link/codec.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

namespace pv {
namespace {

struct FrameCase
{
    const char *name;
    Bytes body;     // frame before its CRC
    Bytes expected; // the finished frame
};

class AppendCrcTest : public ::testing::TestWithParam<FrameCase>
{
};

TEST_P(AppendCrcTest, AppendsLowByteThenHighByte)
{
    Bytes frame = GetParam().body;
    AppendCrc(frame);
    EXPECT_EQ(frame, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    KnownFrames, AppendCrcTest,
    ::testing::Values(FrameCase{"Ascii123456789",
                                {0x31, 0x32, 0x33, 0x34, 0x35, 0x36, 0x37, 0x38, 0x39},
                                {0x31, 0x32, 0x33, 0x34, 0x35, 0x36, 0x37, 0x38, 0x39, 0x37, 0x4B}},
                      FrameCase{"FF03C081_21regs",
                                {0xFF, 0x03, 0xC0, 0x81, 0x00, 0x15},
                                {0xFF, 0x03, 0xC0, 0x81, 0x00, 0x15, 0xFD, 0xF3}},
                      FrameCase{"WriteReplyFF10C084_1reg",
                                {0xFF, 0x10, 0xC0, 0x84, 0x00, 0x01},
                                {0xFF, 0x10, 0xC0, 0x84, 0x00, 0x01, 0x68, 0x3E}},
                      FrameCase{"SingleByte", {0xFF}, {0xFF, 0xFF, 0x00}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(ComputeCrc16, StandardCheckValue)
{
    const Bytes digits{0x31, 0x32, 0x33, 0x34, 0x35, 0x36, 0x37, 0x38, 0x39};
    EXPECT_EQ(ComputeCrc16(digits), 0x4B37);
    EXPECT_EQ(ComputeCrc16(Bytes{}), 0xFFFF);
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

TEST(BuildMonitorRequest, OddStepIsRefused)
{
    Channel channel;
    EXPECT_THROW(BuildMonitorRequest(1, channel), std::invalid_argument);
}

TEST(WriteBuilders, RegisterWriteCarriesCountByteCountAndData)
{
    Channel channel;
    const Bytes data{0x00, 0x05, 0x00, 0x3C};
    BuildWriteRequest(channel, WriteFunction, 0xC084, data);
    EXPECT_EQ(channel.request, (Bytes{0xFF, 0x10, 0xC0, 0x84, 0x00, 0x02, 0x04, 0x00, 0x05, 0x00,
                                      0x3C, 0x8D, 0xC2}));
    EXPECT_EQ(channel.sent.replyAddress, 0xC108u);
    EXPECT_EQ(channel.sent.function, WriteFunction);
    EXPECT_EQ(channel.sent.registerCount, 2);
}

TEST(WriteBuilders, OwnFunctionMultiWordWrite)
{
    Channel channel;
    BuildWriteRequest(channel, OwnWriteFunction, 0xCF03, Bytes{0x01, 0x02, 0x03, 0x04});
    EXPECT_EQ(channel.request, (Bytes{0xFF, 0x64, 0xCF, 0x03, 0x00, 0x02, 0x04, 0x01, 0x02, 0x03,
                                      0x04, 0x77, 0x55}));
    EXPECT_EQ(channel.sent.function, OwnWriteFunction);
    EXPECT_EQ(channel.sent.registerCount, 2);
}

TEST(WriteBuilders, OddDataLengthIsRefused)
{
    Channel channel;
    EXPECT_THROW(BuildWriteRequest(channel, WriteFunction, 0xC084, Bytes{1, 2, 3}),
                 std::invalid_argument);
}

TEST(WriteBuilders, SingleWordWriteHasValueWhereCountWouldBe)
{
    Channel channel;
    BuildSingleWordWrite(channel, 0xCF01, 0x1234);
    EXPECT_EQ(channel.request, (Bytes{0xFF, 0x64, 0xCF, 0x01, 0x12, 0x34, 0x06, 0x7F}));
    EXPECT_EQ(channel.sent.function, OwnWriteFunction);
    EXPECT_EQ(channel.sent.registerCount, 1);
}

struct ReplyCheckCase
{
    const char *name;
    Bytes reply;
    bool accepted;
    std::uint16_t unreadable;
};

class CheckReplyCrcTest : public ::testing::TestWithParam<ReplyCheckCase>
{
};

TEST_P(CheckReplyCrcTest, ResultAndUnreadableFlag)
{
    std::uint16_t unreadable = 1234; // must be overwritten in every case
    EXPECT_EQ(CheckReplyCrc(GetParam().reply, unreadable), GetParam().accepted);
    EXPECT_EQ(unreadable, GetParam().unreadable);
}

INSTANTIATE_TEST_SUITE_P(
    Replies, CheckReplyCrcTest,
    ::testing::Values(
        ReplyCheckCase{"Empty", {}, false, 0xFFFF},
        ReplyCheckCase{"OneByte", {0xFF}, false, 0xFFFF},
        ReplyCheckCase{"TwoBytes", {0xFF, 0xFF}, false, 0xFFFF},
        ReplyCheckCase{"ThreeBytesGood", {0xFF, 0xFF, 0x00}, true, 0},
        ReplyCheckCase{"ThreeBytesBad", {0xFF, 0x00, 0xFF}, false, 0},
        ReplyCheckCase{"WriteReplyGood", {0xFF, 0x10, 0xC0, 0x84, 0x00, 0x01, 0x68, 0x3E}, true, 0},
        ReplyCheckCase{
            "CrcBytesSwapped", {0xFF, 0x10, 0xC0, 0x84, 0x00, 0x01, 0x3E, 0x68}, false, 0},
        ReplyCheckCase{
            "DataBitFlipped", {0xFF, 0x10, 0xC0, 0x85, 0x00, 0x01, 0x68, 0x3E}, false, 0}),
    [](const auto &info) { return std::string(info.param.name); });

struct WordCase
{
    const char *name;
    std::array<std::uint8_t, 2> bytes;
    std::int16_t value;
};

class ImageWordTest : public ::testing::TestWithParam<WordCase>
{
};

TEST_P(ImageWordTest, SignedHighByteFirst)
{
    const Bytes bytes{0xAA, GetParam().bytes[0], GetParam().bytes[1]};
    EXPECT_EQ(ImageWord(bytes, 1), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(Words, ImageWordTest,
                         ::testing::Values(WordCase{"FFFE", {0xFF, 0xFE}, -2},
                                           WordCase{"0064", {0x00, 0x64}, 100},
                                           WordCase{"8000", {0x80, 0x00}, -32768},
                                           WordCase{"7FFF", {0x7F, 0xFF}, 32767},
                                           WordCase{"0100", {0x01, 0x00}, 256}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(ImageLong, HighWordFirstAndSigned)
{
    EXPECT_EQ(ImageLong(Bytes{0x00, 0x01, 0x00, 0x02}, 0), 65538);
    EXPECT_EQ(ImageLong(Bytes{0xFF, 0xFF, 0xFF, 0xFF}, 0), -1);
    EXPECT_EQ(ImageLong(Bytes{0x00, 0x12, 0x34, 0x56, 0x78}, 1), 0x12345678);
}

TEST(ImageText, ZeroBytesAreSkippedNotEnding)
{
    EXPECT_EQ(ImageText(Bytes{0x41, 0x00, 0x42}, 0, 3), "AB");
    EXPECT_EQ(ImageText(Bytes{0x00, 0x00, 0x00}, 0, 3), "");
    EXPECT_EQ(ImageText(Bytes{0x58, 0x43, 0x80, 0x59}, 1, 2), "C\u20AC");
}

struct FlagsCase
{
    const char *name;
    std::uint8_t byte;
    std::array<bool, 8> flags;
};

class ByteToFlagsTest : public ::testing::TestWithParam<FlagsCase>
{
};

TEST_P(ByteToFlagsTest, MostSignificantBitFirst)
{
    std::array<bool, 10> flags{};
    flags[0] = flags[9] = true; // outside the eight written: must stay
    ByteToFlags(Bytes{0x00, GetParam().byte}, 1, flags, 1);
    EXPECT_TRUE(flags[0]);
    EXPECT_TRUE(flags[9]);
    for (std::size_t k = 0; k < 8; ++k)
        EXPECT_EQ(flags[k + 1], GetParam().flags[k]) << "flag " << k;
}

INSTANTIATE_TEST_SUITE_P(
    Bytes_, ByteToFlagsTest,
    ::testing::Values(
        FlagsCase{"x81", 0x81, {true, false, false, false, false, false, false, true}},
        FlagsCase{"x40", 0x40, {false, true, false, false, false, false, false, false}},
        FlagsCase{"x00", 0x00, {}},
        FlagsCase{"x0F", 0x0F, {false, false, false, false, true, true, true, true}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(ToRadixString, DigitsWithoutLeadingZeros)
{
    EXPECT_EQ(ToRadixString(255, 16), "FF");
    EXPECT_EQ(ToRadixString(5, 2), "101");
    EXPECT_EQ(ToRadixString(0, 2), "0");
    EXPECT_EQ(ToRadixString(35, 36), "Z");
    EXPECT_EQ(ToRadixString(16, 16), "10");
    EXPECT_EQ(ToRadixString(128, 2), "10000000");
}

} // namespace
} // namespace pv
