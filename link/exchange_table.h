#pragma once
// An exchange as data. The subsystem that owns an exchange (settings/ the identify and the
// configuration exchange, calibration/ the calibration exchanges) tables each of its steps
// once: what it sends, whether it clears the port first, the interval it gives its timer, how
// its reply is judged and mirrored, and which step follows. The exchange machine runs any such
// table, bound to the plan the exchange was asked for with.

#include "codec.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace pv {

inline constexpr int NoStep = -1;
inline constexpr int AnyGroup = -1; // a step every plan carries
inline constexpr int KeepInterval = 0;

// A confirmed write shows at once: its acknowledgement carries no register contents, so
// `length` bytes of the acknowledged request, from `requestIndex`, land at the image place of
// `firstRegister` (the decode then reads them by the declarations the checks used).
struct MirrorSpan
{
    std::uint16_t firstRegister = 0;
    std::size_t length = 0;
    std::size_t requestIndex = 0;
};

// Request bytes before the data of a function-0x10 write: address, function, start register,
// register count, byte count; and before the word of a single-word function-0x64 write.
inline constexpr std::size_t BlockWriteDataIndex = 7;
inline constexpr std::size_t WordWriteDataIndex = 4;

// What the machine needs of one step. A request goes out on a sending step; the step after it
// takes the reply.
struct StepFacts
{
    int step = NoStep;
    bool sends = false;
    // Clears what the port holds before sending: a late reply to an earlier request (a read of
    // one register answers like any other) must never be taken for this request's reply.
    bool discardFirst = false;
    int intervalMs = KeepInterval; // the exchange timer's interval from this step on
    int group = AnyGroup;          // the write group the step belongs to
    std::array<MirrorSpan, 2> mirror{};
    // Beyond the value store's checks: whether an accepted reply serves its exchange.
    bool (*judge)(ByteView reply) = nullptr;
    // NoStep: a reply that passes here ends the exchange.
    int next = NoStep;
};

template <class Plan>
struct StepRow
{
    StepFacts facts;
    // Sending steps: the request from the plan into the channel; a request that cannot be made
    // stays empty, and nothing is sent.
    void (*build)(const Plan &plan, Channel &channel) = nullptr;
};

// Where an exchange begins, and its timer's interval until a step sets another.
struct ExchangeStart
{
    int firstStep = 0;
    int intervalMs = 0;
};

// One table bound to the plan it runs with.
class ExchangeRun
{
public:
    ExchangeRun() = default;
    // carries: whether the plan carries a write group; without it, every group.
    ExchangeRun(std::vector<StepFacts> steps, std::function<void(int step, Channel &)> build,
                ExchangeStart start, std::function<bool(int group)> carries = {})
        : steps_(std::move(steps)), build_(std::move(build)), start_(start),
          carries_(std::move(carries))
    {}
    // A table of static rows and the plan its builders take.
    template <class Plan>
    ExchangeRun(std::span<const StepRow<Plan>> rows, Plan plan, ExchangeStart start,
                std::function<bool(int group)> carries = {})
        : ExchangeRun(
            FactsOf(rows),
            [rows, plan = std::move(plan)](int step, Channel &channel) {
                for (const StepRow<Plan> &row : rows) {
                    if (row.facts.step == step && row.build != nullptr)
                        row.build(plan, channel);
                }
            },
            start, std::move(carries))
    {}

    template <class Plan>
    static std::vector<StepFacts> FactsOf(std::span<const StepRow<Plan>> rows)
    {
        std::vector<StepFacts> facts;
        for (const StepRow<Plan> &row : rows)
            facts.push_back(row.facts);
        return facts;
    }

    // Nothing for a step the table does not hold.
    const StepFacts *Find(int step) const;
    // The first step the plan carries from the start on (the start itself when it carries none).
    int FirstStep() const;
    int StartIntervalMs() const { return start_.intervalMs; }
    // The step after `step` that the plan carries; NoStep when the exchange ends there.
    int Successor(int step) const;
    void Build(int step, Channel &channel) const;

private:
    bool Carried(const StepFacts &facts) const;

    std::vector<StepFacts> steps_;
    std::function<void(int, Channel &)> build_;
    ExchangeStart start_;
    std::function<bool(int)> carries_;
};

} // namespace pv
