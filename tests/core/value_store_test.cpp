#include "link/value_store.h"

#include <gtest/gtest.h>

#include <algorithm>
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
// then the given bytes from register offset `at` on.
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
    for (std::uint16_t w : words)
        bytes.insert(bytes.end(), {std::uint8_t(w >> 8), std::uint8_t(w & 0xFF)});
    return bytes;
}

// A store that has taken the three monitor replies (0xC020, 0xC080 and 0xC0B0 blocks).
ValueStore LoadedStore(WriteAcknowledge *hook = nullptr)
{
    ValueStore store;
    store.SetWriteAcknowledge(hook);
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

TEST(DecodeReply, EveryFieldFromAKnownImage)
{
    const ValueStore store = LoadedStore();
    const InverterData &d = store.Data();
    using Field = std::pair<const char *, std::pair<double, double>>;
    const Field numbers[] = {
        {"OutputPower", {d.OutputPower(), 123.45f}},  {"AcVoltage", {d.AcVoltage(), 230}},
        {"AcCurrent", {d.AcCurrent(), -0.1f}},        {"AcFrequency", {d.AcFrequency(), 50}},
        {"DcBusVoltage", {d.DcBusVoltage(), -32768}}, // readings are signed words
        {"InputAVoltage", {d.InputAVoltage(), 312}},  {"InputBVoltage", {d.InputBVoltage(), 310}},
        {"InputACurrent", {d.InputACurrent(), 4.5f}}, {"InputBCurrent", {d.InputBCurrent(), 4.4f}},
        {"InputAPower", {d.InputAPower(), 14}},       {"InputBPower", {d.InputBPower(), 13}},
        {"EnergyTotal", {d.EnergyTotal(), 100000}},   {"InverterId", {d.InverterId(), 5}},
        {"CountryCode", {d.CountryCode(), 200}},      {"SleepPower", {d.SleepPower(), 20}},
        {"RetryTime", {d.RetryTime(), 600}},          {"PowerKw", {d.PowerKw(), 5.5}}};
    for (const auto &[name, value] : numbers)
        EXPECT_FLOAT_EQ(static_cast<float>(value.first), static_cast<float>(value.second)) << name;
    for (int k = 0; k < 8; ++k)
        EXPECT_EQ(d.OptionFlags(k), k == 0 || k == 7) << "flag " << k;
    const float limits[]
        = {100, 101, 102, 103, 104, 105, 106, 107, 51.5, 47.5, 61.5, 57.5, 112, 65531};
    for (int i = 0; i < 14; ++i)
        EXPECT_FLOAT_EQ(d.GridLimits(i), limits[i]) << "grid limit " << i;
    EXPECT_EQ(d.ModelName(), "ABC");
    EXPECT_EQ(d.CompanyName(), "SUNCO\u20AC");
    EXPECT_EQ(d.OperatingVersion(), "V1.23");
    EXPECT_EQ(d.CertificateVersion(), "C01");

    InverterData zero = d; // an all-zero image: ID 1 and the old text gone
    zero.Decode(RegisterImage{});
    EXPECT_FLOAT_EQ(zero.InverterId(), 1);
    EXPECT_EQ(zero.ModelName(), "");
}

struct CountingAcknowledge : WriteAcknowledge
{
    int calls = 0;
    void ApplyWriteAcknowledge(ByteView reply, RegisterImage &image) override
    {
        ++calls;
        image.CopyReplyToImage(4, 2, reply, 0x108); // the reply's count word, as SleepPower
    }
};

const RequestInfo LiveRead{0xC040, ReadFunction, 32};
const RequestInfo SleepWrite{0xC108, WriteFunction, 1, 0xC084, 1};
const RequestInfo GainWrite{0xCE06, OwnWriteFunction, 7, 0xCF03, 7};
const RequestInfo CalibrationRead{0xC000, ReadFunction, 15};

TEST(DecodeReply, WriteReplyGoesWholeToTheAcknowledgeHookAndIsDecoded)
{
    CountingAcknowledge acknowledge;
    ValueStore store = LoadedStore(&acknowledge);
    ASSERT_TRUE(store.DecodeReply(Closed({0xFF, 0x10, 0xC0, 0x84, 0x00, 0x01}), SleepWrite, false));
    EXPECT_EQ(acknowledge.calls, 1);
    EXPECT_FLOAT_EQ(store.Data().SleepPower(), 1);
}

struct UnfiledCase
{
    const char *name;
    Bytes reply;
    RequestInfo request;
    bool calibrationState, accepted;
};
using UnfiledReplyTest = ::testing::TestWithParam<UnfiledCase>;

// Refused replies, and replies in the calibration states, change neither image nor values.
TEST_P(UnfiledReplyTest, NothingIsFiledOrDecoded)
{
    CountingAcknowledge acknowledge;
    ValueStore store = LoadedStore(&acknowledge);
    // A reply too short to examine sets the flag, so that the reply below must clear it.
    ASSERT_FALSE(store.DecodeReply(Bytes{0xFF}, LiveRead, false));
    const Bytes before(store.Image().Bytes().begin(), store.Image().Bytes().end());
    const auto &c = GetParam();
    EXPECT_EQ(store.DecodeReply(c.reply, c.request, c.calibrationState), c.accepted);
    EXPECT_EQ(store.ReplyUnreadable(), 0);
    EXPECT_TRUE(std::ranges::equal(store.Image().Bytes(), before));
    EXPECT_EQ(acknowledge.calls, 0);
    EXPECT_FLOAT_EQ(store.Data().AcVoltage(), 230);
}

// The verdict of each kind of reply is the line recorder's table; these must leave the image be.
const UnfiledCase UnfiledCases[] = {
    {"BadCrc", {0xFF, 0x10, 0xC0, 0x84, 0x00, 0x01, 0x00, 0x00}, SleepWrite, false, false},
    {"ExceptionInCalibration", Closed({0xFF, 0xE4, 0x02}), GainWrite, true, false},
    {"ByteCountPastData", Closed({0xFF, 0x03, 0x40, 0x00, 0x00, 0x00, 0x00}), LiveRead, false,
     false},
    {"CalibrationReadAccepted", ReadReply(15), CalibrationRead, true, true},
    // Late replies to earlier requests, taken while the calibration window waits.
    {"LiveReadInCalibrationRead", ReadReply(32), CalibrationRead, true, false},
    {"CalibrationReadInCalibrationWrite", ReadReply(15), GainWrite, true, false},
    {"CalibrationWriteAccepted", Closed({0xFF, 0x64, 0xCF, 0x03, 0x00, 0x07}), GainWrite, true,
     true},
};

INSTANTIATE_TEST_SUITE_P(Replies, UnfiledReplyTest, ::testing::ValuesIn(UnfiledCases),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
} // namespace pv
