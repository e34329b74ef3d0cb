#pragma once
// The system clock as the wall shows it where the tool runs: the local time zone's fields and
// its offset from UTC, as the recording, the command line and the publisher stamp readings.

#include "link/local_time.h"

#include <cstdint>

namespace pv {

// The local time of a moment given in milliseconds since 1970-01-01 UTC.
LocalTime LocalTimeAt(std::int64_t msSinceEpoch);

} // namespace pv
