// The step tables of the exchanges: which step follows which, and what each state is called.

#include "exchange_machine.h"

#include "codepage.h"
#include "exchange_steps.h"

namespace pv {

using namespace exchange_steps;

std::string_view ExchangeStateText(ExchangeState state)
{
    switch (state) {
    case ExchangeState::CheckOperatingVersion:
        return "CheckOperatingVersion";
    case ExchangeState::Monitor:
        return "Monitor";
    case ExchangeState::PrepareIdentifyRead:
        return "Prepare Identify Read";
    case ExchangeState::PrepareIdentifyWrite:
        return "Prepare Identify Write";
    case ExchangeState::PrepareConfigurationRead:
        return "Prepare Configuration Read";
    case ExchangeState::PrepareConfigurationWrite:
        return "Prepare Configuration Write";
    case ExchangeState::IdentifyRead:
        return "Identify Read";
    case ExchangeState::IdentifyWrite:
        return "Identify Write";
    case ExchangeState::ConfigurationRead:
        return "Configuration Read";
    case ExchangeState::ConfigurationWrite:
        return "Configuration Write";
    case ExchangeState::CalibrationRead:
        return "Calibration Read";
    case ExchangeState::CalibrationWrite:
        return "Calibration Write";
    case ExchangeState::Idle:
        break;
    }
    return "";
}

std::optional<VersionVerdict> ClassifyOperatingVersion(std::string_view version)
{
    // Characters are compared by their code in the tool's code page, so letters rank above
    // digits.
    const Bytes codes = Utf8ToCodePage(version);
    if (codes.size() < 8)
        return std::nullopt;
    int major = 0;
    for (std::size_t i = 2; i < 6; ++i) {
        const bool digit = codes[i] >= '0' && codes[i] <= '9';
        major = major * 10 + (digit ? codes[i] - '0' : 0);
    }
    const std::uint8_t c7 = codes[6];
    const std::uint8_t c8 = codes[7];
    // Firmware 0008.11 up to 0009.9B is refused.
    if (major == 8 && (c7 > '1' || (c7 == '1' && c8 >= '1')))
        return VersionVerdict::Refused;
    if (major == 9 && (c7 < '9' || (c7 == '9' && c8 <= 'B')))
        return VersionVerdict::Refused;
    return VersionVerdict::Accepted;
}

int NextMonitorStep(int step)
{
    switch (step) {
    case 0:
        return 1;
    case 1:
        return 4;
    case 4:
        return 5;
    case 5:
        return 2;
    case 2:
        return 3;
    default:
        return 0;
    }
}

int NextIdentifyStep(int step)
{
    // The last reply steps of the read (5) and of the write (13) stay where they are.
    if (step == IdentifyReadLastStep || step == IdentifyWriteLastStep)
        return step;
    return step + 1;
}

int NextConfigurationStep(int step, const WriteGroups &ticked)
{
    // After a write reply the exchange jumps to the next ticked group; with none left it
    // stays, and the reply dispatcher has already ended the exchange.
    const auto firstTickedFrom = [&ticked, step](std::size_t group) {
        for (; group < ticked.size(); ++group) {
            if (ticked[group])
                return ConfigurationGroupSteps[group];
        }
        return step;
    };
    switch (step) {
    case ConfigurationReadLastStep:
    case LastStep:
        return step;
    case 5:
        return firstTickedFrom(1);
    case 7:
        return firstTickedFrom(2);
    case 11:
        return firstTickedFrom(3);
    default:
        return step + 1;
    }
}

int FirstConfigurationWriteStep(const WriteGroups &ticked)
{
    for (std::size_t group = 0; group + 1 < ticked.size(); ++group) {
        if (ticked[group])
            return ConfigurationGroupSteps[group];
    }
    return ConfigurationGroupSteps[3];
}

} // namespace pv
