// The simulated inverter answers the frames the tool builds, stores what is written and refuses
// what a real unit refuses.

#include "sim_test_support.h"

#include <gtest/gtest.h>

#include <vector>

namespace pv::test {
namespace {

Bytes Words(std::initializer_list<std::uint16_t> words)
{
    Bytes bytes;
    for (std::uint16_t w : words) {
        bytes.push_back(static_cast<std::uint8_t>(w >> 8));
        bytes.push_back(static_cast<std::uint8_t>(w & 0xFF));
    }
    return bytes;
}

Bytes Read(InverterSimulator &inverter, std::uint16_t start, std::uint16_t count, std::int64_t &now)
{
    Channel channel;
    BuildReadRequest(channel, start, count);
    return Exchange(inverter, channel.request, now);
}

// --- reads -----------------------------------------------------------------------------------

struct ReadCase
{
    const char *name;
    std::uint16_t start;
    std::uint16_t count;

    friend void PrintTo(const ReadCase &c, std::ostream *out) { *out << c.name; }
};

class SimulatorRead : public ::testing::TestWithParam<ReadCase>
{
};

TEST_P(SimulatorRead, ReplyCarriesTheHeldRegistersUnderAGoodCrc)
{
    const ReadCase c = GetParam();
    InverterSimulator inverter;
    std::int64_t now = 1000;
    const Bytes reply = Read(inverter, c.start, c.count, now);

    ASSERT_EQ(reply.size(), 5u + 2u * c.count) << Hex(reply);
    EXPECT_EQ(reply[0], 0xFF);
    EXPECT_EQ(reply[1], 0x03);
    EXPECT_EQ(reply[2], 2 * c.count);
    EXPECT_TRUE(CrcGood(reply));
    for (std::uint16_t k = 0; k < c.count; ++k)
        EXPECT_EQ(static_cast<std::uint16_t>(ImageWord(reply, 3 + 2u * k)),
                  inverter.Register(static_cast<std::uint16_t>(c.start + k)))
            << "register " << std::hex << c.start + k;
}

INSTANTIATE_TEST_SUITE_P(Blocks, SimulatorRead,
                         ::testing::Values(ReadCase{"C020_32regs_readings", 0xC020, 0x20},
                                           ReadCase{"C080_22regs_configuration", 0xC080, 0x16},
                                           ReadCase{"C0B0_19regs_identity", 0xC0B0, 0x13},
                                           ReadCase{"C081_21regs_configuration_read", 0xC081, 0x15},
                                           ReadCase{"C0B1_1reg_rated_power", 0xC0B1, 1},
                                           ReadCase{"CF00_15regs_calibration", 0xCF00, 0x0F},
                                           ReadCase{"C0F0_16regs_end_of_block", 0xC0F0, 0x10}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(SimulatorDefaults, IdentityAsTheToolDecodesIt)
{
    InverterSimulator inverter;
    std::int64_t now = 0;
    const Bytes reply = Read(inverter, 0xC0B0, 0x13, now);
    ASSERT_EQ(reply.size(), 43u);
    EXPECT_EQ(ImageWord(reply, 3), 36); // 3.6 kW, 0xC0B0 and 0xC0B1 alike
    EXPECT_EQ(ImageWord(reply, 5), 36);
    EXPECT_EQ(ImageText(reply, 7, 10), "PV3600");
    EXPECT_EQ(ImageText(reply, 17, 10), "PV Works");
    EXPECT_EQ(ImageText(reply, 27, 8), "01000700");
    EXPECT_EQ(ImageText(reply, 35, 6), "1.02");
}

TEST(SimulatorDefaults, ConfigurationOfAPresetCountryOnA230V50HzGrid)
{
    InverterSimulator inverter;
    std::int64_t now = 0;
    const Bytes reply = Read(inverter, 0xC080, 0x16, now);
    ASSERT_EQ(reply.size(), 49u);
    const auto reg = [&](std::uint16_t r) { return ImageWord(reply, 3 + 2u * (r - 0xC080)); };
    EXPECT_EQ(reply[5], 0x00) << "flags: standard DC input, jbus";
    EXPECT_EQ(reply[6], 6) << "country code";
    EXPECT_GT(reg(0xC089), 230) << "Vmax_L1";
    EXPECT_LT(reg(0xC08A), 230) << "Vmin_L1";
    // Frequencies x 10 inside the ranges the tool accepts for entries.
    EXPECT_GT(reg(0xC090), 501);
    EXPECT_LT(reg(0xC090), 549);
    EXPECT_GT(reg(0xC091), 451);
    EXPECT_LT(reg(0xC091), 499);
    EXPECT_GE(reg(0xC092), 601);
    EXPECT_LE(reg(0xC092), 650);
    EXPECT_GE(reg(0xC093), 551);
    EXPECT_LE(reg(0xC093), 599);
}

TEST(SimulatorDefaults, CalibrationBytesAtMidScale)
{
    InverterSimulator inverter;
    std::int64_t now = 0;
    const Bytes reply = Read(inverter, 0xCF00, 0x0F, now);
    ASSERT_EQ(reply.size(), 35u);
    // Bytes shown after a calibration read: gains and offsets 128, DC bus meter 300 V.
    for (std::size_t i : {3u, 4u, 5u, 6u, 9u, 10u, 11u, 15u, 17u})
        EXPECT_EQ(reply[i], 128) << "reply byte " << i;
    EXPECT_EQ(ImageWord(reply, 13), 300);
    EXPECT_EQ(ImageWord(reply, 3 + 2 * 8), 230) << "0xCF08 AC meter voltage";
    EXPECT_EQ(ImageWord(reply, 3 + 2 * 10), 128) << "0xCF0A AC current offset";
}

// --- writes with function 0x10 ---------------------------------------------------------------

struct WriteCase
{
    const char *name;
    std::uint16_t start;
    Bytes data;

    friend void PrintTo(const WriteCase &c, std::ostream *out) { *out << c.name; }
};

class SimulatorWrite : public ::testing::TestWithParam<WriteCase>
{
};

TEST_P(SimulatorWrite, RepliesWithStartAndCountAndKeepsTheValues)
{
    const WriteCase &c = GetParam();
    InverterSimulator inverter;
    inverter.FreezeReadings(true);
    std::int64_t now = 0;
    Channel channel;
    BuildWriteRequest(channel, WriteFunction, c.start, c.data);
    const auto count = static_cast<std::uint16_t>(c.data.size() / 2);

    const Bytes reply = Exchange(inverter, channel.request, now);
    EXPECT_EQ(Hex(reply), Hex(WithCrc({0xFF, 0x10, static_cast<std::uint8_t>(c.start >> 8),
                                       static_cast<std::uint8_t>(c.start & 0xFF), 0x00,
                                       static_cast<std::uint8_t>(count)})));

    const Bytes back = Read(inverter, c.start, count, now);
    ASSERT_EQ(back.size(), 5u + c.data.size());
    EXPECT_EQ(Hex(Bytes(back.begin() + 3, back.end() - 2)), Hex(c.data));
}

INSTANTIATE_TEST_SUITE_P(
    Registers, SimulatorWrite,
    ::testing::Values(
        WriteCase{"C084_sleep_power_7", 0xC084, Words({7})},
        WriteCase{"C085_retry_time_600", 0xC085, Words({600})},
        WriteCase{"C081_flags_7F_country_17", 0xC081, Words({0x7F11})},
        WriteCase{"C088_14_limits", 0xC088,
                  Words({270, 260, 190, 180, 100, 1000, 1000, 100, 515, 475, 605, 595, 100, 150})},
        WriteCase{"C0B0_identity_block_12_words", 0xC0B0,
                  Words({0x0023, 0x0023, 0x4142, 0x4300, 0, 0, 0, 0x5859, 0x5A00, 0, 0, 0})}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(SimulatorWrite, EnergyWrittenThroughTheImageRestartsTheCounter)
{
    InverterSimulator inverter;
    std::int64_t now = 0;
    Channel channel;
    BuildWriteRequest(channel, WriteFunction, 0xC031, Words({0x0001, 0x1170}));
    Exchange(inverter, channel.request, now);
    EXPECT_EQ(inverter.EnergyTotal(), 70000);
}

// --- the inverter's own write function 0x64 --------------------------------------------------

TEST(SimulatorOwnWrite, EnergyHalvesAreEchoedAndLandInC031AndC032)
{
    InverterSimulator inverter;
    std::int64_t now = 0;
    Channel high;
    BuildSingleWordWrite(high, 0xCF01, 0x0001);
    Channel low;
    BuildSingleWordWrite(low, 0xCF02, 0x1170);

    const Bytes highReply = Exchange(inverter, high.request, now);
    const Bytes lowReply = Exchange(inverter, low.request, now);
    EXPECT_EQ(Hex(highReply), Hex(high.request));
    EXPECT_EQ(Hex(lowReply), Hex(low.request));
    EXPECT_EQ(highReply[3], 1);
    EXPECT_EQ(lowReply[3], 2);

    // Read back at the moment of the last write, before the counter has moved on.
    now -= PollMs;
    const Bytes back = Read(inverter, 0xC031, 2, now);
    EXPECT_EQ(Hex(Bytes(back.begin() + 3, back.begin() + 7)), "00 01 11 70");
    EXPECT_EQ(inverter.EnergyTotal(), 70000);
}

TEST(SimulatorOwnWrite, AcCurrentOffsetIsEchoedAndKept)
{
    InverterSimulator inverter;
    std::int64_t now = 0;
    Channel channel;
    BuildSingleWordWrite(channel, 0xCF0A, 300);
    EXPECT_EQ(Hex(Exchange(inverter, channel.request, now)), Hex(channel.request));
    const Bytes back = Read(inverter, 0xCF0A, 1, now);
    EXPECT_EQ(Hex(Bytes(back.begin() + 3, back.begin() + 5)), "01 2C");
}

TEST(SimulatorOwnWrite, CalibrationBlockFromCF03RepliesLike10AndIsReadBack)
{
    InverterSimulator inverter;
    std::int64_t now = 0;
    const Bytes data{0x81, 0x7F, 0x82, 0x7E, 0x01, 0x2C, 0x83,
                     0x00, 0x84, 0x00, 0x00, 0xE6, 0x85, 0x00};
    Channel channel;
    BuildWriteRequest(channel, OwnWriteFunction, 0xCF03, data);

    EXPECT_EQ(Hex(Exchange(inverter, channel.request, now)),
              Hex(WithCrc({0xFF, 0x64, 0xCF, 0x03, 0x00, 0x07})));
    const Bytes back = Read(inverter, 0xCF00, 0x0F, now);
    ASSERT_EQ(back.size(), 35u);
    EXPECT_EQ(Hex(Bytes(back.begin() + 9, back.begin() + 23)), Hex(data));
    EXPECT_EQ(Hex(Bytes(back.begin() + 3, back.begin() + 9)), "80 80 80 80 80 80")
        << "0xCF00..0xCF02 are not part of the write";
}

// --- refusals --------------------------------------------------------------------------------

struct RefusalCase
{
    const char *name;
    Bytes request;
    Bytes expected; // before the CRC

    friend void PrintTo(const RefusalCase &c, std::ostream *out) { *out << c.name; }
};

class SimulatorRefusal : public ::testing::TestWithParam<RefusalCase>
{
};

Bytes ReadFrame(std::uint16_t start, std::uint16_t count)
{
    Channel channel;
    BuildReadRequest(channel, start, count);
    return channel.request;
}

Bytes WriteFrame(std::uint8_t function, std::uint16_t start, Bytes data)
{
    Channel channel;
    BuildWriteRequest(channel, function, start, data);
    return channel.request;
}

Bytes OneWordFrame(std::uint16_t reg, std::uint16_t value)
{
    Channel channel;
    BuildSingleWordWrite(channel, reg, value);
    return channel.request;
}

std::vector<std::uint16_t> AllRegisters(const InverterSimulator &inverter)
{
    std::vector<std::uint16_t> registers;
    for (std::uint32_t r = 0xC000; r <= 0xCF0F; ++r) {
        if (InverterSimulator::Holds(static_cast<std::uint16_t>(r)))
            registers.push_back(inverter.Register(static_cast<std::uint16_t>(r)));
    }
    return registers;
}

TEST_P(SimulatorRefusal, AnswersWithAnExceptionAndChangesNothing)
{
    const RefusalCase &c = GetParam();
    InverterSimulator inverter;
    inverter.FreezeReadings(true);
    const auto before = AllRegisters(inverter);
    std::int64_t now = 0;
    EXPECT_EQ(Hex(Exchange(inverter, c.request, now)), Hex(WithCrc(c.expected)));

    EXPECT_EQ(before, AllRegisters(inverter));
}

INSTANTIATE_TEST_SUITE_P(
    Requests, SimulatorRefusal,
    ::testing::Values(
        RefusalCase{"function_05_unknown",
                    WithCrc({0xFF, 0x05, 0xC0, 0x00, 0xFF, 0x00}),
                    {0xFF, 0x85, 0x01}},
        RefusalCase{"read_D000_outside_blocks", ReadFrame(0xD000, 1), {0xFF, 0x83, 0x02}},
        RefusalCase{"read_C0F0_17regs_runs_past_C0FF", ReadFrame(0xC0F0, 0x11), {0xFF, 0x83, 0x02}},
        RefusalCase{"read_zero_registers", ReadFrame(0xC020, 0), {0xFF, 0x83, 0x03}},
        RefusalCase{"write_10_into_calibration_block",
                    WriteFrame(0x10, 0xCF05, {0x01, 0x2C}),
                    {0xFF, 0x90, 0x02}},
        RefusalCase{"write_10_byte_count_not_twice_count",
                    WithCrc({0xFF, 0x10, 0xC0, 0x84, 0x00, 0x02, 0x02, 0x00, 0x07}),
                    {0xFF, 0x90, 0x03}},
        RefusalCase{"own_write_one_word_to_CF05", OneWordFrame(0xCF05, 1), {0xFF, 0xE4, 0x02}},
        RefusalCase{"own_write_block_into_image",
                    WriteFrame(0x64, 0xC084, {0x00, 0x09}),
                    {0xFF, 0xE4, 0x02}},
        RefusalCase{"own_write_block_from_CF00",
                    WriteFrame(0x64, 0xCF00, {0x00, 0x09}),
                    {0xFF, 0xE4, 0x02}}),
    [](const auto &info) { return std::string(info.param.name); });

// --- framing ---------------------------------------------------------------------------------

Bytes MonitorFrame()
{
    Channel channel;
    BuildMonitorRequest(0, channel);
    return channel.request;
}

TEST(SimulatorFraming, RequestArrivingByteByByteIsAnsweredOnce)
{
    InverterSimulator inverter;
    std::int64_t now = 0;
    for (std::uint8_t b : MonitorFrame()) {
        EXPECT_EQ(inverter.FramesReceived(), 0u);
        inverter.Feed(Bytes{b}, now++);
    }
    EXPECT_EQ(inverter.FramesReceived(), 1u);
    EXPECT_EQ(inverter.TakeOutput(now + PollMs).size(), 69u);
}

TEST(SimulatorFraming, ReplyIsHeldBackUntilItsDueTime)
{
    InverterSimulator inverter;
    inverter.SetReplyDelayMs(20);
    inverter.Feed(MonitorFrame(), 100);
    EXPECT_TRUE(inverter.TakeOutput(119).empty());
    EXPECT_EQ(inverter.NextDueMs(), std::optional<std::int64_t>{120});
    EXPECT_EQ(inverter.TakeOutput(120).size(), 69u);
    EXPECT_FALSE(inverter.NextDueMs());
}

TEST(SimulatorFraming, BadCrcIsDroppedAndTheNextRequestAnswered)
{
    InverterSimulator inverter;
    std::int64_t now = 0;
    Bytes damaged = MonitorFrame();
    damaged[7] ^= 0x01;
    EXPECT_TRUE(Exchange(inverter, damaged, now).empty());
    EXPECT_EQ(inverter.FramesReceived(), 0u);
    EXPECT_EQ(Exchange(inverter, MonitorFrame(), now).size(), 69u);
}

TEST(SimulatorFraming, DamagedFrameFollowedAtOnceByAGoodOneYieldsOneReply)
{
    InverterSimulator inverter;
    std::int64_t now = 0;
    Bytes burst = MonitorFrame();
    burst[4] ^= 0x10;
    const Bytes good = ReadFrame(0xC080, 1);
    burst.insert(burst.end(), good.begin(), good.end());
    const Bytes reply = Exchange(inverter, burst, now);
    EXPECT_EQ(reply.size(), 7u) << Hex(reply);
    EXPECT_TRUE(CrcGood(reply));
}

TEST(SimulatorFraming, NoiseInFrontOfARequestIsSkipped)
{
    InverterSimulator inverter;
    std::int64_t now = 0;
    Bytes burst{0x00, 0x55, 0xFF, 0x13, 0xAA};
    const Bytes frame = MonitorFrame();
    burst.insert(burst.end(), frame.begin(), frame.end());
    EXPECT_EQ(Exchange(inverter, burst, now).size(), 69u);
    EXPECT_EQ(inverter.BytesDropped(), 5u);
}

TEST(SimulatorFraming, TornFrameIsGivenUpAfterAPause)
{
    InverterSimulator inverter;
    const Bytes frame = MonitorFrame();
    inverter.Feed(Bytes(frame.begin(), frame.begin() + 5), 0);
    inverter.Feed(frame, InverterSimulator::FrameGapMs + 1);
    EXPECT_EQ(inverter.FramesReceived(), 1u);
    EXPECT_EQ(inverter.BytesDropped(), 5u);
    EXPECT_EQ(inverter.TakeOutput(1000).size(), 69u);
}

TEST(SimulatorFraming, BytesAfterAPauseAreNotJoinedToATornStart)
{
    InverterSimulator inverter;
    const Bytes frame = MonitorFrame();
    inverter.Feed(Bytes(frame.begin(), frame.begin() + 4), 0);
    inverter.Feed(Bytes(frame.begin() + 4, frame.end()), InverterSimulator::FrameGapMs + 1);
    EXPECT_EQ(inverter.FramesReceived(), 0u);
    EXPECT_TRUE(inverter.TakeOutput(1000).empty());

    inverter.Feed(Bytes(frame.begin(), frame.begin() + 4), 2000);
    inverter.Feed(Bytes(frame.begin() + 4, frame.end()), 2000 + InverterSimulator::FrameGapMs);
    EXPECT_EQ(inverter.FramesReceived(), 1u) << "a pause within the gap keeps the frame whole";
}

TEST(SimulatorFraming, FrameForAnotherAddressIsIgnored)
{
    InverterSimulator inverter;
    std::int64_t now = 0;
    EXPECT_TRUE(Exchange(inverter, WithCrc({0x01, 0x03, 0xC0, 0x20, 0x00, 0x20}), now).empty());
    EXPECT_EQ(inverter.FramesReceived(), 0u);
}

TEST(SimulatorFraming, TwoRequestsInOneBurstAreAnsweredInOrder)
{
    InverterSimulator inverter;
    std::int64_t now = 0;
    Bytes burst = ReadFrame(0xC080, 1);
    const Bytes second = ReadFrame(0xC031, 2);
    burst.insert(burst.end(), second.begin(), second.end());
    const Bytes replies = Exchange(inverter, burst, now);
    ASSERT_EQ(replies.size(), 7u + 9u);
    EXPECT_EQ(replies[2], 2);
    EXPECT_EQ(replies[7 + 2], 4);
}

// --- texts -----------------------------------------------------------------------------------

struct TextCase
{
    const char *name;
    std::string version;
    std::string certificate;

    friend void PrintTo(const TextCase &c, std::ostream *out) { *out << c.name; }
};

class SimulatorTexts : public ::testing::TestWithParam<TextCase>
{
};

TEST_P(SimulatorTexts, FirmwareTextsReadBackAsSet)
{
    const TextCase &c = GetParam();
    InverterSimulator inverter;
    inverter.SetOperatingVersion(c.version);
    inverter.SetCertificateVersion(c.certificate);
    std::int64_t now = 0;
    const Bytes reply = Read(inverter, 0xC0BC, 7, now);
    ASSERT_EQ(reply.size(), 19u);
    EXPECT_EQ(ImageText(reply, 3, 8), c.version);
    EXPECT_EQ(ImageText(reply, 11, 6), c.certificate);
}

INSTANTIATE_TEST_SUITE_P(Versions, SimulatorTexts,
                         ::testing::Values(TextCase{"accepted_01000700", "01000700", "1.02"},
                                           TextCase{"refused_range_01000811", "01000811", "2.00"},
                                           TextCase{"other_00081100", "00081100", "V1"},
                                           TextCase{"short_text_is_zero_filled", "0100", ""},
                                           TextCase{"code_page_character", "V1.0\xc3\xbc",
                                                    "\xc3\xa9t\xc3\xa9"}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(SimulatorTexts, TextLongerThanItsFieldIsRefused)
{
    InverterSimulator inverter;
    EXPECT_THROW(inverter.SetOperatingVersion("010007000"), std::invalid_argument);
    EXPECT_THROW(inverter.SetCertificateVersion("1.02.03"), std::invalid_argument);
    EXPECT_THROW(inverter.SetModelName("PV3600-EXTRA"), std::invalid_argument);
}

} // namespace
} // namespace pv::test
