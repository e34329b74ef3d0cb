// The number conversions take any text a technician can paste: none may crash, read outside its
// text or overflow, and what they give back must hold their own promises.

#include "fuzz_input.h"
#include "link/numbers.h"

#include <cmath>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace pv;
    fuzz::Input input(data, size);
    const bool comma = input.Flag();
    const NumberFormat format = comma ? NumberFormat{',', '.'} : NumberFormat{'.', ','};
    const std::string text(input.Rest());

    (void)NumericPrefixValue(text);
    const float decimal = ParseDecimal(text);
    if (const auto strict = StrictNumber(text, format); strict && !std::isfinite(*strict))
        std::abort(); // a strict number is always finite
    if (const auto integer = StrictInteger(text, format)) {
        const auto again = StrictInteger(IntegerText(*integer), format);
        if (!again || *again != *integer)
            std::abort(); // an integer's own text reads back as the same integer
    }
    (void)DigitsToNumber(text, 2);
    (void)DigitsToNumber(text, 36);
    (void)GeneralNumberText(decimal, format);
    (void)FixedNumberText(decimal, 1, format);
    (void)FixedNumberText(decimal, 2, format);
    if (std::isfinite(decimal)) {
        // A value's shown text reads back as that value, to its seven significant digits.
        const auto back = StrictNumber(GeneralNumberText(decimal, format), format);
        const double tolerance = 1e-6 * std::fabs(static_cast<double>(decimal)) + 1e-30;
        if (!back || std::fabs(*back - static_cast<double>(decimal)) > tolerance)
            std::abort();
    }
    return 0;
}
