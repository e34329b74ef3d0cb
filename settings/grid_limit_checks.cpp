#include "grid_limit_checks.h"

#include "packing.h"

#include "link/text_numbers.h"

#include <algorithm>
#include <stdexcept>
#include <string>

namespace pv {

namespace {

// How an entry's text becomes its value.
enum class Reading {
    Regional, // the whole text a number in the window's regional format
    Decimal,  // every "," read as ".", then the whole text a number
    Prefix,   // every "," read as ".", then the number the text starts with (never fails)
};

// What becomes of an entry that holds no number.
enum class Absent {
    Refused,       // only an empty text counts: text 133 and the caption; the text stays
    ZeroRefused,   // an empty text or one that starts with no number other than 0: text 133
                   // and the caption, and the entry is emptied
    DefaultInstead // as ZeroRefused, but the default is sent instead; never refused
};

struct GridLimitRule
{
    int entry; // Text7 index
    Reading reading;
    Absent absent;
    float low;
    bool lowIncluded;
    float high; // always included
    // Absent::DefaultInstead: sent for an entry without a number or out of range.
    float fallback;
    int scale; // wire units per unit of the entry
};

// The inverter's checks of the limits; they run in this order and stop at the first refusal.
// The bounds are single-precision values, so that an entry reading exactly 45.1 passes.
constexpr float NoDefault = 0.0f;
constexpr float MaxWord = 65535.0f;
constexpr GridLimitRule Rules[] = {
    // Vmin_L1, Vmax_L1
    {2, Reading::Regional, Absent::Refused, 150.0f, true, 300.0f, NoDefault, 1},
    {1, Reading::Regional, Absent::Refused, 150.0f, true, 300.0f, NoDefault, 1},
    // Fmin(50HZ), Fmax(50HZ): a value out of range falls back to the usual 50 Hz limit.
    {9, Reading::Prefix, Absent::DefaultInstead, 45.1f, true, 49.9f, 47.5f, 10},
    {8, Reading::Prefix, Absent::DefaultInstead, 50.1f, true, 54.9f, 50.2f, 10},
    // Fmin(60HZ), Fmax(60HZ)
    {11, Reading::Decimal, Absent::ZeroRefused, 55.1f, true, 59.9f, NoDefault, 10},
    {10, Reading::Decimal, Absent::ZeroRefused, 60.1f, true, 65.0f, NoDefault, 10},
    // Disconnect times: Fmin, Fmax, Vmin_L1, Vmax_L1, Vmin_L2, Vmax_L2; zero is no time.
    {13, Reading::Regional, Absent::Refused, 0.0f, false, MaxWord, NoDefault, 1},
    {12, Reading::Regional, Absent::Refused, 0.0f, false, MaxWord, NoDefault, 1},
    {6, Reading::Regional, Absent::Refused, 0.0f, false, MaxWord, NoDefault, 1},
    {5, Reading::Regional, Absent::Refused, 0.0f, false, MaxWord, NoDefault, 1},
    {7, Reading::Regional, Absent::Refused, 0.0f, false, MaxWord, NoDefault, 1},
    {4, Reading::Regional, Absent::Refused, 0.0f, false, MaxWord, NoDefault, 1},
    // Vmin_L2, Vmax_L2
    {3, Reading::Regional, Absent::Refused, 100.0f, true, 300.0f, NoDefault, 1},
    {0, Reading::Regional, Absent::Refused, 100.0f, true, 300.0f, NoDefault, 1},
};
static_assert(std::size(Rules) == GridLimitEntryCount);

const GridLimitRule &RuleOf(int entry)
{
    for (const GridLimitRule &rule : Rules) {
        if (rule.entry == entry)
            return rule;
    }
    throw std::out_of_range("no limits grid entry " + std::to_string(entry));
}

bool InRange(const GridLimitRule &rule, double value)
{
    const bool aboveLow = rule.lowIncluded ? value >= rule.low : value > rule.low;
    return aboveLow && value <= rule.high;
}

bool HoldsNoNumber(const GridLimitRule &rule, const std::string &text)
{
    if (text.empty())
        return true;
    // The prefix value of the text as it stands: "0,5" starts with the number 0.
    return rule.absent != Absent::Refused && NumericPrefixValue(text) == 0.0;
}

std::optional<double> Read(const GridLimitRule &rule, const std::string &text,
                           const NumberFormat &format)
{
    switch (rule.reading) {
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

GridLimitRefusal Refuse(const GridLimitRule &rule, int textNumber, bool withCaption,
                        bool emptyEntry)
{
    return {rule.entry, textNumber, withCaption, emptyEntry};
}

} // namespace

GridLimitRange AcceptedGridLimitRange(int entry)
{
    const GridLimitRule &rule = RuleOf(entry);
    return {rule.low, rule.lowIncluded, rule.high};
}

bool GridLimitAccepted(int entry, double value)
{
    const GridLimitRule &rule = RuleOf(entry);
    if (rule.reading != Reading::Regional)
        value = static_cast<float>(value);
    return InRange(rule, value);
}

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

GridLimitCheck CheckGridLimitEntries(const GridLimitTexts &texts, const NumberFormat &format)
{
    GridLimitCheck check;
    std::array<float, GridLimitEntryCount> values{};
    for (const GridLimitRule &rule : Rules) {
        const std::string &text = texts[static_cast<std::size_t>(rule.entry)];
        double value = rule.fallback;
        if (rule.absent == Absent::DefaultInstead) {
            const auto read = HoldsNoNumber(rule, text) ? std::nullopt : Read(rule, text, format);
            if (read && InRange(rule, *read))
                value = *read;
        } else {
            if (HoldsNoNumber(rule, text)) {
                check.refusal
                    = Refuse(rule, text::EntryEmpty, true, rule.absent == Absent::ZeroRefused);
                return check;
            }
            const auto read = Read(rule, text, format);
            if (!read || !InRange(rule, *read)) {
                check.refusal = Refuse(rule, text::EntryRefused, false, true);
                return check;
            }
            value = *read;
        }
        const auto word = PackWord(value * rule.scale);
        if (!word) {
            check.refusal = Refuse(rule, text::EntryRefused, false, true);
            return check;
        }
        check.words[static_cast<std::size_t>(rule.entry)] = *word;
        values[static_cast<std::size_t>(rule.entry)] = static_cast<float>(value);
    }
    check.EnteredFmax50 = values[8];
    check.EnteredFmin50 = values[9];
    check.EnteredFmax60 = values[10];
    check.EnteredFmin60 = values[11];
    return check;
}

} // namespace pv
