#pragma once
// How old the readings on the panel are. The lamp stays blue while replies arrive whole but fail
// their CRC or are refused, so the readings can stand frozen under "Connected"; counted in ticks
// of the monitor cycle since the last accepted reply of the readings block, they are marked as
// old once two full cycles have passed without one. The same rule says when the link counts as
// lost for the trend and the recording.

#include "link/exchange_machine.h"

#include <cstdint>
#include <optional>

namespace pv {

// Two full monitor cycles: the readings block was asked for twice and neither answer was used.
inline constexpr int StaleAfterTicks = 2 * MonitorCycleTicks;

class ReadingsAge
{
public:
    // A reply of the readings block was accepted at timeMs. True when the link was lost since
    // the reading before, or Restart was called: the trend breaks its line before this one.
    bool Accepted(std::int64_t timeMs);
    // A Timer1 tick of the monitor cycle has ended; the tick that accepted a reply does not
    // count.
    void TickEnded();
    // The next reading starts afresh, as after another port was chosen.
    void Restart();

    bool Stale() const { return ticksSinceAccepted_ >= StaleAfterTicks; }
    // Time of the last accepted reply, none before the first.
    std::optional<std::int64_t> LastAcceptedMs() const { return lastAcceptedMs_; }

private:
    int ticksSinceAccepted_ = 0;
    bool acceptedThisTick_ = false;
    bool lost_ = false;
    std::optional<std::int64_t> lastAcceptedMs_;
};

} // namespace pv
