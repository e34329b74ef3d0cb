#pragma once
// Number conversions shared by every panel: reading entries, packing values for the wire and
// the text forms that readings are shown in.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace pv {

// The system's regional number format, as the window layer reads it from the platform.
struct NumberFormat
{
    char decimalSeparator = '.';
    char groupSeparator = ',';
};

// Numeric-prefix value: blanks are ignored, "." is the decimal point whatever the regional
// format, conversion stops at the first character that cannot belong to the number (an
// optional sign, digits, one point, an exponent "E"/"e" with optional sign and digits), and a
// text without a number gives 0. Never fails.
double NumericPrefixValue(std::string_view text);

// Every "," replaced by ".", then the numeric-prefix value, in single precision.
float ParseDecimal(std::string_view text);

// Strict regional conversion: the whole text (surrounding blanks allowed) must be a number in
// the given format, otherwise nothing. Group separators are accepted between digits of the
// integer part only.
std::optional<double> StrictNumber(std::string_view text, const NumberFormat &format);
// The same, rounded half to even to a 32-bit integer; nothing when out of range.
std::optional<std::int32_t> StrictInteger(std::string_view text, const NumberFormat &format);

// Rounding of every number sent to the inverter: nearest integer, halves to the even neighbour.
double RoundHalfEven(double value);

// Value of a digit string in the given base: a character below "A" is a decimal digit, any other
// counts as its code minus 55 ("A" = 10). Computed in floating point and rounded.
std::uint32_t DigitsToNumber(std::string_view digits, std::uint8_t base);

// General number text: the shortest decimal text of a single-precision value with up to seven
// significant digits, no thousands separator, no trailing zeros, no trailing separator.
std::string GeneralNumberText(float value, const NumberFormat &format);
// Fixed formats "0.0" (decimals 1) and "0.00" (decimals 2): rounded, at least one digit
// before the separator.
std::string FixedNumberText(double value, int decimals, const NumberFormat &format);
// Decimal integer text, a leading minus for negative values.
std::string IntegerText(std::int64_t value);

} // namespace pv
