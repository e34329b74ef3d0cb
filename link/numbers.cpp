#include "numbers.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

namespace pv {

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// The value of a text already known to be a well-formed number with "." as its point and an
// optional sign. Parsed without the C library's locale, which a window application takes from
// the system: under a comma-decimal setting strtod would stop at the ".". A value beyond the
// double range gives an infinity, one too small for it zero, as strtod does.
double ToDouble(std::string_view cForm)
{
    bool negative = false;
    if (!cForm.empty() && (cForm.front() == '+' || cForm.front() == '-')) {
        negative = cForm.front() == '-';
        cForm.remove_prefix(1);
    }
    double value = 0.0;
    const auto [end, error] = std::from_chars(cForm.data(), cForm.data() + cForm.size(), value);
    if (error == std::errc::result_out_of_range) {
        const auto exponent = cForm.find_first_of("eE");
        const bool tiny = exponent != std::string_view::npos && exponent + 1 < cForm.size()
                          && cForm[exponent + 1] == '-';
        value = tiny ? 0.0 : std::numeric_limits<double>::infinity();
    } else if (error != std::errc{}) {
        value = 0.0;
    }
    return negative ? -value : value;
}

// Three digits at i, then the end of the integer part.
bool WholeGroupAt(std::string_view text, std::size_t i)
{
    for (std::size_t k = i; k < i + 3; ++k) {
        if (k >= text.size() || !IsDigit(text[k]))
            return false;
    }
    const std::size_t after = i + 3;
    return after == text.size() || !IsDigit(text[after]);
}

std::string_view TrimBlanks(std::string_view text)
{
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

// Replaces the C decimal point of a formatted number by the regional one.
std::string WithSeparator(std::string text, const NumberFormat &format)
{
    for (char &c : text) {
        if (c == '.')
            c = format.decimalSeparator;
    }
    return text;
}

// Decimal digits of |value| rounded to `decimals` places, half away from zero, as the
// integer part and the fraction. Works on the 15 significant digits a double carries, so
// that 1.005 rounds to 1.01 as a person reading the value expects, not to its binary
// neighbour 1.00499999...
std::pair<std::string, std::string> RoundedDigits(double magnitude, int decimals)
{
    char buf[40];
    const auto written
        = std::to_chars(buf, buf + sizeof buf, magnitude, std::chars_format::scientific, 14);
    const std::string_view scientific(buf, static_cast<std::size_t>(written.ptr - buf));
    std::string digits;
    const std::size_t e = scientific.find('e');
    for (const char c : scientific.substr(0, e)) {
        if (IsDigit(c))
            digits.push_back(c);
    }
    std::string_view exponentText = scientific.substr(e + 1);
    if (!exponentText.empty() && exponentText.front() == '+')
        exponentText.remove_prefix(1);
    int exponent = 0;
    std::from_chars(exponentText.data(), exponentText.data() + exponentText.size(), exponent);
    // Value is 0.d1d2d3... x 10^(exponent + 1); keep the digits up to `decimals` places.
    const int integerDigits = exponent + 1;
    const int keep = integerDigits + decimals;
    std::string kept;
    if (keep < 0) {
        kept = "";
    } else if (keep >= static_cast<int>(digits.size())) {
        kept = digits + std::string(static_cast<std::size_t>(keep) - digits.size(), '0');
    } else {
        kept = digits.substr(0, static_cast<std::size_t>(keep));
        if (digits[static_cast<std::size_t>(keep)] >= '5') {
            int i = keep - 1;
            for (; i >= 0 && kept[static_cast<std::size_t>(i)] == '9'; --i)
                kept[static_cast<std::size_t>(i)] = '0';
            if (i >= 0)
                ++kept[static_cast<std::size_t>(i)];
            else
                kept.insert(kept.begin(), '1');
        }
    }
    // kept now holds the value times 10^decimals as an integer numeral (possibly empty).
    if (kept.size() < static_cast<std::size_t>(decimals) + 1)
        kept.insert(0, static_cast<std::size_t>(decimals) + 1 - kept.size(), '0');
    const std::size_t split = kept.size() - static_cast<std::size_t>(decimals);
    std::string integer = kept.substr(0, split);
    const auto nonZero = integer.find_first_not_of('0');
    integer = nonZero == std::string::npos ? "0" : integer.substr(nonZero);
    return {integer, kept.substr(split)};
}

} // namespace

double NumericPrefixValue(std::string_view text)
{
    // Blanks are dropped anywhere, then the longest number at the front is taken.
    std::string compact;
    for (char c : text) {
        if (!IsBlank(c))
            compact.push_back(c);
    }
    std::string number;
    std::size_t i = 0;
    if (i < compact.size() && (compact[i] == '+' || compact[i] == '-'))
        number.push_back(compact[i++]);
    bool mantissaDigits = false;
    for (; i < compact.size() && IsDigit(compact[i]); ++i, mantissaDigits = true)
        number.push_back(compact[i]);
    if (i < compact.size() && compact[i] == '.') {
        number.push_back(compact[i++]);
        for (; i < compact.size() && IsDigit(compact[i]); ++i, mantissaDigits = true)
            number.push_back(compact[i]);
    }
    if (!mantissaDigits)
        return 0.0;
    if (i < compact.size() && (compact[i] == 'E' || compact[i] == 'e')) {
        std::size_t j = i + 1;
        std::string exponent = "e";
        if (j < compact.size() && (compact[j] == '+' || compact[j] == '-'))
            exponent.push_back(compact[j++]);
        bool exponentDigits = false;
        for (; j < compact.size() && IsDigit(compact[j]); ++j, exponentDigits = true)
            exponent.push_back(compact[j]);
        if (exponentDigits)
            number += exponent;
    }
    return ToDouble(number);
}

float ParseDecimal(std::string_view text)
{
    std::string copy(text);
    for (char &c : copy) {
        if (c == ',')
            c = '.';
    }
    return static_cast<float>(NumericPrefixValue(copy));
}

std::optional<double> StrictNumber(std::string_view text, const NumberFormat &format)
{
    text = TrimBlanks(text);
    std::string number;
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        number.push_back(text[i++]);
    bool digits = false;
    // Integer part. A group separator must follow a digit and be followed by a group of exactly
    // three digits, so that "230.5" is no number where "." groups thousands (it is not 2305).
    const bool grouping = format.groupSeparator != format.decimalSeparator;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (IsDigit(c)) {
            number.push_back(c);
            digits = true;
        } else if (grouping && c == format.groupSeparator && digits && WholeGroupAt(text, i + 1)) {
            continue;
        } else {
            break;
        }
    }
    if (i < text.size() && text[i] == format.decimalSeparator) {
        number.push_back('.');
        for (++i; i < text.size() && IsDigit(text[i]); ++i, digits = true)
            number.push_back(text[i]);
    }
    if (!digits)
        return std::nullopt;
    if (i < text.size() && (text[i] == 'E' || text[i] == 'e')) {
        number.push_back('e');
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-'))
            number.push_back(text[i++]);
        bool exponentDigits = false;
        for (; i < text.size() && IsDigit(text[i]); ++i, exponentDigits = true)
            number.push_back(text[i]);
        if (!exponentDigits)
            return std::nullopt;
    }
    if (i != text.size())
        return std::nullopt;
    const double value = ToDouble(number);
    if (!std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<std::int32_t> StrictInteger(std::string_view text, const NumberFormat &format)
{
    const auto value = StrictNumber(text, format);
    if (!value)
        return std::nullopt;
    const double rounded = RoundHalfEven(*value);
    if (rounded < std::numeric_limits<std::int32_t>::min()
        || rounded > std::numeric_limits<std::int32_t>::max())
        return std::nullopt;
    return static_cast<std::int32_t>(rounded);
}

double RoundHalfEven(double value)
{
    if (!std::isfinite(value))
        return value;
    const double below = std::floor(value);
    const double fraction = value - below;
    if (fraction > 0.5)
        return below + 1.0;
    if (fraction < 0.5)
        return below;
    return std::fmod(below, 2.0) == 0.0 ? below : below + 1.0;
}

std::uint32_t DigitsToNumber(std::string_view digits, std::uint8_t base)
{
    double sum = 0.0;
    for (char c : digits) {
        const auto code = static_cast<unsigned char>(c);
        const int digit = code < 'A' ? code - '0' : code - 55;
        sum = sum * base + digit;
    }
    const double rounded = RoundHalfEven(sum);
    if (!(rounded > 0.0))
        return 0;
    if (rounded >= 4294967295.0)
        return std::numeric_limits<std::uint32_t>::max();
    return static_cast<std::uint32_t>(rounded);
}

std::string GeneralNumberText(float value, const NumberFormat &format)
{
    if (std::isnan(value))
        return "NaN";
    if (std::isinf(value))
        return value < 0 ? "-Infinity" : "Infinity";
    if (value == 0.0f)
        return "0"; // also for -0, which no one wants to read
    // Seven significant digits is all a single carries; the general form drops trailing zeros
    // and the point, and switches to an exponent only for values from 1E+07 up or below 1E-04.
    char buf[32];
    const auto written = std::to_chars(buf, buf + sizeof buf, static_cast<double>(value),
                                       std::chars_format::general, 7);
    std::string text(buf, written.ptr);
    for (char &c : text) {
        if (c == 'e')
            c = 'E';
    }
    return WithSeparator(text, format);
}

std::string FixedNumberText(double value, int decimals, const NumberFormat &format)
{
    if (std::isnan(value))
        return "NaN";
    if (std::isinf(value))
        return value < 0 ? "-Infinity" : "Infinity";
    if (decimals < 0)
        decimals = 0;
    const auto [integer, fraction] = RoundedDigits(std::fabs(value), decimals);
    // A value that rounds to zero is shown without a sign: "-0.0" only confuses.
    const bool zero = integer == "0" && fraction.find_first_not_of('0') == std::string::npos;
    std::string text = (value < 0 && !zero) ? "-" : "";
    text += integer;
    if (decimals > 0) {
        text.push_back(format.decimalSeparator);
        text += fraction;
    }
    return text;
}

std::string IntegerText(std::int64_t value)
{
    char buf[24];
    const auto written = std::to_chars(buf, buf + sizeof buf, value);
    return std::string(buf, written.ptr);
}

} // namespace pv
