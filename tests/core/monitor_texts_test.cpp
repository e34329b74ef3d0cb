// Texts of the readings and identifiers panels, from plain values and from decoded replies.

#include "link/value_store.h"
#include "monitor/monitor_texts.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

namespace pv {
namespace {

const NumberFormat Point{'.', ','};
const NumberFormat Comma{',', '.'};

MonitorReadings With(float MonitorReadings::*field, float value)
{
    MonitorReadings r;
    r.*field = value;
    return r;
}

MonitorReadings Powers(float output, float a, float b)
{
    MonitorReadings r;
    r.outputPower = output;
    r.inputAPower = a;
    r.inputBPower = b;
    return r;
}

TEST(MonitorTextsTest, EachLabelInItsForm)
{
    MonitorReadings energy;
    energy.energyTotal = -1;
    using R = MonitorReadings;
    // readings, label, text, format
    const std::tuple<MonitorReadings, int, const char *, NumberFormat> cases[]
        = {{With(&R::inputAVoltage, 230), 0, "230", Point},
           {With(&R::inputAVoltage, 0), 0, "0", Point},
           {With(&R::inputBVoltage, 312), 1, "312", Point},
           {With(&R::dcBusVoltage, -5), 2, "-5", Point},
           {With(&R::acVoltage, 49.5f), 3, "49.5", Point},
           {With(&R::acVoltage, 49.5f), 3, "49,5", Comma},
           {With(&R::acFrequency, 49.96f), 4, "50.0", Point},
           {With(&R::acFrequency, 0), 4, "0.0", Point},
           {With(&R::acFrequency, 50), 4, "50,0", Comma},
           {With(&R::inputACurrent, 0.5f), 5, "0.5", Point},
           {With(&R::inputBCurrent, 12.3f), 6, "12.3", Point},
           {With(&R::acCurrent, -0.1f), 7, "-0.1", Point},
           {energy, 8, "-1", Point},
           {Powers(0, 0, 0), 9, "0%", Point},
           {Powers(5, 0, 0), 9, "0%", Point},
           {Powers(5, 2.5f, -2.5f), 9, "0%", Point}, // the sum is exactly zero
           {Powers(960, 500, 500), 9, "96.00%", Point},
           {Powers(960, 500, 500), 9, "96,00%", Comma},
           {Powers(1, 3, 0), 9, "33.33%", Point},
           {Powers(1, -2, 0), 9, "-50.00%", Point},
           {Powers(0, 1, 1), 9, "0.00%", Point}};
    for (const auto &[readings, label, text, format] : cases)
        EXPECT_EQ(MonitorValueTexts(readings, format)[static_cast<std::size_t>(label)], text)
            << "label " << label << " expected " << text;
}

TEST(MonitorTextsTest, AllZeroBeforeAnyReply)
{
    const InverterData nothing;
    const MonitorTexts texts = MonitorValueTexts(nothing, Point);
    EXPECT_EQ(texts, (MonitorTexts{"0", "0", "0", "0", "0.0", "0.0", "0.0", "0.0", "0", "0%"}));
}

// One 0xC020 reply decoded through the value store: each label takes its own register.
TEST(MonitorTextsTest, LabelsFollowTheirRegisters)
{
    Bytes reply{SlaveAddress, ReadFunction, 64};
    reply.resize(3 + 64, 0);
    const auto put = [&reply](int reg, std::uint16_t word) {
        const std::size_t at = 3 + 2 * static_cast<std::size_t>(reg - 0xC020);
        reply[at] = static_cast<std::uint8_t>(word >> 8);
        reply[at + 1] = static_cast<std::uint8_t>(word & 0xFF);
    };
    put(0xC020, 9600); // output power 96.00
    put(0xC021, 230);  // AC voltage
    put(0xC024, 43);   // AC current 4.3
    put(0xC026, 499);  // AC frequency 49.9
    put(0xC027, 380);  // DC bus
    put(0xC02B, 301);  // input A voltage
    put(0xC02C, 302);  // input B voltage
    put(0xC02D, 11);   // input A current 1.1
    put(0xC02E, 22);   // input B current 2.2
    put(0xC02F, 5000); // input A power 50.00
    put(0xC030, 5000); // input B power 50.00
    put(0xC031, 0xFFFF);
    put(0xC032, 0xFFFF); // energy -1
    AppendCrc(reply);
    ValueStore store;
    ASSERT_TRUE(store.DecodeReply(reply, RequestInfo{0xC040, ReadFunction, 32}, false));
    EXPECT_EQ(
        MonitorValueTexts(store.Data(), Point),
        (MonitorTexts{"301", "302", "380", "230", "49.9", "1.1", "2.2", "4.3", "-1", "96.00%"}));
}

TEST(MonitorTextsTest, IdentifierTexts)
{
    Bytes reply{SlaveAddress, ReadFunction, 38};
    reply.resize(3 + 38, 0);
    const std::string model = "PV-5000";
    const std::string company = "Sun\xE9";                             // 0xE9 in the code page
    std::copy(model.begin(), model.end(), reply.begin() + 3 + 4);      // 0xC0B2
    std::copy(company.begin(), company.end(), reply.begin() + 3 + 14); // 0xC0B7
    AppendCrc(reply);
    ValueStore store;
    ASSERT_TRUE(store.DecodeReply(reply, RequestInfo{0xC160, ReadFunction, 19}, false));

    const IdentifierTexts texts = IdentifierValueTexts(store.Data(), Point);
    EXPECT_EQ(texts.id, "1"); // register 0 is inverter 1
    EXPECT_EQ(texts.energy, "0");
    EXPECT_EQ(texts.modelName, "PV-5000");
    EXPECT_EQ(texts.companyName, "Sun\xC3\xA9");
}

} // namespace
} // namespace pv
