#pragma once
// The checks of the fourteen grid-protection limits (Text7(0..13)) before a configuration write
// sends them, and the words they become on the wire (0xC088..0xC095).

#include "entry_refusal.h"

#include "link/numbers.h"
#include "link/registers.h"

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

// Checks the entries in their fixed order and stops at the first one refused. Each entry is
// read as its register's declaration says (link/registers.h), rounded to the register's unit,
// and the rounded value checked against the declared range: a text that is no number, or whose
// rounded value lies outside, is refused with text 132 (the 50 Hz limits send their default
// instead).
GridLimitCheck CheckGridLimitEntries(const GridLimitTexts &texts, const NumberFormat &format);

} // namespace pv
