#pragma once
// Whether the unit on the port may be published, and whether it is there: what the session tells
// turned into the two facts a publisher acts on. The unit is known once an identify read (or an
// identify write it acknowledged) named it; it is available while its readings come. A unit
// that answers under another ID is another unit, and is not published until it is identified.

#include "mqtt_payloads.h"

#include "monitor/readings_age.h"

#include <cstdint>
#include <optional>

namespace pv {

class PublishPlan
{
public:
    // An identify read or write named the unit.
    void Identified(const UnitDevice &device);
    // The monitor cycle read the unit's ID.
    void IdRead(const std::string &unitId);
    // A reply of the readings block was accepted at timeMs.
    void ReadingsAccepted(std::int64_t timeMs);
    // A Timer1 tick ended: readings that stop coming make the unit unavailable after two cycles,
    // as they grey on the panel.
    void MonitorTickEnded();
    // The port closed or failed, or the unit's firmware was refused: no readings will come.
    void LinkClosed();

    const std::optional<UnitDevice> &Device() const { return device_; }
    // Identified, and its readings come.
    bool Available() const { return device_.has_value() && linkGood_ && !age_.Stale(); }

private:
    std::optional<UnitDevice> device_;
    ReadingsAge age_;
    bool linkGood_ = false;
};

} // namespace pv
