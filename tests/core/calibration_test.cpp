// The calibration core without a window: the three request frames byte for byte, the read
// reply laid into the Read Setting Data row, the gain and offset arithmetic, and the entries
// each action needs filled in.

#include "calibration/calibration_frames.h"
#include "calibration/gain_calculation.h"
#include "link/line_recorder.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <tuple>

namespace pv {
namespace {

using E = CalibrationEntry;

const NumberFormat Point{'.', ','};
const NumberFormat Comma{',', '.'};

// ---- frames ------------------------------------------------------------------------------

using Edit = std::function<void(CalibrationTexts &)>;
const Edit Unchanged = [](CalibrationTexts &) {};

TEST(CalibrationFrames, AreBuiltByteForByteOrRefused)
{
    // Step, texts changed from the design ones, frame (nullptr: refused, nothing to send).
    const std::tuple<int, Edit, const char *> cases[] = {
        {CalibrationReadStep, Unchanged, "FF 03 CF 00 00 0F 2F 04"},
        // The current gains come from their own entries, not from the row's copies of them;
        // 254.5 goes as 254, 255.5 is no byte.
        {CalibrationWriteStep, [](CalibrationTexts &t) { t.text7 = "254.5", t.text8[10] = "1"; },
         "FF 64 CF 03 00 07 0E 80 80 80 80 01 2C 80 00 80 00 00 E6 FE 00 D1 4F"},
        {CalibrationWriteStep, [](CalibrationTexts &t) { t.text7 = "255.5"; }, nullptr},
        {CalibrationWriteStep, [](CalibrationTexts &t) { t.text8[5] = "4x"; }, nullptr},
        // A typed offset is held to the range its buttons keep, judged once rounded.
        {OffsetWriteStep, [](CalibrationTexts &t) { t.text2 = "138"; }, "FF 64 CF 0A 00 8A FB 6D"},
        {OffsetWriteStep, [](CalibrationTexts &t) { t.text2 = "117.5"; },
         "FF 64 CF 0A 00 76 FB 2C"},
        {OffsetWriteStep, [](CalibrationTexts &t) { t.text2 = "117.4"; }, nullptr},
        {OffsetWriteStep, [](CalibrationTexts &t) { t.text2 = "1300"; }, nullptr},
        {OffsetWriteStep, [](CalibrationTexts &t) { t.text2 = "12a"; }, nullptr},
    };
    for (const auto &[step, edit, frame] : cases) {
        SCOPED_TRACE(testing::Message() << "step " << step << ", " << (frame ? frame : "refused"));
        CalibrationTexts texts = DesignCalibrationTexts();
        edit(texts);
        Channel channel;
        channel.request = {0x01}; // what an earlier exchange left
        EXPECT_EQ(BuildCalibrationRequest(step, texts, Point, channel), frame != nullptr);
        EXPECT_EQ(HexText(channel.request), frame ? frame : "") << "nothing unchecked is sent";
    }
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

TEST(CalibrationReadLayout, ShowsEachNamedByteInItsColumnWhenTheReplyFillsTheRow)
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
    EXPECT_FALSE(LayOutCalibrationReply(ReadReply(15))); // bytes 0..17 before the CRC
    EXPECT_TRUE(LayOutCalibrationReply(ReadReply(16)));  // bytes 0..18: just enough
}

// ---- arithmetic ------------------------------------------------------------------------------

TEST(CurrentGain, IsTheMeterToLcdRatioOnTheGainScaleForEachPairUpToTheFirstWithout)
{
    // 148.48, 107.52; no LCD reading; 408704 does not fit 16 bits; no byte limit here.
    const std::tuple<float, float, std::optional<std::int16_t>> cases[]
        = {{5.1f, 5.0f, 148},
           {4.9f, 5.0f, 108},
           {5.0f, 0.0f, std::nullopt},
           {400.0f, 1.0f, std::nullopt},
           {-30.0f, 1.0f, -31616}};
    for (const auto &[meter, lcd, gain] : cases)
        EXPECT_EQ(CurrentGain(meter, lcd), gain) << meter << " / " << lcd;
    // The window's pairs: a decimal comma is read, and the first pair without a gain ends them.
    CalibrationTexts texts = DesignCalibrationTexts();
    texts.text3[5] = "5,1";
    texts.text3[7] = "4.9";
    EXPECT_EQ(CalculateCurrentGains(texts), (std::vector<std::string>{"148", "108", "128"}));
    texts.text3[8] = "0";
    EXPECT_EQ(CalculateCurrentGains(texts), std::vector<std::string>{"148"});
}

TEST(FillWriteSettingData, ComputesTheWholeRowOrRefusesIt)
{
    using Row = std::array<std::string, Text8Count>;
    const Row design = DesignCalibrationTexts().text8;
    // The texts changed from the design ones, and the row (nothing: refused, no cell changed);
    // the design texts give the design row whatever the format.
    const std::tuple<const char *, Edit, std::optional<Row>> cases[] = {
        // The row shows a negative meter voltage; the build refuses its cells later. The
        // current gains are copied as they stand.
        {"MeasuredPoints",
         [](CalibrationTexts &t) {
             t.text4 = {"150", "148", "300", "297", "131"};
             t.text5 = "-300", t.text6 = "1,024.4", t.text7 = "12x";
         },
         Row{"128", "128", "135", "129", "-1", "-44", "128", "131", "4", "0", "12x"}},
        {"LcdPointsEqual", [](CalibrationTexts &t) { t.text3[3] = "150"; }, {}},
        {"PointNoNumber", [](CalibrationTexts &t) { t.text4[2] = "3OO"; }, {}},
        {"CommaUnderPointFormat", [](CalibrationTexts &t) { t.text3[0] = "150,5"; }, {}},
        {"DcBusNoNumber", [](CalibrationTexts &t) { t.text5 = "300V"; }, {}},
        {"GainBeyond16Bits", [](CalibrationTexts &t) { t.text3[2] = "40000"; }, {}},
    };
    for (const auto &[name, change, row] : cases) {
        CalibrationTexts texts = DesignCalibrationTexts();
        change(texts);
        EXPECT_EQ(FillWriteSettingData(texts, Point), row) << name;
    }
    EXPECT_EQ(FillWriteSettingData(DesignCalibrationTexts(), Comma), design) << "any format";
}

TEST(StepAcCurrentOffset, StepsOneAndStaysWithin118To138)
{
    const std::tuple<const char *, int, const char *> cases[]
        = {{"128", OffsetUpButton, "129"},
           {"200", OffsetDownButton, "138"},
           {"", OffsetUpButton, "118"},
           {"127.5", OffsetUpButton, "129"},
           {"1e400", OffsetDownButton, "138"}};
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
