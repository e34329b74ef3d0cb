#pragma once
// SHA-256 (FIPS 180-4) over bytes: the fingerprint that ties a commissioning report to the
// configuration file it was made with. Plain C++, so the settings core can use it without Qt.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace pv {

using Sha256Digest = std::array<std::uint8_t, 32>;

Sha256Digest Sha256(std::string_view bytes);
// The digest as 64 lowercase hexadecimal digits, as sha256sum prints it.
std::string Sha256Hex(std::string_view bytes);

} // namespace pv
