// What each state is called, and which firmware versions the tool refuses.

#include "exchange_machine.h"

#include "codepage.h"

namespace pv {

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
    case ExchangeState::CalibrationWindowOpen:
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

} // namespace pv
