#pragma once

namespace pv {

// A moment as the clock on the wall showed it where the tool runs.
struct LocalTime
{
    int year = 1970, month = 1, day = 1;
    int hour = 0, minute = 0, second = 0, millisecond = 0;
    int offsetMinutes = 0; // local time minus UTC
};

} // namespace pv
