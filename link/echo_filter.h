#pragma once
// Two-wire RS-485 adapters without echo suppression hear their own transmitter: every request
// the tool sends comes back on the receive side, ahead of the inverter's reply. The filter sits
// between a port and the exchange logic and drops that leading copy of the last request, so the
// logic sees the same replies on such a line as on any other.
//
// Only a copy of the last request, at the very start of what arrives after it, is dropped; a
// copy that comes in pieces is held back piece by piece until it is whole (or turns out to be
// something else, which is then handed on untouched). Everything after the copy, and everything
// on a line that does not echo, passes unchanged.
//
// A single-word 0x64 write is acknowledged by an exact copy of itself, so on its own a copy of
// such a request proves nothing. The filter therefore learns whether the line echoes from the
// requests whose reply can never equal them (reads, block writes): once one of those has come
// back as an echo, a copy of a self-acknowledged write is dropped too; before that it is taken
// for the acknowledgement. The monitor cycle reads before any write is possible, so the line is
// known by the time it matters.

#include "codec.h"

#include <cstddef>
#include <cstdint>

namespace pv {

class EchoFilter
{
public:
    // Called with every request as it is sent: its echo is expected from now on.
    void OnSent(ByteView request);
    // What arrived since the last call, less a leading echo of the last request.
    Bytes Filter(Bytes received);
    // A new line (the port or its device was opened): forgets the request and what was learned.
    void Reset();

    // Whether this line has shown itself to echo.
    bool LineEchoes() const { return lineEchoes_; }
    // Bytes held back as the first part of an echo still arriving.
    std::size_t HeldBytes() const { return held_.size(); }
    // Echoes dropped since the filter was made (a new line does not start the count again).
    std::uint64_t EchoesDropped() const { return echoesDropped_; }

private:
    Bytes expected_; // the last request, while its echo may still be ahead
    Bytes held_;     // the leading part of it received so far
    bool repliedByCopy_ = false;
    bool lineEchoes_ = false;
    std::uint64_t echoesDropped_ = 0;
};

} // namespace pv
