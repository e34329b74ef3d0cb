// Texts of the readings and identifiers panels, from decoded registers.

#include "link/register_image.h"
#include "monitor/monitor_texts.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

namespace pv {
namespace {

const NumberFormat Point{'.', ','};

InverterData Decoded(std::initializer_list<std::pair<int, std::uint16_t>> words)
{
    RegisterImage image;
    for (const auto &[reg, word] : words)
        image.CopyReplyToImage(
            0, 2, Bytes{static_cast<std::uint8_t>(word >> 8), static_cast<std::uint8_t>(word)},
            2 * static_cast<std::size_t>(reg - reg::ImageFirst));
    InverterData data;
    data.Decode(image);
    return data;
}

// Each label and identifier box takes its own register, with a decimal comma where the system
// uses one.
TEST(MonitorTextsTest, LabelsAndIdentifiersFollowTheirRegisters)
{
    const InverterData data = Decoded({{0xC020, 9600},
                                       {0xC021, 230},
                                       {0xC024, 43},
                                       {0xC026, 499},
                                       {0xC027, 380},
                                       {0xC02B, 301},
                                       {0xC02C, 302},
                                       {0xC02D, 11},
                                       {0xC02E, 22},
                                       {0xC02F, 5000},
                                       {0xC030, 5000},
                                       {0xC031, 0},
                                       {0xC032, 1234},
                                       {0xC080, 6},
                                       {0xC0B2, 0x5056},
                                       {0xC0B7, 0x4143}});
    EXPECT_EQ(
        MonitorValueTexts(data, {',', '.'}),
        (MonitorTexts{"301", "302", "380", "230", "49,9", "1,1", "2,2", "4,3", "1234", "96,00%"}));
    const IdentifierTexts ids = IdentifierValueTexts(data, Point);
    EXPECT_EQ(std::tie(ids.id, ids.energy, ids.modelName, ids.companyName),
              std::make_tuple("7", "1234", "PV", "AC"));
    // A dark inverter reports no input: 0%, not a division by zero.
    EXPECT_EQ(
        MonitorValueTexts({.outputPower = 5, .inputAPower = 2.5f, .inputBPower = -2.5f}, Point)[9],
        "0%");
}

// The inverter keeps the ID minus one in a word that decodes as signed; the box shows the word
// unsigned plus one, so no ID is ever shown negative.
TEST(MonitorTextsTest, IdBoxShowsTheRegisterWordUnsignedPlusOne)
{
    const std::pair<std::uint16_t, const char *> cases[]
        = {{0x7FFF, "32768"}, {0x8000, "32769"}, {0xFFFF, "65536"}}; // 65536: a Write refuses it
    for (const auto &[word, shown] : cases)
        EXPECT_EQ(IdentifierValueTexts(Decoded({{0xC080, word}}), Point).id, shown) << word;
}

} // namespace
} // namespace pv
