#pragma once
// What the exchange machine tells whoever runs it, and what it asks of the timers that drive
// it. Outcomes only: which text, lamp, message box or panel stands for an outcome is the
// business of the front end that listens.

#include "codec.h"

namespace pv {

// The three step timers of the exchanges; the values are the design's timer numbers.
enum class ExchangeTimer {
    Monitor = 1,       // the monitor cycle and the version check
    Identify = 2,      // the identify exchange
    Configuration = 3, // the configuration exchange
};

// What the link shows now.
enum class LinkStatus {
    NoLink,            // no port open, or the port failed to open
    PortOpened,        // the firmware version is being checked
    Good,              // a reply came back
    NoReply,           // nothing usable came back
    VersionUnreadable, // no version text yet: the check goes on
    VersionRefused,    // the firmware is one the tool must not write to
};

class ExchangeTimers
{
public:
    virtual ~ExchangeTimers() = default;
    // Enabling a running timer leaves its count as it is.
    virtual void SetTimerEnabled(ExchangeTimer timer, bool enabled) = 0;
    virtual void SetTimerInterval(ExchangeTimer timer, int milliseconds) = 0;
};

enum class ExchangeState {
    CheckOperatingVersion,
    Monitor,
    PrepareIdentifyRead,
    PrepareIdentifyWrite,
    PrepareConfigurationRead,
    PrepareConfigurationWrite,
    IdentifyRead,
    IdentifyWrite,
    ConfigurationRead,
    ConfigurationWrite,
    CalibrationRead,
    CalibrationWrite,
    // Monitoring has stopped for the calibration window, which is (about to be) open and runs
    // its exchanges from here; the design's empty state text.
    CalibrationWindowOpen,
};

class ExchangeEvents
{
public:
    virtual ~ExchangeEvents() = default;

    // Whether the front end may take intents now (false while an exchange is asked for or
    // runs, and during the version check).
    virtual void IntentsAllowed(bool allowed) = 0;
    // Said at every change and after every monitor reply.
    virtual void LinkStatusShown(LinkStatus status) = 0;
    // The outcomes below name the exchange they are about: one of IdentifyRead ..
    // CalibrationWrite.
    // A read's last reply passed: its values are in the value store (for a calibration read, in
    // the exchange channel's reply). Said while the exchange still runs.
    virtual void ReadDone(ExchangeState exchange) = 0;
    // A write's last acknowledgement passed and what it sent is filed in the value store. Said
    // while the exchange still runs, before WriteDone.
    virtual void WrittenValuesFiled(ExchangeState /*exchange*/) {}
    // The outcomes that end an exchange; the exchange has ended when they are said, and
    // whatever runs while a front end shows them sees it so.
    virtual void ReadFailed(ExchangeState exchange) = 0;
    virtual void WriteDone(ExchangeState exchange) = 0;
    virtual void WriteFailed(ExchangeState exchange) = 0;
    // A calibration request could not be made from what the plan holds: nothing was sent.
    virtual void RequestRefused(ExchangeState exchange) = 0;
    // The monitor cycle has stopped: the firmware is one the tool must not write to.
    virtual void FirmwareRefused() = 0;
    // The chosen port did not open; no timer runs.
    virtual void PortFailed() = 0;
    // Monitoring has stopped for the calibration exchanges (OpenCalibrationOnNextTick).
    virtual void CalibrationDue() = 0;

    // A reply was accepted and filed into the register image (outside the calibration states);
    // request tells which block it carried. The trend and the recording hang on this.
    virtual void ReplyFiled(const RequestInfo & /*request*/) {}
    // The readings that follow do not continue those before: another port was chosen, the link
    // came back after a loss (maybe to another inverter), or the calibration exchanges held the
    // monitor cycle.
    virtual void ReadingsStartOver() {}
};

} // namespace pv
