#pragma once
// What the about window shows of the firmware texts the inverter reported.

#include <string>

namespace pv {

// The country code of a unit running on its own settings rather than a country preset; such a
// unit carries no certificate of a country.
inline constexpr float OwnSettingsCountryCode = 255.0f;

// The certificate row is shown only for a unit with a country preset that reported a
// certificate version.
inline bool CertificateRowShown(float countryCode, const std::string &certificateVersion)
{
    return countryCode != OwnSettingsCountryCode && !certificateVersion.empty();
}

// The certificate version as the about window writes it, "PV" and the version.
inline std::string CertificateText(const std::string &certificateVersion)
{
    return "PV" + certificateVersion;
}

} // namespace pv
