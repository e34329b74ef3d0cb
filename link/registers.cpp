#include "registers.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace pv {

std::optional<float> DecimalEntryValue(std::string_view text)
{
    std::string pointed(text);
    std::replace(pointed.begin(), pointed.end(), ',', '.');
    // One separator for both roles: no group separator is taken, so "1.234.5" is no number.
    constexpr NumberFormat PointOnly{'.', '.'};
    if (!StrictNumber(pointed, PointOnly))
        return std::nullopt;
    return ParseDecimal(text);
}

std::optional<double> EntryNumber(Reading reading, std::string_view text,
                                  const NumberFormat &format)
{
    switch (reading) {
    case Reading::Regional:
        return StrictNumber(text, format);
    case Reading::Decimal:
        if (const auto value = DecimalEntryValue(text))
            return *value;
        return std::nullopt;
    case Reading::Prefix:
        break;
    }
    return ParseDecimal(text);
}

std::optional<std::int64_t> AcceptedSteps(const RegisterDeclaration &r, double value)
{
    const double steps = RoundHalfEven(value * r.scale);
    if (!std::isfinite(steps))
        return std::nullopt;
    const double low = static_cast<double>(r.low);
    const bool aboveLow = r.lowIncluded ? steps >= low : steps > low;
    if (!aboveLow || steps > static_cast<double>(r.high))
        return std::nullopt;
    return static_cast<std::int64_t>(steps);
}

std::optional<std::int64_t> EntrySteps(const RegisterDeclaration &r, std::string_view text,
                                       const NumberFormat &format)
{
    const auto value = EntryNumber(r.reading, text, format);
    if (!value)
        return std::nullopt;
    return AcceptedSteps(r, *value);
}

std::optional<std::uint16_t> EntryWord(const RegisterDeclaration &r, std::string_view text,
                                       const NumberFormat &format)
{
    const auto steps = EntrySteps(r, text, format);
    if (!steps)
        return std::nullopt;
    return StepsWord(r, *steps);
}

std::uint16_t StepsWord(const RegisterDeclaration &r, std::int64_t steps)
{
    // A signed register's negative steps go out as their two's-complement pattern.
    return static_cast<std::uint16_t>(steps - r.bias);
}

double WordValue(const RegisterDeclaration &r, std::uint16_t word)
{
    const std::int32_t steps
        = (r.isSigned ? static_cast<std::int16_t>(word) : static_cast<std::int32_t>(word)) + r.bias;
    return r.scale == 1 ? steps : steps / static_cast<double>(r.scale);
}

bool FinerThanUnit(const RegisterDeclaration &r, double value)
{
    const double steps = RoundHalfEven(value * r.scale);
    const double atUnit = steps / r.scale;
    // A decimal entry is read in single precision: 50.2 is its unit's 502 steps.
    if (r.reading != Reading::Regional)
        return static_cast<float>(atUnit) != static_cast<float>(value);
    return atUnit != value;
}

double LowValue(const RegisterDeclaration &r)
{
    return static_cast<double>(r.low) / r.scale;
}

double HighValue(const RegisterDeclaration &r)
{
    return static_cast<double>(r.high) / r.scale;
}

} // namespace pv
