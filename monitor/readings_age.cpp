#include "readings_age.h"

namespace pv {

bool ReadingsAge::Accepted(std::int64_t timeMs)
{
    const bool gap = lost_;
    lost_ = false;
    ticksSinceAccepted_ = 0;
    acceptedThisTick_ = true;
    lastAcceptedMs_ = timeMs;
    return gap;
}

void ReadingsAge::TickEnded()
{
    if (acceptedThisTick_)
        acceptedThisTick_ = false;
    else if (ticksSinceAccepted_ < StaleAfterTicks)
        ++ticksSinceAccepted_;
    if (Stale())
        lost_ = true;
}

void ReadingsAge::Restart()
{
    lost_ = true;
}

} // namespace pv
