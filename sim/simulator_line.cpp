// How the simulated inverter hears its line: bytes as they arrive, cut into frames by their
// function's length and a good CRC, with noise and torn frames dropped.

#include "inverter_simulator.h"

#include "link/codec.h"
#include "simulator_frames.h"

#include <algorithm>

namespace pv {

namespace {

// Longest frame looked for when the function code gives no length (an unknown function).
constexpr std::size_t MaxFrameLength = 256;
constexpr std::size_t MaxBuffered = 2 * MaxFrameLength;

using sim::CrcMatches;

} // namespace

void InverterSimulator::Feed(ByteView bytes, std::int64_t nowMs)
{
    if (bytes.empty())
        return;
    // A frame arrives in one burst; what is left after a pause is the torn end of a frame
    // that will never complete.
    if (!received_.empty() && nowMs - lastByteMs_ > FrameGapMs) {
        bytesDropped_ += received_.size();
        received_.clear();
    }
    received_.insert(received_.end(), bytes.begin(), bytes.end());
    lastByteMs_ = nowMs;
    // Due now, and so ahead of every reply the bytes may complete.
    if (echo_)
        Queue(nowMs, Bytes(bytes.begin(), bytes.end()));

    Bytes frame;
    while (ExtractFrame(frame))
        HandleFrame(frame, nowMs);
}

InverterSimulator::Scan InverterSimulator::ScanFrame(std::size_t start, std::size_t &length) const
{
    const ByteView rest = ByteView(received_).subspan(start);
    // This is the only slave on the line, so anything not addressed to it is noise.
    if (rest[0] != SlaveAddress)
        return Scan::Garbage;
    if (rest.size() < 2)
        return Scan::NeedMore;

    std::vector<std::size_t> candidates;
    bool open = false; // a longer frame may still be arriving
    const std::uint8_t function = rest[1];
    const auto addWriteLength = [&] {
        if (rest.size() < 7)
            open = true;
        else
            candidates.push_back(9u + rest[6]);
    };
    if (function == ReadFunction) {
        candidates.push_back(8);
    } else if (function == WriteFunction) {
        addWriteLength();
    } else if (function == OwnWriteFunction) {
        candidates.push_back(8); // one word
        addWriteLength();        // several words, laid out like 0x10
    } else {
        // An unknown function has no known length: the shortest run closed by a good CRC.
        for (std::size_t n = 4; n <= std::min(rest.size(), MaxFrameLength); ++n)
            candidates.push_back(n);
        open = rest.size() < MaxFrameLength;
    }

    for (std::size_t n : candidates) {
        if (n <= rest.size() && CrcMatches(rest.first(n))) {
            length = n;
            return Scan::Frame;
        }
        if (n > rest.size())
            open = true;
    }
    return open ? Scan::NeedMore : Scan::Garbage;
}

bool InverterSimulator::ExtractFrame(Bytes &frame)
{
    while (!received_.empty()) {
        std::size_t length = 0;
        const Scan head = ScanFrame(0, length);
        if (head == Scan::Frame) {
            frame.assign(received_.begin(),
                         received_.begin() + static_cast<std::ptrdiff_t>(length));
            received_.erase(received_.begin(),
                            received_.begin() + static_cast<std::ptrdiff_t>(length));
            return true;
        }
        std::size_t skip = head == Scan::Garbage ? 1 : 0;
        if (head == Scan::NeedMore) {
            // A head that can never complete (a damaged length byte, an unknown function) must
            // not hold back a good frame that is already here behind it.
            for (std::size_t start = 1; start < received_.size() && skip == 0; ++start) {
                std::size_t ignored = 0;
                if (ScanFrame(start, ignored) == Scan::Frame)
                    skip = start;
            }
            if (skip == 0 && received_.size() > MaxBuffered)
                skip = 1;
        }
        if (skip == 0)
            return false;
        received_.erase(received_.begin(), received_.begin() + static_cast<std::ptrdiff_t>(skip));
        bytesDropped_ += skip;
    }
    return false;
}

void InverterSimulator::ResetLine()
{
    received_.clear();
    pending_.clear();
}

} // namespace pv
