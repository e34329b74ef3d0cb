#pragma once
// The tool's 8-bit code page is Windows-1252 everywhere a text becomes bytes (names sent to the
// inverter, settings files read) or bytes become a text (names read back, settings files).
// Inside the program texts are UTF-8.

#include "codec.h"

#include <string>
#include <string_view>

namespace pv {

// Each byte one character; the five bytes that Windows-1252 leaves undefined (0x81, 0x8D, 0x8F,
// 0x90, 0x9D) map to the C1 controls of the same value, as Windows itself does.
std::string CodePageToUtf8(ByteView bytes);

// One byte per character; a character outside the code page becomes "?" (0x3F), as the system
// conversion does. Invalid UTF-8 sequences count as one character each.
Bytes Utf8ToCodePage(std::string_view text);

// Number of characters of a UTF-8 text (what a length limit of an entry counts).
std::size_t Utf8Length(std::string_view text);

} // namespace pv
