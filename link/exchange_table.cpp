#include "exchange_table.h"

namespace pv {

const StepFacts *ExchangeRun::Find(int step) const
{
    for (const StepFacts &facts : steps_) {
        if (facts.step == step)
            return &facts;
    }
    return nullptr;
}

bool ExchangeRun::Carried(const StepFacts &facts) const
{
    return facts.group == AnyGroup || !carries_ || carries_(facts.group);
}

int ExchangeRun::FirstStep() const
{
    // Groups the plan leaves out are passed over without a tick.
    for (const StepFacts *facts = Find(start_.firstStep); facts != nullptr;
         facts = Find(facts->next)) {
        if (Carried(*facts))
            return facts->step;
    }
    return start_.firstStep;
}

int ExchangeRun::Successor(int step) const
{
    const StepFacts *facts = Find(step);
    for (facts = facts != nullptr ? Find(facts->next) : nullptr; facts != nullptr;
         facts = Find(facts->next)) {
        if (Carried(*facts))
            return facts->step;
    }
    return NoStep;
}

void ExchangeRun::Build(int step, Channel &channel) const
{
    if (build_)
        build_(step, channel);
}

} // namespace pv
