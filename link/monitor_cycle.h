#pragma once
// The monitor cycle's steps: it reads 0xC020, 0xC0B0 and 0xC080 (steps 0 -> 1 -> 4 -> 5 -> 2 ->
// 3), one request or reply per tick. Its last reply carries the operating version.

#include "register_map.h"

#include <cstdint>

namespace pv::monitor_cycle {

struct MonitorRow
{
    int step;
    bool sends;
    // Sending steps: the block read. Reply steps: the step that sent the request.
    std::uint16_t start;
    std::uint16_t count;
    int sentBy;
    int next;
};

inline constexpr MonitorRow Rows[] = {
    {0, true, reg::ReadingsBlock, reg::ReadingsCount, 0, 1}, {1, false, 0, 0, 0, 4},
    {4, true, reg::NamesBlock, reg::NamesCount, 4, 5},       {5, false, 0, 0, 4, 2},
    {2, true, reg::SettingsBlock, reg::SettingsCount, 2, 3}, {3, false, 0, 0, 2, 0},
};
inline constexpr int FirstStep = 0;
// The reply of 0xC080, last of the cycle: the version is rated here.
inline constexpr int VersionStep = 3;

// Nothing for a step outside the cycle.
inline constexpr const MonitorRow *Find(int step)
{
    for (const MonitorRow &row : Rows) {
        if (row.step == step)
            return &row;
    }
    return nullptr;
}

inline constexpr int Next(int step)
{
    const MonitorRow *row = Find(step);
    return row != nullptr ? row->next : FirstStep;
}

// The step after which the cycle sends the request of this reply step's block again.
inline constexpr int RepeatFrom(int step)
{
    const MonitorRow *row = Find(step);
    for (const MonitorRow &before : Rows) {
        if (row != nullptr && before.next == row->sentBy)
            return before.step;
    }
    return step;
}

} // namespace pv::monitor_cycle
