#pragma once
// How the identify and configuration panels pack entries into register words and bytes, and
// the one block write both of them send: rated power twice, model name, company name
// (0xC0B0..0xC0BB).

#include "link/codec.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace pv {

using NameBytes = std::array<std::uint8_t, reg::NameLength>;

// A name as the inverter stores it: one byte per character in the tool's code page, first
// character first, zero-filled; nothing when it has more characters than the field holds.
std::optional<NameBytes> PackName(std::string_view text);

// Appends a word high byte first.
void AppendWord(Bytes &data, std::uint16_t word);

// FF 10 C0 B0 00 0C 18, the rated power word for 0xC0B0 and again for 0xC0B1, then both names.
void BuildNamesBlockWrite(Channel &channel, std::uint16_t ratedPowerWord, const NameBytes &model,
                          const NameBytes &company);

} // namespace pv
