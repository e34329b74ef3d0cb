#pragma once
// A confirmed identify or configuration write shows at once: its reply carries no register
// contents (but for function 0x64, which repeats the value), so the values the write sent are
// copied into the register image, and the decode that follows shows them before the monitor
// cycle reads them back.

#include "link/exchange_machine.h"
#include "link/value_store.h"

namespace pv {

class WriteMirror : public WriteAcknowledge
{
public:
    // Reads the state, the step counters and the last request of each channel from machine.
    explicit WriteMirror(const ExchangeMachine &machine) : machine_(machine) {}

    // A function-0x10 reply copies what the acknowledged request sent, for the writes tabled in
    // write_mirror.cpp; a function-0x64 reply copies the value it repeats into the energy
    // counter's half named by its byte 3. Anything else changes nothing.
    void ApplyWriteAcknowledge(ByteView reply, RegisterImage &image) override;

private:
    const ExchangeMachine &machine_;
};

} // namespace pv
