#pragma once
// Shared steps of the simulator tests: one request in, whatever came back one poll later out.

#include "sim/inverter_simulator.h"

#include <cstdint>
#include <iomanip>
#include <sstream>
#include <string>

namespace pv::test {

inline constexpr std::int64_t PollMs = 350;

inline Bytes Exchange(InverterSimulator &inverter, const Bytes &request, std::int64_t &nowMs)
{
    inverter.Feed(request, nowMs);
    nowMs += PollMs;
    return inverter.TakeOutput(nowMs);
}

inline Bytes WithCrc(Bytes frame)
{
    AppendCrc(frame);
    return frame;
}

inline bool CrcGood(const Bytes &reply)
{
    std::uint16_t unreadable = 0;
    return CheckReplyCrc(reply, unreadable);
}

inline std::string Hex(const Bytes &bytes)
{
    std::ostringstream out;
    for (std::size_t i = 0; i < bytes.size(); ++i)
        out << (i ? " " : "") << std::uppercase << std::hex << std::setw(2) << std::setfill('0')
            << int{bytes[i]};
    return out.str();
}

} // namespace pv::test
