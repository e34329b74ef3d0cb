#pragma once
// What a healthy 3.6 kW unit on a sunny afternoon measures, as smooth functions of time: the
// simulator turns them into register words, the tests check they stay plausible.

#include <cstdint>

namespace pv {

struct LiveReadings
{
    double inputAVoltage = 0; // V
    double inputBVoltage = 0; // V
    double inputACurrent = 0; // A
    double inputBCurrent = 0; // A
    double inputAPower = 0;   // kW
    double inputBPower = 0;   // kW
    double dcBusVoltage = 0;  // V
    double acVoltage = 0;     // V
    double acFrequency = 0;   // Hz
    double acCurrent = 0;     // A
    double outputPower = 0;   // kW
};

LiveReadings ReadingsAt(std::int64_t nowMs);

} // namespace pv
