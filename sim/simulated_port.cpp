#include "simulated_port.h"

namespace pv {

SimulatedPort::SimulatedPort(InverterSimulator &inverter, Clock now)
    : inverter_(inverter), now_(std::move(now))
{}

SimulatedPort::SimulatedPort(InverterSimulator &inverter, const std::int64_t *nowMs)
    : SimulatedPort(inverter, [nowMs] { return *nowMs; })
{}

void SimulatedPort::SetCommPort(int number)
{
    if (open_)
        throw PortError("the port number cannot change while the port is open");
    commPort_ = number;
}

void SimulatedPort::Open()
{
    if (open_)
        throw PortError("COM" + std::to_string(commPort_) + " is already open");
    if (!existing_.contains(commPort_))
        throw PortError("COM" + std::to_string(commPort_) + " does not exist");
    // Whatever the inverter said while nobody listened is lost.
    inverter_.ResetLine();
    echo_.Reset();
    open_ = true;
    ++openCount_;
}

void SimulatedPort::Close()
{
    if (!open_)
        return;
    open_ = false;
    inverter_.ResetLine();
    echo_.Reset();
}

void SimulatedPort::ThrowIfUnusable(const char *operation) const
{
    if (!open_)
        throw PortError(std::string(operation) + " on a closed port");
    if (failing_)
        throw PortError(std::string(operation) + " failed: the device is gone");
}

void SimulatedPort::Output(ByteView bytes)
{
    ThrowIfUnusable("Output");
    written_.insert(written_.end(), bytes.begin(), bytes.end());
    writes_.emplace_back(bytes.begin(), bytes.end());
    echo_.OnSent(bytes);
    inverter_.Feed(bytes, now_());
}

Bytes SimulatedPort::Input()
{
    ThrowIfUnusable("Input");
    return echo_.Filter(inverter_.TakeOutput(now_()));
}

} // namespace pv
