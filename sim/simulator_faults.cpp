// How the simulated inverter lets the tool down: a fault injected for the next request or drawn
// at the set rates, applied to the healthy answer, and replies held back until they are due.

#include "inverter_simulator.h"

#include "simulator_frames.h"

#include <stdexcept>

namespace pv {

using sim::CrcMatches;
using sim::ExceptionReply;

void InverterSimulator::SetDelayedReplyMs(std::int64_t minMs, std::int64_t maxMs)
{
    if (minMs < 0 || maxMs < minMs)
        throw std::invalid_argument("the delay of a late reply needs 0 <= least <= most");
    delayedReplyMs_ = minMs;
    delayedReplyMaxMs_ = maxMs;
}

void InverterSimulator::SetFaultRate(SimFault fault, double rate)
{
    if (fault == SimFault::None)
        return;
    if (rate < 0.0 || rate > 1.0)
        throw std::invalid_argument("fault rate must lie in 0..1");
    rates_[fault] = rate;
}

void InverterSimulator::HandleFrame(const Bytes &frame, std::int64_t nowMs)
{
    ++framesReceived_;
    SimFault fault = injected_;
    injected_ = SimFault::None;
    if (fault == SimFault::None)
        fault = DrawFault();
    if (fault != SimFault::None)
        faultsStruck_.push_back(fault);

    switch (fault) {
    case SimFault::NoReply:
        return;
    case SimFault::Exception:
        Queue(nowMs + replyDelayMs_, ExceptionReply(frame[1], exceptionCode_));
        return;
    case SimFault::NoiseInstead:
        Queue(nowMs + replyDelayMs_, Noise(3, 12));
        return;
    default:
        break;
    }

    UpdateReadings(nowMs);
    Bytes reply = Answer(frame, nowMs);
    std::int64_t dueMs = nowMs + replyDelayMs_;
    switch (fault) {
    case SimFault::WrongCrc:
        reply.back() ^= 0x5A;
        break;
    case SimFault::Truncated:
        reply.resize(reply.size() / 2);
        break;
    case SimFault::Delayed: {
        const auto spread = static_cast<std::uint64_t>(delayedReplyMaxMs_ - delayedReplyMs_);
        dueMs = nowMs + delayedReplyMs_
                + (spread == 0 ? 0 : static_cast<std::int64_t>(NextRandom() % (spread + 1)));
        break;
    }
    case SimFault::NoiseBefore: {
        Bytes noisy;
        do {
            noisy = Noise(1, 8);
            noisy.insert(noisy.end(), reply.begin(), reply.end());
        } while (CrcMatches(noisy));
        reply = std::move(noisy);
        break;
    }
    default:
        break;
    }
    Queue(dueMs, std::move(reply));
}

// --- sending ---------------------------------------------------------------------------------

void InverterSimulator::Queue(std::int64_t dueMs, Bytes bytes)
{
    if (!bytes.empty())
        pending_.emplace(dueMs, std::move(bytes));
}

Bytes InverterSimulator::TakeOutput(std::int64_t nowMs)
{
    Bytes out;
    auto it = pending_.begin();
    while (it != pending_.end() && it->first <= nowMs) {
        out.insert(out.end(), it->second.begin(), it->second.end());
        it = pending_.erase(it);
    }
    return out;
}

std::optional<std::int64_t> InverterSimulator::NextDueMs() const
{
    if (pending_.empty())
        return std::nullopt;
    return pending_.begin()->first;
}

// --- chance ----------------------------------------------------------------------------------

// xorshift64*: the same sequence for the same seed on every platform, unlike the standard
// distributions.
std::uint64_t InverterSimulator::NextRandom()
{
    random_ ^= random_ >> 12;
    random_ ^= random_ << 25;
    random_ ^= random_ >> 27;
    return random_ * 0x2545F4914F6CDD1Dull;
}

SimFault InverterSimulator::DrawFault()
{
    for (const auto &[fault, rate] : rates_) {
        if (rate <= 0.0)
            continue;
        const double draw = static_cast<double>(NextRandom() >> 11) * 0x1.0p-53;
        if (draw < rate)
            return fault;
    }
    return SimFault::None;
}

Bytes InverterSimulator::Noise(std::size_t minLength, std::size_t maxLength)
{
    Bytes noise;
    do {
        const std::size_t length = minLength + NextRandom() % (maxLength - minLength + 1);
        noise.clear();
        for (std::size_t k = 0; k < length; ++k)
            noise.push_back(static_cast<std::uint8_t>(NextRandom() >> 56));
    } while (CrcMatches(noise));
    return noise;
}

} // namespace pv
