// The calibration core without a window: the three request frames byte for byte, the read
// reply laid into the Read Setting Data row, the gain and offset arithmetic, and the entries
// each action needs filled in.

#include "calibration/calibration_frames.h"
#include "calibration/gain_calculation.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>

namespace pv {
namespace {

using E = CalibrationEntry;

std::string Hex(ByteView bytes)
{
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string hex;
    for (std::uint8_t b : bytes)
        hex += std::string(hex.empty() ? "" : " ") + digits[b >> 4] + digits[b & 15];
    return hex;
}

const NumberFormat Point{'.', ','};
const NumberFormat Comma{',', '.'};

// ---- frames ------------------------------------------------------------------------------

struct FrameCase
{
    const char *name;
    int step;
    std::function<void(CalibrationTexts &)> edit;
    const char *frame; // nullptr: refused, nothing to send
};

class CalibrationFrames : public ::testing::TestWithParam<FrameCase>
{
};

TEST_P(CalibrationFrames, AreBuiltByteForByteOrRefused)
{
    CalibrationTexts texts = DesignCalibrationTexts();
    GetParam().edit(texts);
    Channel channel;
    channel.request = {0x01}; // what an earlier exchange left
    const bool built = BuildCalibrationRequest(GetParam().step, texts, Point, channel);
    if (GetParam().frame == nullptr) {
        EXPECT_FALSE(built);
        EXPECT_TRUE(channel.request.empty()) << "nothing unchecked may be sent";
    } else {
        EXPECT_TRUE(built);
        EXPECT_EQ(Hex(channel.request), GetParam().frame);
    }
}

const auto Unchanged = [](CalibrationTexts &) {};
const FrameCase FrameCases[] = {
    {"Read", CalibrationReadStep, Unchanged, "FF 03 CF 00 00 0F 2F 04"},
    {"WriteWithDesignTexts", CalibrationWriteStep, Unchanged,
     "FF 64 CF 03 00 07 0E 80 80 80 80 01 2C 80 00 80 00 00 E6 80 00 F0 EF"},
    // The current gains come from their own entries, not from the row's copies of them.
    {"AcGain254Point5GoesAs254", CalibrationWriteStep,
     [](CalibrationTexts &t) { t.text7 = "254.5", t.text8[10] = "1"; },
     "FF 64 CF 03 00 07 0E 80 80 80 80 01 2C 80 00 80 00 00 E6 FE 00 D1 4F"},
    {"AcGain255Point5IsNoByte", CalibrationWriteStep,
     [](CalibrationTexts &t) { t.text7 = "255.5"; }, nullptr},
    {"NegativeStringBGain", CalibrationWriteStep, [](CalibrationTexts &t) { t.text4[4] = "-1"; },
     nullptr},
    {"RowCellNoNumber", CalibrationWriteStep, [](CalibrationTexts &t) { t.text8[5] = "4x"; },
     nullptr},
    {"RowCellAbove255", CalibrationWriteStep, [](CalibrationTexts &t) { t.text8[9] = "256"; },
     nullptr},
    {"Offset300", OffsetWriteStep, [](CalibrationTexts &t) { t.text2 = "300"; },
     "FF 64 CF 0A 01 2C 7A 87"},
    {"Offset70000", OffsetWriteStep, [](CalibrationTexts &t) { t.text2 = "70000"; }, nullptr},
    {"OffsetNegative", OffsetWriteStep, [](CalibrationTexts &t) { t.text2 = "-1"; }, nullptr},
    {"OffsetNoNumber", OffsetWriteStep, [](CalibrationTexts &t) { t.text2 = "12a"; }, nullptr},
};

INSTANTIATE_TEST_SUITE_P(Calibration, CalibrationFrames, ::testing::ValuesIn(FrameCases),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(CalibrationFrames, ReplyStepsLeaveTheChannelAlone)
{
    Channel channel;
    channel.request = {0x01};
    for (int step : {1, 3, 5, 6, -1})
        EXPECT_TRUE(BuildCalibrationRequest(step, DesignCalibrationTexts(), Point, channel));
    EXPECT_EQ(channel.request, Bytes{0x01});
}

TEST(CalibrationSteps, AdvanceFromEachSendToItsReplyOnly)
{
    const std::map<int, int> next{{0, 1}, {1, 1}, {2, 3}, {3, 3}, {4, 5}, {5, 5}, {6, 6}, {-1, -1}};
    for (const auto &[step, after] : next)
        EXPECT_EQ(AdvanceCalibrationStep(step), after) << step;
}

// ---- read reply ------------------------------------------------------------------------------

// A read reply FF 03 1E whose data byte at reply index i holds i, but 0x80 at index 3.
Bytes ReadReply(std::size_t dataBytes = 30)
{
    Bytes reply{0xFF, 0x03, static_cast<std::uint8_t>(dataBytes)};
    for (std::size_t i = 3; i < 3 + dataBytes; ++i)
        reply.push_back(static_cast<std::uint8_t>(i == 3 ? 0x80 : i));
    AppendCrc(reply);
    return reply;
}

TEST(CalibrationReadLayout, ShowsEachNamedByteInItsColumn)
{
    const auto texts = LayOutCalibrationReply(ReadReply());
    ASSERT_TRUE(texts);
    std::map<int, std::string> row;
    for (const auto &[index, text] : *texts)
        row[index] = text;
    // Byte 3 (0xCF00 high) in Text1(0), byte 4 in Text1(6), not Text1(1); Text1(4) untouched.
    const std::map<int, std::string> expected{{0, "128"}, {6, "4"},   {2, "5"},  {7, "6"},
                                              {8, "9"},   {10, "10"}, {9, "11"}, {1, "13"},
                                              {3, "15"},  {5, "17"},  {11, "18"}};
    EXPECT_EQ(row, expected);
}

TEST(CalibrationReadLayout, AReplyTooShortForTheRowGivesNothing)
{
    EXPECT_FALSE(LayOutCalibrationReply(ReadReply(15))); // bytes 0..17 before the CRC
    EXPECT_FALSE(LayOutCalibrationReply(Bytes{}));
    EXPECT_TRUE(LayOutCalibrationReply(ReadReply(16))); // bytes 0..18: just enough
}

// ---- arithmetic ------------------------------------------------------------------------------

TEST(CurrentGain, IsTheMeterToLcdRatioOnTheGainScale)
{
    struct Case
    {
        float meter, lcd;
        std::optional<std::int16_t> gain;
    };
    const Case cases[] = {
        {5.1f, 5.0f, 148}, // 148.48
        {4.9f, 5.0f, 108}, // 107.52
        {5.0f, 5.0f, 128},          {10.0f, 10.0f, 128},
        {5.0f, 0.0f, std::nullopt},                               // no LCD reading
        {0.0f, 0.0f, std::nullopt}, {400.0f, 1.0f, std::nullopt}, // 408704 does not fit 16 bits
        {-30.0f, 1.0f, -31616}, // no byte limit here; the write refuses it
    };
    for (const Case &c : cases)
        EXPECT_EQ(CurrentGain(c.meter, c.lcd), c.gain) << c.meter << " / " << c.lcd;
}

TEST(CurrentGain, ReadsADecimalCommaAndStopsAtTheFirstPairWithoutAGain)
{
    CalibrationTexts texts = DesignCalibrationTexts();
    texts.text3[5] = "5,1";
    texts.text3[7] = "4.9";
    EXPECT_EQ(CalculateCurrentGains(texts), (std::vector<std::string>{"148", "108", "128"}));
    texts.text3[8] = "0";
    EXPECT_EQ(CalculateCurrentGains(texts), std::vector<std::string>{"148"});
}

TEST(VoltageGainAndOffset, TakesTheOffsetAtTheUpperPoint)
{
    const auto design = VoltageGainAndOffset(150, 150, 300, 300);
    ASSERT_TRUE(design);
    EXPECT_EQ(design->gain, 128);
    EXPECT_EQ(design->offset, 128);
    const auto measured = VoltageGainAndOffset(150, 148, 300, 297); // K = 150 / 149
    ASSERT_TRUE(measured);
    EXPECT_EQ(measured->gain, 135);   // 134.87
    EXPECT_EQ(measured->offset, 129); // 129.01
    EXPECT_FALSE(VoltageGainAndOffset(150, 300, 300, 300)) << "equal LCD points";
    EXPECT_FALSE(VoltageGainAndOffset(0, 1, 40000, 2)) << "gain beyond 16 bits";
}

TEST(FillWriteSettingData, DesignTextsGiveTheDesignRow)
{
    for (const NumberFormat &format : {Point, Comma}) {
        const auto row = FillWriteSettingData(DesignCalibrationTexts(), format);
        ASSERT_TRUE(row);
        EXPECT_EQ(*row, DesignCalibrationTexts().text8);
    }
}

TEST(FillWriteSettingData, MeasuredPointsAndMeterVoltagesFillTheirCells)
{
    CalibrationTexts texts = DesignCalibrationTexts();
    texts.text4 = {"150", "148", "300", "297", "131"};
    texts.text5 = "-300"; // the row shows it; the build refuses the negative cells later
    texts.text6 = "1,024.4";
    texts.text7 = "12x"; // copied as it stands
    const auto row = FillWriteSettingData(texts, Point);
    ASSERT_TRUE(row);
    EXPECT_EQ(*row, (std::array<std::string, Text8Count>{"128", "128", "135", "129", "-1", "-44",
                                                         "128", "131", "4", "0", "12x"}));
}

TEST(FillWriteSettingData, RefusesWhatCannotBeComputed)
{
    const std::pair<const char *, std::function<void(CalibrationTexts &)>> cases[] = {
        {"LcdPointsEqual", [](CalibrationTexts &t) { t.text3[3] = "150"; }},
        {"PointNoNumber", [](CalibrationTexts &t) { t.text4[2] = "3OO"; }},
        {"CommaDecimalUnderPointFormat", [](CalibrationTexts &t) { t.text3[0] = "150,5"; }},
        {"DcBusNoNumber", [](CalibrationTexts &t) { t.text5 = "300V"; }},
        {"AcEmpty", [](CalibrationTexts &t) { t.text6 = ""; }},
        {"GainBeyond16Bits", [](CalibrationTexts &t) { t.text3[2] = "40000"; }},
    };
    for (const auto &[name, edit] : cases) {
        CalibrationTexts texts = DesignCalibrationTexts();
        edit(texts);
        EXPECT_FALSE(FillWriteSettingData(texts, Point)) << name;
    }
}

TEST(StepAcCurrentOffset, StepsOneAndStaysWithin118To138)
{
    const std::tuple<const char *, int, const char *> cases[]
        = {{"128", OffsetUpButton, "129"},   {"128", OffsetDownButton, "127"},
           {"138", OffsetUpButton, "138"},   {"200", OffsetDownButton, "138"},
           {"", OffsetUpButton, "118"},      {"abc", OffsetDownButton, "118"},
           {"127.5", OffsetUpButton, "129"}, {"1e400", OffsetDownButton, "138"}};
    for (const auto &[before, index, after] : cases)
        EXPECT_EQ(StepAcCurrentOffset(before, index), after) << before << " button " << index;
}

// ---- entry checks ----------------------------------------------------------------------------

TEST(FirstEmptyEntry, WalksTheModesListInOrderAndOnlyEmptinessCounts)
{
    CalibrationTexts texts = DesignCalibrationTexts();
    texts.text6.clear();
    texts.text7.clear();
    texts.text3[9].clear();
    texts.text5 = "no number";
    const std::pair<int, std::optional<EntryId>> cases[] = {
        {1, EntryId{E::Text3, 9}}, {2, EntryId{E::Text6, 0}}, // Text7 is not examined
        {3, std::nullopt},         {0, std::nullopt},         {4, std::nullopt},
    };
    for (const auto &[mode, empty] : cases)
        EXPECT_EQ(FirstEmptyEntry(mode, texts), empty) << "mode " << mode;
    texts.text2.clear();
    EXPECT_EQ(FirstEmptyEntry(3, texts), (EntryId{E::Text2, 0}));
}

} // namespace
} // namespace pv
