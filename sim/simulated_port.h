#pragma once
// A serial port with the simulated inverter at the other end of the cable, on a clock the owner
// advances: windows under test and the in-process demonstration talk to it like to a real port.
// Like the real port it drops the echo of an RS-485 adapter (EchoFilter), so an echoing
// simulator (InverterSimulator::SetEcho) stands for such a line in the window tests too.

#include "inverter_simulator.h"
#include "link/echo_filter.h"
#include "link/serial_port.h"

#include <cstdint>
#include <functional>
#include <set>
#include <string>

namespace pv {

class SimulatedPort : public SerialPort
{
public:
    using Clock = std::function<std::int64_t()>; // milliseconds

    SimulatedPort(InverterSimulator &inverter, Clock now);
    // Reads the time from a counter the owner advances by hand.
    SimulatedPort(InverterSimulator &inverter, const std::int64_t *nowMs);

    int CommPort() const override { return commPort_; }
    void SetCommPort(int number) override;
    void SetSettings(const std::string &settings) override { settings_ = settings; }
    void Open() override;
    void Close() override;
    bool IsOpen() const override { return open_; }
    void Output(ByteView bytes) override;
    Bytes Input() override;
    std::uint64_t EchoesDropped() const override { return echo_.EchoesDropped(); }

    // Which port numbers open; by default only port 1. Open throws PortError for the others.
    void SetExistingPorts(std::set<int> numbers) { existing_ = std::move(numbers); }
    void SetExistingPort(int number) { existing_ = {number}; }
    // While failing, Output and Input throw PortError (the adapter was pulled).
    void SetFailing(bool failing) { failing_ = failing; }

    const std::string &Settings() const { return settings_; }
    // Every byte the tool has sent since the port was created, and the frames one by one.
    const Bytes &Written() const { return written_; }
    const std::vector<Bytes> &Writes() const { return writes_; }
    // Forgets what was sent so far, for a long run whose record would otherwise grow with it.
    void ClearWritten()
    {
        written_.clear();
        writes_.clear();
    }
    int OpenCount() const { return openCount_; }

private:
    void ThrowIfUnusable(const char *operation) const;

    InverterSimulator &inverter_;
    Clock now_;
    int commPort_ = FirstPortNumber;
    std::string settings_ = LineSettings;
    std::set<int> existing_{FirstPortNumber};
    bool open_ = false;
    bool failing_ = false;
    int openCount_ = 0;
    EchoFilter echo_;
    Bytes written_;
    std::vector<Bytes> writes_;
};

} // namespace pv
