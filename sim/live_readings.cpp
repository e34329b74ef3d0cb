#include "live_readings.h"

#include <cmath>

namespace pv {

namespace {

constexpr double Pi = 3.14159265358979323846;

// A slow swing of the given period (seconds) and amplitude, so that consecutive polls differ a
// little and a minute of watching shows clouds passing.
double Swing(double seconds, double periodS, double amplitude, double phase = 0.0)
{
    return amplitude * std::sin(2.0 * Pi * seconds / periodS + phase);
}

} // namespace

LiveReadings ReadingsAt(std::int64_t nowMs)
{
    const double t = static_cast<double>(nowMs) / 1000.0;
    // Irradiance 0.70 .. 1.00 of the panels' rating.
    const double sun = 0.85 + Swing(t, 97.0, 0.10) + Swing(t, 13.0, 0.05, 1.0);

    LiveReadings r;
    r.inputAVoltage = 335.0 + Swing(t, 71.0, 25.0);
    r.inputBVoltage = 350.0 + Swing(t, 53.0, 20.0, 2.0);
    r.inputACurrent = 5.2 * sun;
    r.inputBCurrent = 4.7 * sun + Swing(t, 29.0, 0.2);
    r.inputAPower = r.inputAVoltage * r.inputACurrent / 1000.0;
    r.inputBPower = r.inputBVoltage * r.inputBCurrent / 1000.0;
    r.dcBusVoltage = 380.0 + Swing(t, 7.0, 3.0);
    r.acVoltage = 230.0 + Swing(t, 41.0, 2.5);
    r.acFrequency = 50.0 + Swing(t, 61.0, 0.05);
    const double efficiency = 0.96 + Swing(t, 37.0, 0.004);
    r.outputPower = (r.inputAPower + r.inputBPower) * efficiency;
    r.acCurrent = r.outputPower * 1000.0 / r.acVoltage;
    return r;
}

} // namespace pv
