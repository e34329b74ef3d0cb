#pragma once
// Byte helpers the simulated inverter's files share: words in a frame, its CRC and a refusal.

#include "link/codec.h"

#include <cstddef>
#include <cstdint>

namespace pv::sim {

inline std::uint16_t WordAt(ByteView bytes, std::size_t i)
{
    return static_cast<std::uint16_t>(bytes[i] << 8 | bytes[i + 1]);
}

inline bool CrcMatches(ByteView frame)
{
    std::uint16_t unreadable = 0;
    return CheckReplyCrc(frame, unreadable);
}

inline Bytes ExceptionReply(std::uint8_t function, std::uint8_t code)
{
    Bytes reply{SlaveAddress, static_cast<std::uint8_t>(function | ExceptionBit), code};
    AppendCrc(reply);
    return reply;
}

} // namespace pv::sim
