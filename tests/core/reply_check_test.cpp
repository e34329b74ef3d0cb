// Write acknowledgements against the request they answer: an acknowledgement counts only when it
// repeats the start register and count of a block write, or the register and value of a
// single-word write.

#include "link/reply_check.h"

#include <gtest/gtest.h>

#include <string>

namespace pv {
namespace {

Bytes WithCrc(Bytes frame)
{
    AppendCrc(frame);
    return frame;
}

enum class Request { SleepPowerWrite, EnergyHighWrite, CalibrationWrite };

Channel Sent(Request request)
{
    Channel channel;
    switch (request) {
    case Request::SleepPowerWrite: // 0xC0B0 x 1
        BuildWriteRequest(channel, WriteFunction, 0xC0B0, Bytes{0x00, 0x14});
        break;
    case Request::EnergyHighWrite:
        BuildSingleWordWrite(channel, 0xCF01, 0x0012);
        break;
    case Request::CalibrationWrite: // 0xCF03 x 7
        BuildWriteRequest(channel, OwnWriteFunction, 0xCF03, Bytes(14));
        break;
    }
    return channel;
}

struct AckRow
{
    const char *name;
    Request request;
    Bytes reply; // without its CRC
    ReplyVerdict verdict;
};

class Acknowledgement : public ::testing::TestWithParam<AckRow>
{
};

TEST_P(Acknowledgement, CountsOnlyForItsOwnRequest)
{
    const AckRow &row = GetParam();
    EXPECT_EQ(ClassifyReply(WithCrc(row.reply), Sent(row.request).sent), row.verdict);
}

constexpr auto A = ReplyVerdict::Accepted, M = ReplyVerdict::AcknowledgementMismatch;
const AckRow AckRows[] = {
    {"C0B0x1_Repeated", Request::SleepPowerWrite, {0xFF, 0x10, 0xC0, 0xB0, 0x00, 0x01}, A},
    {"C0B0x1_OtherStart", Request::SleepPowerWrite, {0xFF, 0x10, 0xC0, 0xB1, 0x00, 0x01}, M},
    {"C0B0x1_OtherCount", Request::SleepPowerWrite, {0xFF, 0x10, 0xC0, 0xB0, 0x00, 0x02}, M},
    {"C0B0x1_Cut", Request::SleepPowerWrite, {0xFF, 0x10, 0xC0, 0xB0}, M},
    {"CF01_Repeated", Request::EnergyHighWrite, {0xFF, 0x64, 0xCF, 0x01, 0x00, 0x12}, A},
    {"CF01_OtherSelector", Request::EnergyHighWrite, {0xFF, 0x64, 0xCF, 0x02, 0x00, 0x12}, M},
    {"CF01_OtherValue", Request::EnergyHighWrite, {0xFF, 0x64, 0xCF, 0x01, 0x00, 0x13}, M},
    {"CF03x7_Repeated", Request::CalibrationWrite, {0xFF, 0x64, 0xCF, 0x03, 0x00, 0x07}, A},
    {"CF03x7_OtherBlock", Request::CalibrationWrite, {0xFF, 0x64, 0xCF, 0x00, 0x00, 0x07}, M},
};

INSTANTIATE_TEST_SUITE_P(ReplyCheck, Acknowledgement, ::testing::ValuesIn(AckRows),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
} // namespace pv
