#pragma once
// Texts of the live-readings panel (Label2(0..9)) and of the identifiers panel (Text1..Text4),
// made from the decoded values. Nothing here sends, decodes or touches a window.

#include "link/inverter_data.h"
#include "link/numbers.h"

#include <array>
#include <string>

namespace pv {

inline constexpr int MonitorLabelCount = 10;

// Label2(0..9) in panel order: InputA_V, InputB_V, DCBus, AC_V (general number text); AC_F,
// InputA_C, InputB_C, AC_C ("0.0"); KWH (integer); Efficiency ("0.00%", or "0%" when the input
// power sum is exactly zero).
using MonitorTexts = std::array<std::string, MonitorLabelCount>;
MonitorTexts MonitorValueTexts(const InverterData &data, const NumberFormat &format);

// Output power over the sum of both input powers, in percent, single precision throughout.
std::string EfficiencyText(float outputPower, float inputAPower, float inputBPower,
                           const NumberFormat &format);

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
