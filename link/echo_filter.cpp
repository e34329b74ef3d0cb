#include "echo_filter.h"

#include <algorithm>

namespace pv {

namespace {

// Shortest frame an inverter sends: an exception reply (address, function, code, CRC).
constexpr std::size_t ShortestReply = 5;

// A 0x64 write of one word is acknowledged by repeating it byte for byte.
bool AcknowledgedByCopy(ByteView request)
{
    return request.size() == 8 && request[1] == OwnWriteFunction;
}

bool IsWholeFrame(ByteView bytes)
{
    std::uint16_t unreadable = 0;
    return bytes.size() >= ShortestReply && CheckReplyCrc(bytes, unreadable);
}

} // namespace

void EchoFilter::OnSent(ByteView request)
{
    expected_.assign(request.begin(), request.end());
    held_.clear();
    repliedByCopy_ = AcknowledgedByCopy(request);
}

void EchoFilter::Reset()
{
    expected_.clear();
    held_.clear();
    lineEchoes_ = false;
}

Bytes EchoFilter::Filter(Bytes received)
{
    if (expected_.empty())
        return received;
    Bytes data = std::move(held_);
    held_.clear();
    data.insert(data.end(), received.begin(), received.end());
    if (data.empty())
        return data;

    const std::size_t compared = std::min(data.size(), expected_.size());
    const bool leadsLikeEcho = std::equal(data.begin(), data.begin() + compared, expected_.begin());
    if (!leadsLikeEcho) {
        expected_.clear();
        return data;
    }
    if (data.size() < expected_.size()) {
        // The start of the echo, or a reply that begins like the request (a block write's
        // acknowledgement repeats its first six bytes); a reply is complete in itself.
        if (IsWholeFrame(data)) {
            expected_.clear();
            return data;
        }
        held_ = std::move(data);
        return {};
    }

    const auto rest = data.begin() + static_cast<std::ptrdiff_t>(expected_.size());
    if (repliedByCopy_ && !lineEchoes_) {
        // One copy is the acknowledgement on a line not known to echo; two are echo and reply.
        const bool secondCopy = static_cast<std::size_t>(data.end() - rest) >= expected_.size()
                                && std::equal(expected_.begin(), expected_.end(), rest);
        if (!secondCopy) {
            expected_.clear();
            return data;
        }
    }
    lineEchoes_ = true;
    ++echoesDropped_;
    expected_.clear();
    return Bytes(rest, data.end());
}

} // namespace pv
