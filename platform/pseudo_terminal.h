#pragma once
// A pseudo-terminal pair (POSIX): the simulator serves the master side, the tool opens the
// slave side as its serial device.

#include "link/codec.h"

#include <memory>
#include <string>

namespace pv {

class PseudoTerminal
{
public:
    // A new pair in raw mode; nullptr when the system cannot give one.
    static std::unique_ptr<PseudoTerminal> Create();
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal &) = delete;
    PseudoTerminal &operator=(const PseudoTerminal &) = delete;

    std::string SlavePath() const { return slavePath_; }
    int MasterFd() const { return master_; }

    // Waits up to timeoutMs for bytes on the master side and returns what arrived (may be
    // empty); never blocks longer.
    Bytes Read(int timeoutMs);
    void Write(ByteView bytes);

private:
    PseudoTerminal(int master, int slaveKeeper, std::string slavePath);
    int master_ = -1;
    int slaveKeeper_ = -1; // keeps the slave side alive while no client has it open
    std::string slavePath_;
};

} // namespace pv
