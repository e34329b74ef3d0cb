#pragma once
// What the exchange machine needs of the window that owns it: the timers, the lock of the input
// controls, the status lamp and caption, message boxes, the panels that show replies, and the
// frame builders of the identify and configuration panels.

#include "codec.h"

#include <array>

namespace pv {

enum class Lamp { Good, Bad };

// The main window's timers, by their design numbers.
enum class MainTimer { Timer1 = 1, Timer2 = 2, Timer3 = 3 };

class ExchangeHost
{
public:
    virtual ~ExchangeHost() = default;

    // Enabled state of every input control of the main window but the port list.
    virtual void SetInputControlsEnabled(bool enabled) = 0;
    virtual void SetTimerEnabled(MainTimer timer, bool enabled) = 0;
    virtual void SetTimerInterval(MainTimer timer, int milliseconds) = 0;

    // Paints the lamp into the status picture and sets the status caption to text N.
    virtual void PaintLinkStatus(Lamp lamp, int textNumber) = 0;
    // A modal message box with text N alone and an OK button.
    virtual void ShowMessage(int textNumber) = 0;

    virtual void ShowIdentifierValues() = 0;
    virtual void ShowConfiguration() = 0;
    // A write reported done: the entries of the groups written show what the inverter got (the
    // write mirror has filed it), not what was typed. Called before the message.
    virtual void ShowWrittenIdentifiers() {}
    virtual void ShowWrittenConfiguration(const std::array<bool, 4> & /*groups*/) {}
    // Lays a passing calibration read reply into the calibration window; false when the reply
    // is too short to fill its row, which then stays as it was.
    virtual bool ShowCalibrationValues() = 0;
    // Shows the calibration window modally; returns when it is closed.
    virtual void OpenCalibrationWindow() = 0;

    // Check1(index) of the configuration panel ticked (value 1). Asked at the Write click only:
    // the groups ticked then are the groups of the whole write.
    virtual bool WriteGroupTicked(int index) const = 0;

    // Frame builders of the identify and configuration panels: the request of this step into
    // the channel. A build that fails leaves the channel's request empty, and nothing is sent.
    virtual void BuildIdentifyRequest(int step, Channel &channel) = 0;
    virtual void BuildConfigurationRequest(int step, Channel &channel) = 0;

    // A reply was accepted and filed into the register image (outside the calibration states,
    // whose replies the calibration window reads itself); request tells which block it carried.
    // The trend and the recording of the readings hang on this; nothing else needs it.
    virtual void ReplyFiled(const RequestInfo & /*request*/) {}
    // The readings that follow do not continue those before: another port was chosen, the link
    // came back after a loss (maybe to another inverter), or the calibration window held the
    // monitor cycle. The trend starts a new segment there.
    virtual void ReadingsStartOver() {}
};

} // namespace pv
