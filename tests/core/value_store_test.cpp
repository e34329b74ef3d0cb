#include "link/value_store.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace pv {
namespace {

constexpr std::uint8_t Unused = 0x77; // fills registers no field reads, to catch wrong offsets

Bytes Closed(Bytes body)
{
    AppendCrc(body);
    return body;
}

Bytes ReadReply(const Bytes &data)
{
    Bytes body{SlaveAddress, ReadFunction, static_cast<std::uint8_t>(data.size())};
    body.insert(body.end(), data.begin(), data.end());
    return Closed(body);
}

void PutWord(Bytes &block, std::uint16_t first, std::uint16_t reg, std::uint16_t word)
{
    const std::size_t at = 2u * (reg - first);
    block.at(at) = static_cast<std::uint8_t>(word >> 8);
    block.at(at + 1) = static_cast<std::uint8_t>(word & 0xFF);
}

void PutBytes(Bytes &block, std::uint16_t first, std::uint16_t reg, const Bytes &bytes)
{
    std::copy(bytes.begin(), bytes.end(), block.begin() + 2 * (reg - first));
}

Bytes LiveBlock() // 0xC020, 32 registers
{
    Bytes b(64, Unused);
    PutWord(b, 0xC020, 0xC020, 12345);  // OutputPower 123.45
    PutWord(b, 0xC020, 0xC021, 230);    // AcVoltage
    PutWord(b, 0xC020, 0xC024, 0xFFFF); // AcCurrent -0.1
    PutWord(b, 0xC020, 0xC026, 500);    // AcFrequency 50.0
    PutWord(b, 0xC020, 0xC027, 0x8000); // DcBusVoltage -32768
    PutWord(b, 0xC020, 0xC02B, 312);
    PutWord(b, 0xC020, 0xC02C, 310);
    PutWord(b, 0xC020, 0xC02D, 45);
    PutWord(b, 0xC020, 0xC02E, 44);
    PutWord(b, 0xC020, 0xC02F, 1400);
    PutWord(b, 0xC020, 0xC030, 1300);
    PutBytes(b, 0xC020, 0xC031, {0x00, 0x01, 0x86, 0xA0}); // EnergyTotal 100000
    return b;
}

Bytes SettingsBlock() // 0xC080, 22 registers
{
    Bytes b(44, Unused);
    PutWord(b, 0xC080, 0xC080, 4);      // InverterId 5
    PutWord(b, 0xC080, 0xC081, 0x81C8); // flags 1000 0001, country 200
    PutWord(b, 0xC080, 0xC084, 20);
    PutWord(b, 0xC080, 0xC085, 600);
    for (std::uint16_t i = 0; i < 14; ++i)
        PutWord(b, 0xC080, 0xC088 + i, 100 + i);
    PutWord(b, 0xC080, 0xC090, 515);
    PutWord(b, 0xC080, 0xC091, 475);
    PutWord(b, 0xC080, 0xC092, 615);
    PutWord(b, 0xC080, 0xC093, 575);
    PutWord(b, 0xC080, 0xC095, 0xFFFB);
    return b;
}

Bytes IdentityBlock() // 0xC0B0, 19 registers
{
    Bytes b(38, Unused);
    PutWord(b, 0xC0B0, 0xC0B1, 55); // PowerKw 5.5
    PutBytes(b, 0xC0B0, 0xC0B2, {0x41, 0x42, 0x00, 0x00, 0x43, 0x00, 0x00, 0x00, 0x00, 0x00});
    PutBytes(b, 0xC0B0, 0xC0B7, {'S', 'U', 'N', 0x00, 'C', 'O', 0x00, 0x00, 0x00, 0x80});
    PutBytes(b, 0xC0B0, 0xC0BC, {'V', '1', '.', '2', '3', 0x00, 0x00, 0x00});
    PutBytes(b, 0xC0B0, 0xC0C0, {'C', 0x00, '0', '1', 0x00, 0x00});
    return b;
}

RequestInfo MonitorRequest(int step)
{
    Channel channel;
    BuildMonitorRequest(step, channel);
    return channel.sent;
}

// A store that has taken the three monitor replies.
ValueStore LoadedStore()
{
    ValueStore store;
    EXPECT_TRUE(store.DecodeReply(ReadReply(LiveBlock()), MonitorRequest(0), false));
    EXPECT_TRUE(store.DecodeReply(ReadReply(SettingsBlock()), MonitorRequest(2), false));
    EXPECT_TRUE(store.DecodeReply(ReadReply(IdentityBlock()), MonitorRequest(4), false));
    return store;
}

struct FieldCase
{
    const char *name;
    std::function<double(const InverterData &)> read;
    double expected;
};

class DecodedFieldTest : public ::testing::TestWithParam<FieldCase>
{
};

TEST_P(DecodedFieldTest, ValueFromImage)
{
    const ValueStore store = LoadedStore();
    EXPECT_DOUBLE_EQ(GetParam().read(store.Data()), GetParam().expected);
}

#define FIELD(name, expr, expected)                                                                \
    FieldCase                                                                                      \
    {                                                                                              \
        name, [](const InverterData &d) -> double { return expr; }, expected                       \
    }

INSTANTIATE_TEST_SUITE_P(
    Fields, DecodedFieldTest,
    ::testing::Values(
        FIELD("OutputPowerHundredths", d.OutputPower(), 123.45f),
        FIELD("AcVoltage", d.AcVoltage(), 230), FIELD("AcCurrentFFFF", d.AcCurrent(), -0.1f),
        FIELD("AcFrequency", d.AcFrequency(), 50.0), FIELD("DcBus8000", d.DcBusVoltage(), -32768),
        FIELD("InputAVoltage", d.InputAVoltage(), 312),
        FIELD("InputBVoltage", d.InputBVoltage(), 310),
        FIELD("InputACurrent", d.InputACurrent(), 4.5f),
        FIELD("InputBCurrent", d.InputBCurrent(), 4.4f),
        FIELD("InputAPower", d.InputAPower(), 14.0f), FIELD("InputBPower", d.InputBPower(), 13.0f),
        FIELD("EnergyTotalHighWordFirst", d.EnergyTotal(), 100000),
        FIELD("InverterIdPlusOne", d.InverterId(), 5),
        FIELD("CountryCodeUnsigned", d.CountryCode(), 200), FIELD("SleepPower", d.SleepPower(), 20),
        FIELD("RetryTime", d.RetryTime(), 600), FIELD("GridLimit0", d.GridLimits(0), 100),
        FIELD("GridLimit7", d.GridLimits(7), 107), FIELD("GridLimit8Tenths", d.GridLimits(8), 51.5),
        FIELD("GridLimit9Tenths", d.GridLimits(9), 47.5),
        FIELD("GridLimit10Tenths", d.GridLimits(10), 61.5),
        FIELD("GridLimit11Tenths", d.GridLimits(11), 57.5),
        FIELD("GridLimit12", d.GridLimits(12), 112),
        FIELD("GridLimit13Signed", d.GridLimits(13), -5), FIELD("PowerKwDouble", d.PowerKw(), 5.5)),
    [](const auto &info) { return std::string(info.param.name); });

#undef FIELD

TEST(DecodeReply, TextsAndFlags)
{
    const ValueStore store = LoadedStore();
    const InverterData &d = store.Data();
    EXPECT_EQ(d.ModelName(), "ABC");
    EXPECT_EQ(d.CompanyName(), "SUNCO\u20AC");
    EXPECT_EQ(d.OperatingVersion(), "V1.23");
    EXPECT_EQ(d.CertificateVersion(), "C01");
    const bool expected[8] = {true, false, false, false, false, false, false, true};
    for (int k = 0; k < 8; ++k)
        EXPECT_EQ(d.OptionFlags(k), expected[k]) << "flag " << k;
}

TEST(DecodeReply, NothingReadYetMeansZerosAndIdOne)
{
    ValueStore fresh;
    InverterData decoded;
    decoded.Decode(RegisterImage{});
    const InverterData &freshData = fresh.Data();
    for (const InverterData *d : {&freshData, static_cast<const InverterData *>(&decoded)}) {
        EXPECT_EQ(d->InverterId(), 1.0f);
        EXPECT_EQ(d->AcVoltage(), 0.0f);
        EXPECT_EQ(d->EnergyTotal(), 0);
        EXPECT_EQ(d->PowerKw(), 0.0);
        EXPECT_EQ(d->ModelName(), "");
        EXPECT_EQ(d->CertificateVersion(), "");
        EXPECT_FALSE(d->OptionFlags(0));
        EXPECT_FALSE(d->OptionFlags(7));
    }
    // An all-zero settings reply decodes the same way.
    ValueStore store;
    ASSERT_TRUE(store.DecodeReply(ReadReply(Bytes(44, 0)), MonitorRequest(2), false));
    EXPECT_EQ(store.Data().InverterId(), 1.0f);
}

TEST(DecodeReply, ReadLandsAtItsReplyAddressOnly)
{
    ValueStore store;
    ASSERT_TRUE(store.DecodeReply(ReadReply(LiveBlock()), MonitorRequest(0), false));
    const ByteView image = store.Image().Bytes();
    const Bytes live = LiveBlock();
    EXPECT_EQ(Bytes(image.begin() + 0x40, image.begin() + 0x80), live);
    EXPECT_EQ(image[0x3F], 0);
    EXPECT_EQ(image[0x80], 0);
    // The other blocks are decoded too, from the zeros they still hold.
    EXPECT_EQ(store.Data().InverterId(), 1.0f);
}

struct AddressCase
{
    const char *name;
    std::uint32_t replyAddress;
    std::size_t firstChanged; // image index of the first data byte
    std::size_t copied;       // how many of the two data bytes fit
};

class ReplyAddressTest : public ::testing::TestWithParam<AddressCase>
{
};

TEST_P(ReplyAddressTest, ImageStart)
{
    ValueStore store;
    const RequestInfo request{GetParam().replyAddress, ReadFunction, 1};
    ASSERT_TRUE(store.DecodeReply(ReadReply({0xAB, 0xCD}), request, false));
    const ByteView image = store.Image().Bytes();
    std::size_t changed = 0;
    for (std::size_t i = 0; i < image.size(); ++i)
        changed += image[i] != 0;
    EXPECT_EQ(changed, GetParam().copied);
    EXPECT_EQ(image[GetParam().firstChanged], 0xAB);
    if (GetParam().copied == 2) {
        EXPECT_EQ(image[GetParam().firstChanged + 1], 0xCD);
    }
}

INSTANTIATE_TEST_SUITE_P(Addresses, ReplyAddressTest,
                         ::testing::Values(AddressCase{"BlockStart", 0xC000, 0, 2},
                                           AddressCase{"InsideBlock", 0xC102, 0x102, 2},
                                           AddressCase{"LastTwoBytes", 0xC3FF, 1023, 2},
                                           AddressCase{"LastByteOnly", 0xC400, 1024, 1},
                                           AddressCase{"BelowBlockGoesToZero", 0xBFFF, 0, 2},
                                           AddressCase{"AboveBlockGoesToZero", 0xD000, 0, 2}),
                         [](const auto &info) { return std::string(info.param.name); });

struct RecordingAcknowledge : WriteAcknowledge
{
    int calls = 0;
    Bytes lastReply;
    void ApplyWriteAcknowledge(ByteView reply, RegisterImage &image) override
    {
        ++calls;
        lastReply.assign(reply.begin(), reply.end());
        // Mirror SleepPower = 7, as a confirmed write of 0xC084 would.
        const Bytes word{0x00, 0x07};
        image.CopyReplyToImage(0, 2, word, 0x108);
    }
};

TEST(DecodeReply, WriteReplyIsMirroredAndDecodedAtOnce)
{
    ValueStore store = LoadedStore();
    RecordingAcknowledge acknowledge;
    store.SetWriteAcknowledge(&acknowledge);
    const Bytes reply = Closed({0xFF, 0x10, 0xC0, 0x84, 0x00, 0x01});
    ASSERT_TRUE(store.DecodeReply(reply, {0xC108, WriteFunction, 1}, false));
    EXPECT_EQ(acknowledge.calls, 1);
    EXPECT_EQ(acknowledge.lastReply, reply);
    EXPECT_EQ(store.Data().SleepPower(), 7.0f);
}

TEST(DecodeReply, WriteReplyWithoutMirrorChangesNothing)
{
    ValueStore store = LoadedStore();
    const Bytes before(store.Image().Bytes().begin(), store.Image().Bytes().end());
    ASSERT_TRUE(store.DecodeReply(Closed({0xFF, 0x64, 0xCF, 0x01, 0x12, 0x34}),
                                  {0xCE02, OwnWriteFunction, 1}, false));
    EXPECT_EQ(Bytes(store.Image().Bytes().begin(), store.Image().Bytes().end()), before);
}

struct RefusalCase
{
    const char *name;
    Bytes reply;
    RequestInfo request;
    bool calibrationState;
    std::uint16_t unreadable;
};

class RefusedReplyTest : public ::testing::TestWithParam<RefusalCase>
{
};

TEST_P(RefusedReplyTest, FalseAndNothingChanges)
{
    ValueStore store = LoadedStore();
    RecordingAcknowledge acknowledge;
    store.SetWriteAcknowledge(&acknowledge);
    // Leave the flag set, so that a refusal after a readable CRC must clear it.
    ASSERT_FALSE(store.DecodeReply(Bytes{0xFF}, MonitorRequest(0), false));
    const Bytes before(store.Image().Bytes().begin(), store.Image().Bytes().end());

    const auto &c = GetParam();
    EXPECT_FALSE(store.DecodeReply(c.reply, c.request, c.calibrationState));
    EXPECT_EQ(store.ReplyUnreadable(), c.unreadable);
    EXPECT_EQ(Bytes(store.Image().Bytes().begin(), store.Image().Bytes().end()), before);
    EXPECT_EQ(acknowledge.calls, 0);
    EXPECT_EQ(store.Data().AcVoltage(), 230.0f);
    EXPECT_EQ(store.Data().InverterId(), 5.0f);
}

const RequestInfo LiveRead{0xC040, ReadFunction, 32};
const RequestInfo SleepWrite{0xC108, WriteFunction, 1};
const RequestInfo GainWrite{0xCE06, OwnWriteFunction, 7};

Bytes Corrupted(Bytes reply)
{
    reply[3] ^= 0x01;
    return reply;
}

INSTANTIATE_TEST_SUITE_P(
    Replies, RefusedReplyTest,
    ::testing::Values(
        RefusalCase{"TooShort", {0xFF, 0x03}, LiveRead, false, 0xFFFF},
        RefusalCase{"BadCrc", Corrupted(ReadReply(Bytes(64, 0))), LiveRead, false, 0},
        RefusalCase{"BadCrcInCalibration", Corrupted(ReadReply(Bytes(64, 0))), LiveRead, true, 0},
        RefusalCase{"ExceptionToRead", Closed({0xFF, 0x83, 0x02}), LiveRead, false, 0},
        RefusalCase{"ExceptionToWrite", Closed({0xFF, 0x90, 0x02}), SleepWrite, false, 0},
        RefusalCase{"ExceptionToCalibrationWrite", Closed({0xFF, 0xE4, 0x02}), GainWrite, true, 0},
        RefusalCase{"WriteReplyToRead", Closed({0xFF, 0x10, 0xC0, 0x84, 0x00, 0x01}), LiveRead,
                    false, 0},
        RefusalCase{"ReadReplyToWrite", ReadReply({0x00, 0x07}), SleepWrite, false, 0},
        RefusalCase{"LateReplyOfOtherBlock", ReadReply(Bytes(44, 0)), LiveRead, false, 0},
        RefusalCase{"ByteCountPastData", Closed({0xFF, 0x03, 0x40, 0x00, 0x00, 0x00, 0x00}),
                    LiveRead, false, 0},
        RefusalCase{
            "ByteCountOneShort", Closed({0xFF, 0x03, 0x02, 0x00}), {0xC040, 0x03, 1}, false, 0}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(DecodeReply, CalibrationStatesAcceptOnCrcAndDecodeNothing)
{
    ValueStore store = LoadedStore();
    RecordingAcknowledge acknowledge;
    store.SetWriteAcknowledge(&acknowledge);
    const Bytes before(store.Image().Bytes().begin(), store.Image().Bytes().end());

    // Calibration block read: 15 registers from 0xCF00; its address would fall in the image.
    EXPECT_TRUE(store.DecodeReply(ReadReply(Bytes(30, 0x55)), {0xC000, ReadFunction, 15}, true));
    // Calibration write acknowledged: not mirrored here.
    EXPECT_TRUE(store.DecodeReply(Closed({0xFF, 0x64, 0xCF, 0x03, 0x00, 0x07}), GainWrite, true));
    // Neither function nor length is held against the request in these states.
    EXPECT_TRUE(store.DecodeReply(ReadReply({0x01}), GainWrite, true));

    EXPECT_EQ(store.ReplyUnreadable(), 0);
    EXPECT_EQ(acknowledge.calls, 0);
    EXPECT_EQ(Bytes(store.Image().Bytes().begin(), store.Image().Bytes().end()), before);
    EXPECT_EQ(store.Data().AcVoltage(), 230.0f);
}

TEST(CopyReplyToImage, StopsAtTheEndOfTheSource)
{
    RegisterImage image;
    image.CopyReplyToImage(1, 10, Bytes{0x01, 0x02, 0x03}, 5);
    EXPECT_EQ(image[5], 0x02);
    EXPECT_EQ(image[6], 0x03);
    EXPECT_EQ(image[7], 0x00);
}

} // namespace
} // namespace pv
