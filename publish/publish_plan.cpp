#include "publish_plan.h"

namespace pv {

void PublishPlan::Identified(const UnitDevice &device)
{
    device_ = device;
    // It has just answered.
    linkGood_ = true;
}

void PublishPlan::IdRead(const std::string &unitId)
{
    if (device_ && device_->id != unitId)
        device_.reset();
}

void PublishPlan::ReadingsAccepted(std::int64_t timeMs)
{
    (void)age_.Accepted(timeMs);
    linkGood_ = true;
}

void PublishPlan::MonitorTickEnded()
{
    age_.TickEnded();
}

void PublishPlan::LinkClosed()
{
    linkGood_ = false;
}

} // namespace pv
