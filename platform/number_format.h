#pragma once
// The system's regional number format, read once from the platform and handed to the
// conversions as a value.

#include "link/numbers.h"

namespace pv {

NumberFormat SystemNumberFormat();

} // namespace pv
