#pragma once
// The checks of the fourteen grid-protection limits (Text7(0..13)) before a configuration write
// sends them, and the words they become on the wire (0xC088..0xC095).

#include "entry_refusal.h"

#include "link/numbers.h"
#include "link/register_map.h"

#include <array>
#include <cstdint>
#include <string>

namespace pv {

inline constexpr int GridLimitEntryCount = reg::GridLimitCount;

using GridLimitTexts = std::array<std::string, GridLimitEntryCount>;
using GridLimitWords = std::array<std::uint16_t, GridLimitEntryCount>;

// The label beside each entry of the limits grid: Text7(i) stands beside
// Label8(GridLimitLabels[i]), whose caption follows text 133 when the entry is empty.
inline constexpr std::array<int, GridLimitEntryCount> GridLimitLabels
    = {3, 1, 0, 2, 13, 11, 10, 12, 5, 4, 7, 6, 9, 8};

// The longest text each entry of the grid takes: the four frequencies carry a decimal and one
// digit more.
inline constexpr int GridLimitTextLength = 5;
inline constexpr int FrequencyLimitTextLength = 6;
constexpr bool IsFrequencyLimit(int entry)
{
    return entry >= reg::FirstFrequencyLimit && entry <= reg::LastFrequencyLimit;
}
constexpr int GridLimitEntryLength(int entry)
{
    return IsFrequencyLimit(entry) ? FrequencyLimitTextLength : GridLimitTextLength;
}

// A refused limit names its Text7 index.
using GridLimitRefusal = EntryRefusal<int>;

struct GridLimitCheck
{
    // Nothing when all fourteen entries passed; otherwise the first one refused.
    EntryVerdict<int> refusal;
    // The frequency limits as they are sent (Hz; the 50 Hz ones after their defaults applied).
    float EnteredFmax50 = 0, EnteredFmin50 = 0, EnteredFmax60 = 0, EnteredFmin60 = 0;
    // 0xC088..0xC095, valid when nothing was refused.
    GridLimitWords words{};
};

// Checks the entries in their fixed order and stops at the first one refused. The voltages and
// disconnect times are read with the regional format (a text that is not such a number is
// refused with text 132); the frequencies with "," read as ".". A value whose word does not fit
// 0..65535 is refused with text 132 rather than cut.
GridLimitCheck CheckGridLimitEntries(const GridLimitTexts &texts, const NumberFormat &format);

// The values the check of an entry accepts (for the 50 Hz limits: the values it sends rather
// than its default): low (included or not) up to high, included. Single-precision bounds, as
// the check compares them.
struct GridLimitRange
{
    float low;
    bool lowIncluded;
    float high;
};
GridLimitRange AcceptedGridLimitRange(int entry);
// The value of the entry lies in its accepted range; a frequency is taken in single precision
// first, as the check reads it.
bool GridLimitAccepted(int entry, double value);

// The comma-tolerant reading of a decimal entry: every "," read as "." and the whole text a
// number; nothing otherwise.
std::optional<float> DecimalEntryValue(std::string_view text);

} // namespace pv
