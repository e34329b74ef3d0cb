#pragma once
// The step numbers of the exchanges, shared by the step tables and the reply dispatcher of the
// exchange machine: a request goes out on an even step, its reply is taken on the next one.

namespace pv::exchange_steps {

// The last reply step of each exchange, where success ends it.
inline constexpr int MonitorVersionStep = 3; // reply of 0xC080, last of the cycle
inline constexpr int IdentifyReadLastStep = 5;
inline constexpr int IdentifyWriteLastStep = 13;
inline constexpr int ConfigurationReadLastStep = 3;

// First steps: identify read and write; configuration read; the configuration write of each
// group (sleep power, rated power, country, retry time).
inline constexpr int IdentifyReadFirstStep = 0;
inline constexpr int IdentifyWriteFirstStep = 6;
inline constexpr int ConfigurationReadFirstStep = 0;
inline constexpr int ConfigurationGroupSteps[4] = {4, 6, 8, 12};
inline constexpr int LastStep = 13;
inline constexpr int LastCalibrationStep = 5; // the reply of the offset write

inline constexpr bool IsRequestStep(int step)
{
    return step % 2 == 0;
}

} // namespace pv::exchange_steps
