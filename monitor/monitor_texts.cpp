#include "monitor_texts.h"

namespace pv {

namespace {
constexpr int OneDecimal = 1;
constexpr int TwoDecimals = 2;
} // namespace

float EfficiencyPercent(float outputPower, float inputAPower, float inputBPower)
{
    const float input = inputAPower + inputBPower;
    // A dark inverter reports no input at all; that is 0%, not a division by zero.
    if (input == 0.0f)
        return 0.0f;
    return static_cast<float>(static_cast<double>(outputPower) / input * 100.0);
}

std::string EfficiencyText(float outputPower, float inputAPower, float inputBPower,
                           const NumberFormat &format)
{
    // Without input the panel shows a bare 0%.
    if (inputAPower + inputBPower == 0.0f)
        return "0%";
    return FixedNumberText(EfficiencyPercent(outputPower, inputAPower, inputBPower), TwoDecimals,
                           format)
           + "%";
}

MonitorReadings ReadingsOf(const InverterData &data)
{
    MonitorReadings r;
    r.inputAVoltage = data.InputAVoltage();
    r.inputBVoltage = data.InputBVoltage();
    r.dcBusVoltage = data.DcBusVoltage();
    r.acVoltage = data.AcVoltage();
    r.acFrequency = data.AcFrequency();
    r.inputACurrent = data.InputACurrent();
    r.inputBCurrent = data.InputBCurrent();
    r.acCurrent = data.AcCurrent();
    r.energyTotal = data.EnergyTotal();
    r.outputPower = data.OutputPower();
    r.inputAPower = data.InputAPower();
    r.inputBPower = data.InputBPower();
    return r;
}

MonitorTexts MonitorValueTexts(const MonitorReadings &r, const NumberFormat &format)
{
    MonitorTexts texts;
    texts[0] = GeneralNumberText(r.inputAVoltage, format);
    texts[1] = GeneralNumberText(r.inputBVoltage, format);
    texts[2] = GeneralNumberText(r.dcBusVoltage, format);
    texts[3] = GeneralNumberText(r.acVoltage, format);
    texts[4] = FixedNumberText(r.acFrequency, OneDecimal, format);
    texts[5] = FixedNumberText(r.inputACurrent, OneDecimal, format);
    texts[6] = FixedNumberText(r.inputBCurrent, OneDecimal, format);
    texts[7] = FixedNumberText(r.acCurrent, OneDecimal, format);
    texts[8] = IntegerText(r.energyTotal);
    texts[9] = EfficiencyText(r.outputPower, r.inputAPower, r.inputBPower, format);
    return texts;
}

MonitorTexts MonitorValueTexts(const InverterData &data, const NumberFormat &format)
{
    return MonitorValueTexts(ReadingsOf(data), format);
}

float ShownInverterId(float inverterId)
{
    // The register is decoded as a signed word plus one, so IDs from 32769 on arrive as -32767..0;
    // one word further on they are the unsigned word plus one again.
    constexpr float WordSpan = 65536.0f;
    return inverterId <= 0.0f ? inverterId + WordSpan : inverterId;
}

IdentifierTexts IdentifierValueTexts(const InverterData &data, const NumberFormat &format)
{
    return IdentifierTexts{GeneralNumberText(ShownInverterId(data.InverterId()), format),
                           IntegerText(data.EnergyTotal()), data.ModelName(), data.CompanyName()};
}

} // namespace pv
