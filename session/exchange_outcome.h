#pragma once
// How an exchange a technician started ended, and the numbered message the window shows for it.
// The window and the service record both take the number from here, so a record names the very
// message the technician saw.

#include "link/text_numbers.h"

namespace pv {

enum class ExchangeOutcome {
    ReadDone,        // a read's last reply passed; the window shows no message
    ReadFailed,      // text 127
    WriteDone,       // text 129
    WriteFailed,     // text 128
    FirmwareRefused, // text 151: the firmware is one the tool must not write to
};

// The text number shown for the outcome; 0 for one that shows no message.
constexpr int OutcomeTextNumber(ExchangeOutcome outcome)
{
    switch (outcome) {
    case ExchangeOutcome::ReadDone:
        return 0;
    case ExchangeOutcome::ReadFailed:
        return text::ReadFailed;
    case ExchangeOutcome::WriteDone:
        return text::WriteDone;
    case ExchangeOutcome::WriteFailed:
        return text::WriteFailed;
    case ExchangeOutcome::FirmwareRefused:
        return text::VersionRefused;
    }
    return 0;
}

} // namespace pv
