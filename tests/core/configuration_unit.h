#pragma once
// The unit the configuration file and panel tests save, load and compare: every kind of value
// (decimals, own settings, both modes set, two flag bits), and the two number formats.

#include "settings/configuration_file.h"

#include <cstdint>
#include <vector>

namespace pv::test {

constexpr NumberFormat PointDecimal{'.', ','};
constexpr NumberFormat CommaDecimal{',', '.'};
inline const std::vector<std::uint8_t> ListCodes{6, 17, 5, 255};

inline ConfigurationValues Unit()
{
    ConfigurationValues v;
    v.limits = {264, 253, 195, 184, 200, 2000, 2000, 200, 50.2f, 47.5f, 60.5f, 59.5f, 200, 65535};
    v.sleepPower = 5;
    v.ratedPower = 3.6f;
    v.retryTime = 600;
    v.countryCode = 255;
    v.flags = {true, true, false, false, false, true, false, true};
    return v;
}

} // namespace pv::test
