#pragma once
// Texts of the live-readings panel (Label2(0..9)) and of the identifiers panel (Text1..Text4),
// made from the decoded values. Nothing here sends, decodes or touches a window.

#include "link/inverter_data.h"
#include "link/numbers.h"

#include <array>
#include <cstdint>
#include <string>

namespace pv {

inline constexpr int MonitorLabelCount = 10;

// The values the readings panel shows, as the value store holds them.
struct MonitorReadings
{
    float inputAVoltage = 0, inputBVoltage = 0, dcBusVoltage = 0, acVoltage = 0;
    float acFrequency = 0, inputACurrent = 0, inputBCurrent = 0, acCurrent = 0;
    std::int32_t energyTotal = 0;
    float outputPower = 0, inputAPower = 0, inputBPower = 0;
};
MonitorReadings ReadingsOf(const InverterData &data);

// Label2(0..9) in panel order: InputA_V, InputB_V, DCBus, AC_V (general number text); AC_F,
// InputA_C, InputB_C, AC_C ("0.0"); KWH (integer); Efficiency ("0.00%", or "0%" when the input
// power sum is exactly zero).
using MonitorTexts = std::array<std::string, MonitorLabelCount>;
MonitorTexts MonitorValueTexts(const MonitorReadings &readings, const NumberFormat &format);
MonitorTexts MonitorValueTexts(const InverterData &data, const NumberFormat &format);

// Output power over the sum of both input powers, in percent, single precision throughout;
// 0 when the input sum is exactly zero.
float EfficiencyPercent(float outputPower, float inputAPower, float inputBPower);
// Its text on the panel: format "0.00" and "%", or "0%" when the input sum is exactly zero.
std::string EfficiencyText(float outputPower, float inputAPower, float inputBPower,
                           const NumberFormat &format);

// The ID as people count it, 1..65536: the register word 0xC080 read unsigned, plus one. The
// decoded value reads the word signed, which would show the IDs from 32769 on as negative.
// A word of 0xFFFF shows as 65536, an ID this tool cannot write back (it refuses it with 132).
float ShownInverterId(float inverterId);

// Text1 (ID), Text2 (KWH), Text3 (Model Name), Text4 (Company).
struct IdentifierTexts
{
    std::string id;
    std::string energy;
    std::string modelName;
    std::string companyName;
};
IdentifierTexts IdentifierValueTexts(const InverterData &data, const NumberFormat &format);

} // namespace pv
