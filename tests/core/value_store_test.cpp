#include "link/value_store.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

namespace pv {
namespace {

Bytes Closed(Bytes body)
{
    AppendCrc(body);
    return body;
}

// A read reply of `registers` registers: 0x77 wherever no word is put (catches wrong offsets),
// then the given words from register offset `at` on.
Bytes ReadReply(std::size_t registers,
                std::initializer_list<std::pair<std::size_t, Bytes>> words = {})
{
    Bytes body{SlaveAddress, ReadFunction, static_cast<std::uint8_t>(2 * registers)};
    body.resize(3 + 2 * registers, 0x77);
    for (const auto &[at, bytes] : words)
        std::copy(bytes.begin(), bytes.end(), body.begin() + 3 + 2 * at);
    return Closed(body);
}

Bytes W(std::initializer_list<std::uint16_t> words)
{
    Bytes bytes;
    for (std::uint16_t w : words) {
        bytes.push_back(static_cast<std::uint8_t>(w >> 8));
        bytes.push_back(static_cast<std::uint8_t>(w & 0xFF));
    }
    return bytes;
}

// A store that has taken the three monitor replies (0xC020, 0xC080 and 0xC0B0 blocks).
ValueStore LoadedStore()
{
    ValueStore store;
    const Bytes live = ReadReply(32, {{0, W({12345, 230})},
                                      {4, W({0xFFFF})},
                                      {6, W({500, 0x8000})},
                                      {11, W({312, 310, 45, 44, 1400, 1300, 0x0001, 0x86A0})}});
    const Bytes settings = ReadReply(
        22, {{0, W({4, 0x81C8})},
             {4, W({20, 600})},
             {8, W({100, 101, 102, 103, 104, 105, 106, 107, 515, 475, 615, 575, 112, 0xFFFB})}});
    const Bytes identity = ReadReply(19, {{1, W({55})},
                                          {2, {'A', 'B', 0, 0, 'C', 0, 0, 0, 0, 0}},
                                          {7, {'S', 'U', 'N', 0, 'C', 'O', 0, 0, 0, 0x80}},
                                          {12, {'V', '1', '.', '2', '3', 0, 0, 0}},
                                          {16, {'C', 0, '0', '1', 0, 0}}});
    EXPECT_TRUE(store.DecodeReply(live, {0xC040, ReadFunction, 32}, false));
    EXPECT_TRUE(store.DecodeReply(settings, {0xC100, ReadFunction, 22}, false));
    EXPECT_TRUE(store.DecodeReply(identity, {0xC160, ReadFunction, 19}, false));
    return store;
}

Bytes ImageOf(const ValueStore &store)
{
    return Bytes(store.Image().Bytes().begin(), store.Image().Bytes().end());
}

TEST(DecodeReply, EveryFieldFromAKnownImage)
{
    const ValueStore store = LoadedStore();
    const InverterData &d = store.Data();
    EXPECT_FLOAT_EQ(d.OutputPower(), 123.45f);
    EXPECT_FLOAT_EQ(d.AcVoltage(), 230);
    EXPECT_FLOAT_EQ(d.AcCurrent(), -0.1f); // 0xFFFF in a tenths field
    EXPECT_FLOAT_EQ(d.AcFrequency(), 50);
    EXPECT_FLOAT_EQ(d.DcBusVoltage(), -32768);
    EXPECT_FLOAT_EQ(d.InputAVoltage(), 312);
    EXPECT_FLOAT_EQ(d.InputBVoltage(), 310);
    EXPECT_FLOAT_EQ(d.InputACurrent(), 4.5f);
    EXPECT_FLOAT_EQ(d.InputBCurrent(), 4.4f);
    EXPECT_FLOAT_EQ(d.InputAPower(), 14);
    EXPECT_FLOAT_EQ(d.InputBPower(), 13);
    EXPECT_EQ(d.EnergyTotal(), 100000);
    EXPECT_FLOAT_EQ(d.InverterId(), 5);
    for (int k = 0; k < 8; ++k)
        EXPECT_EQ(d.OptionFlags(k), k == 0 || k == 7) << "flag " << k;
    EXPECT_FLOAT_EQ(d.CountryCode(), 200);
    EXPECT_FLOAT_EQ(d.SleepPower(), 20);
    EXPECT_FLOAT_EQ(d.RetryTime(), 600);
    const float limits[14]
        = {100, 101, 102, 103, 104, 105, 106, 107, 51.5, 47.5, 61.5, 57.5, 112, -5};
    for (int i = 0; i < 14; ++i)
        EXPECT_FLOAT_EQ(d.GridLimits(i), limits[i]) << "grid limit " << i;
    EXPECT_DOUBLE_EQ(d.PowerKw(), 5.5);
    EXPECT_EQ(d.ModelName(), "ABC");
    EXPECT_EQ(d.CompanyName(), "SUNCO\u20AC");
    EXPECT_EQ(d.OperatingVersion(), "V1.23");
    EXPECT_EQ(d.CertificateVersion(), "C01");
}

TEST(DecodeReply, AllZeroImageGivesIdOneAndEmptyTexts)
{
    InverterData d = LoadedStore().Data();
    d.Decode(RegisterImage{});
    EXPECT_FLOAT_EQ(d.InverterId(), 1);
    EXPECT_EQ(d.ModelName() + d.CompanyName() + d.OperatingVersion() + d.CertificateVersion(), "");
}

struct RecordingAcknowledge : WriteAcknowledge
{
    int calls = 0;
    Bytes lastReply;
    void ApplyWriteAcknowledge(ByteView reply, RegisterImage &image) override
    {
        ++calls;
        lastReply.assign(reply.begin(), reply.end());
        image.CopyReplyToImage(0, 2, Bytes{0x00, 0x07}, 0x108); // SleepPower = 7
    }
};

TEST(DecodeReply, WriteReplyGoesToTheAcknowledgeHookAndIsDecoded)
{
    ValueStore store = LoadedStore();
    RecordingAcknowledge acknowledge;
    store.SetWriteAcknowledge(&acknowledge);
    const Bytes reply = Closed({0xFF, 0x10, 0xC0, 0x84, 0x00, 0x01});
    ASSERT_TRUE(store.DecodeReply(reply, {0xC108, WriteFunction, 1}, false));
    EXPECT_EQ(acknowledge.calls, 1);
    EXPECT_EQ(acknowledge.lastReply, reply);
    EXPECT_FLOAT_EQ(store.Data().SleepPower(), 7);
}

const RequestInfo LiveRead{0xC040, ReadFunction, 32};
const RequestInfo GainWrite{0xCE06, OwnWriteFunction, 7};

struct UnfiledCase
{
    const char *name;
    Bytes reply;
    RequestInfo request;
    bool calibrationState;
    bool accepted;
};

class UnfiledReplyTest : public ::testing::TestWithParam<UnfiledCase>
{
};

// Refused replies, and replies in the calibration states, change neither image nor values.
TEST_P(UnfiledReplyTest, NothingIsFiledOrDecoded)
{
    ValueStore store = LoadedStore();
    RecordingAcknowledge acknowledge;
    store.SetWriteAcknowledge(&acknowledge);
    // A reply too short to examine sets the flag, so that the reply below must clear it.
    ASSERT_FALSE(store.DecodeReply(Bytes{0xFF}, LiveRead, false));
    const Bytes before = ImageOf(store);

    const auto &c = GetParam();
    EXPECT_EQ(store.DecodeReply(c.reply, c.request, c.calibrationState), c.accepted);
    EXPECT_EQ(store.ReplyUnreadable(), 0);
    EXPECT_EQ(ImageOf(store), before);
    EXPECT_EQ(acknowledge.calls, 0);
    EXPECT_FLOAT_EQ(store.Data().AcVoltage(), 230);
}

Bytes BadCrc(Bytes reply)
{
    reply.back() ^= 0x01;
    return reply;
}

INSTANTIATE_TEST_SUITE_P(
    Replies, UnfiledReplyTest,
    ::testing::Values(
        UnfiledCase{"BadCrc", BadCrc(ReadReply(32)), LiveRead, false, false},
        UnfiledCase{"BadCrcInCalibration", BadCrc(ReadReply(32)), LiveRead, true, false},
        UnfiledCase{"ExceptionToRead", Closed({0xFF, 0x83, 0x02}), LiveRead, false, false},
        UnfiledCase{"ExceptionInCalibration", Closed({0xFF, 0xE4, 0x02}), GainWrite, true, false},
        UnfiledCase{"WriteReplyToRead", Closed({0xFF, 0x10, 0xC0, 0x84, 0x00, 0x01}), LiveRead,
                    false, false},
        UnfiledCase{"ByteCountNotTwiceRegisters", ReadReply(22), LiveRead, false, false},
        UnfiledCase{"ByteCountPastData", Closed({0xFF, 0x03, 0x40, 0x00, 0x00, 0x00, 0x00}),
                    LiveRead, false, false},
        UnfiledCase{
            "CalibrationReadAccepted", ReadReply(15), {0xC000, ReadFunction, 15}, true, true},
        UnfiledCase{"CalibrationWriteAccepted", Closed({0xFF, 0x64, 0xCF, 0x03, 0x00, 0x07}),
                    GainWrite, true, true}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
} // namespace pv
