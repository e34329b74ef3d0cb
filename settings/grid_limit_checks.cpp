#include "grid_limit_checks.h"

#include "link/text_numbers.h"

#include <string>

namespace pv {

namespace {

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
    Absent absent;
    // Absent::DefaultInstead: the steps sent for an entry without a number or out of range.
    std::int64_t fallback;
};

// The inverter's checks of the limits; they run in this order and stop at the first refusal.
// How each entry is read and what it accepts is its register's declaration.
constexpr std::int64_t NoDefault = 0;
constexpr GridLimitRule Rules[] = {
    // Vmin_L1, Vmax_L1
    {2, Absent::Refused, NoDefault},
    {1, Absent::Refused, NoDefault},
    // Fmin(50HZ), Fmax(50HZ): a value out of range falls back to the usual 50 Hz limit,
    // 47.5 Hz and 50.2 Hz.
    {9, Absent::DefaultInstead, 475},
    {8, Absent::DefaultInstead, 502},
    // Fmin(60HZ), Fmax(60HZ)
    {11, Absent::ZeroRefused, NoDefault},
    {10, Absent::ZeroRefused, NoDefault},
    // Disconnect times: Fmin, Fmax, Vmin_L1, Vmax_L1, Vmin_L2, Vmax_L2.
    {13, Absent::Refused, NoDefault},
    {12, Absent::Refused, NoDefault},
    {6, Absent::Refused, NoDefault},
    {5, Absent::Refused, NoDefault},
    {7, Absent::Refused, NoDefault},
    {4, Absent::Refused, NoDefault},
    // Vmin_L2, Vmax_L2
    {3, Absent::Refused, NoDefault},
    {0, Absent::Refused, NoDefault},
};
static_assert(std::size(Rules) == GridLimitEntryCount);

bool HoldsNoNumber(const GridLimitRule &rule, const std::string &text)
{
    if (text.empty())
        return true;
    // The prefix value of the text as it stands: "0,5" starts with the number 0.
    return rule.absent != Absent::Refused && NumericPrefixValue(text) == 0.0;
}

GridLimitRefusal Refuse(const GridLimitRule &rule, int textNumber, bool withCaption,
                        bool emptyEntry)
{
    return {rule.entry, textNumber, withCaption, emptyEntry};
}

} // namespace

GridLimitCheck CheckGridLimitEntries(const GridLimitTexts &texts, const NumberFormat &format)
{
    GridLimitCheck check;
    for (const GridLimitRule &rule : Rules) {
        const auto at = static_cast<std::size_t>(rule.entry);
        const RegisterDeclaration &limit = decl::GridLimits[at];
        const std::string &text = texts[at];
        std::int64_t steps = rule.fallback;
        if (rule.absent == Absent::DefaultInstead) {
            const auto entered
                = HoldsNoNumber(rule, text) ? std::nullopt : EntrySteps(limit, text, format);
            if (entered)
                steps = *entered;
        } else {
            if (HoldsNoNumber(rule, text)) {
                check.refusal
                    = Refuse(rule, text::EntryEmpty, true, rule.absent == Absent::ZeroRefused);
                return check;
            }
            const auto entered = EntrySteps(limit, text, format);
            if (!entered) {
                check.refusal = Refuse(rule, text::EntryRefused, false, true);
                return check;
            }
            steps = *entered;
        }
        check.words[at] = StepsWord(limit, steps);
    }
    const auto sent = [&](int entry) {
        const auto at = static_cast<std::size_t>(entry);
        return static_cast<float>(WordValue(decl::GridLimits[at], check.words[at]));
    };
    check.EnteredFmax50 = sent(8);
    check.EnteredFmin50 = sent(9);
    check.EnteredFmax60 = sent(10);
    check.EnteredFmin60 = sent(11);
    return check;
}

} // namespace pv
