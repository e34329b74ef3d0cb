#include "monitor_texts.h"

namespace pv {

namespace {
constexpr int OneDecimal = 1;
constexpr int TwoDecimals = 2;
} // namespace

std::string EfficiencyText(float outputPower, float inputAPower, float inputBPower,
                           const NumberFormat &format)
{
    const float input = inputAPower + inputBPower;
    // A dark inverter reports no input at all; the panel shows a bare 0% rather than dividing.
    if (input == 0.0f)
        return "0%";
    const auto efficiency = static_cast<float>(static_cast<double>(outputPower) / input * 100.0);
    return FixedNumberText(efficiency, TwoDecimals, format) + "%";
}

MonitorTexts MonitorValueTexts(const InverterData &data, const NumberFormat &format)
{
    MonitorTexts texts;
    texts[0] = GeneralNumberText(data.InputAVoltage(), format);
    texts[1] = GeneralNumberText(data.InputBVoltage(), format);
    texts[2] = GeneralNumberText(data.DcBusVoltage(), format);
    texts[3] = GeneralNumberText(data.AcVoltage(), format);
    texts[4] = FixedNumberText(data.AcFrequency(), OneDecimal, format);
    texts[5] = FixedNumberText(data.InputACurrent(), OneDecimal, format);
    texts[6] = FixedNumberText(data.InputBCurrent(), OneDecimal, format);
    texts[7] = FixedNumberText(data.AcCurrent(), OneDecimal, format);
    texts[8] = IntegerText(data.EnergyTotal());
    texts[9] = EfficiencyText(data.OutputPower(), data.InputAPower(), data.InputBPower(), format);
    return texts;
}

IdentifierTexts IdentifierValueTexts(const InverterData &data, const NumberFormat &format)
{
    return IdentifierTexts{GeneralNumberText(data.InverterId(), format),
                           IntegerText(data.EnergyTotal()), data.ModelName(), data.CompanyName()};
}

} // namespace pv
