#include "exchange_machine.h"

#include "exchange_steps.h"
#include "text_numbers.h"

#include <stdexcept>

namespace pv {

using namespace exchange_steps;

ExchangeMachine::ExchangeMachine(SerialPort &port, ValueStore &store, ExchangeHost &host)
    : port_(port), store_(store), host_(host), statusTextNumber_(text::NoLink)
{}

void ExchangeMachine::Prepare(ExchangeState state, MainTimer timer, int intervalMs, int &step,
                              int firstStep)
{
    // Locked at the click, not at the hand-over up to one monitor interval later: a click in
    // between would change the write under way or drop it without a word.
    host_.SetInputControlsEnabled(false);
    host_.SetTimerInterval(timer, intervalMs);
    step = firstStep;
    state_ = state;
}

void ExchangeMachine::PrepareIdentifyRead()
{
    Prepare(ExchangeState::PrepareIdentifyRead, MainTimer::Timer2, ReadStepIntervalMs,
            identifyStep_, IdentifyReadFirstStep);
}

void ExchangeMachine::PrepareIdentifyWrite()
{
    Prepare(ExchangeState::PrepareIdentifyWrite, MainTimer::Timer2, WriteStepIntervalMs,
            identifyStep_, IdentifyWriteFirstStep);
}

void ExchangeMachine::PrepareConfigurationRead()
{
    Prepare(ExchangeState::PrepareConfigurationRead, MainTimer::Timer3, ReadStepIntervalMs,
            configurationStep_, ConfigurationReadFirstStep);
}

void ExchangeMachine::PrepareConfigurationWrite()
{
    writeGroups_ = {host_.WriteGroupTicked(0), host_.WriteGroupTicked(1), host_.WriteGroupTicked(2),
                    host_.WriteGroupTicked(3)};
    Prepare(ExchangeState::PrepareConfigurationWrite, MainTimer::Timer3, WriteStepIntervalMs,
            configurationStep_, FirstConfigurationWriteStep(writeGroups_));
}

void ExchangeMachine::OpenCalibrationOnNextTick()
{
    host_.SetInputControlsEnabled(false); // as for the panels' exchanges
    state_ = ExchangeState::Idle;
}

void ExchangeMachine::BeginCalibrationRead()
{
    state_ = ExchangeState::CalibrationRead;
}

void ExchangeMachine::BeginCalibrationWrite()
{
    state_ = ExchangeState::CalibrationWrite;
}

void ExchangeMachine::ResumeMonitoring()
{
    state_ = ExchangeState::Monitor;
    monitorStep_ = 0;
    repliesMissed_ = 0;
    host_.SetInputControlsEnabled(true);
    host_.SetTimerEnabled(MainTimer::Timer1, true);
    host_.ReadingsStartOver();
}

void ExchangeMachine::AwaitVersionCheck()
{
    state_ = ExchangeState::CheckOperatingVersion;
}

void ExchangeMachine::DiscardReceived()
{
    (void)port_.Input();
}

bool ExchangeMachine::Send(const Channel &channel)
{
    try {
        port_.Output(channel.request);
        return true;
    } catch (const PortError &) {
        return false;
    }
}

Bytes ExchangeMachine::TakeReceived()
{
    try {
        return port_.Input();
    } catch (const PortError &) {
        // A take that fails found nothing usable.
        return {};
    }
}

void ExchangeMachine::MonitorExchangeStep()
{
    // A device that went away and came back may be another unit's: its version is rated again
    // before anything may be written to it.
    const bool monitoring
        = state_ == ExchangeState::Monitor || state_ == ExchangeState::CheckOperatingVersion;
    if (monitoring && port_.DevicesLost() != devicesLostSeen_) {
        devicesLostSeen_ = port_.DevicesLost();
        if (state_ == ExchangeState::Monitor)
            CheckVersionAgain();
    }
    // A failing port must not stop the cycle: each operation that fails is skipped and the
    // tick goes on, so the link recovers by itself once the port works again.
    if (monitorStep_ == 0 || monitorStep_ == 2 || monitorStep_ == 4) {
        BuildMonitorRequest(monitorStep_, monitor_);
        try {
            DiscardReceived();
        } catch (const PortError &) {
        }
        Send(monitor_);
    } else if (monitorStep_ == 1 || monitorStep_ == 3 || monitorStep_ == 5) {
        monitor_.reply = TakeReceived();
        try {
            HandleReply(monitor_.reply, monitor_.sent);
        } catch (const PortError &) {
            // A port that fails while the reply is being shown ends that reply, not the cycle.
        }
    }
    monitorStep_ = NextMonitorStep(monitorStep_);
    // A whole cycle without an accepted reply: the lead may have been moved to another unit.
    if (state_ == ExchangeState::Monitor && repliesMissed_ >= MonitorCycleTicks / 2)
        CheckVersionAgain();

    // Hand-overs happen only between monitor exchanges: this tick's own send or take is done,
    // and the stale reply of a request sent now is discarded by the next exchange's first send.
    if (state_ == ExchangeState::PrepareIdentifyWrite) {
        state_ = ExchangeState::IdentifyWrite;
        SetControlsAndTimers(false, ControlsMode::IdentifyExchange);
    }
    if (state_ == ExchangeState::PrepareIdentifyRead) {
        state_ = ExchangeState::IdentifyRead;
        SetControlsAndTimers(false, ControlsMode::IdentifyExchange);
    }
    if (state_ == ExchangeState::PrepareConfigurationWrite) {
        state_ = ExchangeState::ConfigurationWrite;
        SetControlsAndTimers(false, ControlsMode::ConfigurationExchange);
    }
    if (state_ == ExchangeState::PrepareConfigurationRead) {
        state_ = ExchangeState::ConfigurationRead;
        SetControlsAndTimers(false, ControlsMode::ConfigurationExchange);
    }
    if (state_ == ExchangeState::Idle) {
        host_.SetTimerEnabled(MainTimer::Timer1, false);
        host_.OpenCalibrationWindow();
    }
}

void ExchangeMachine::TakeReply(Channel &channel, bool &sendFailed)
{
    // A request that never left the port has no answer; whatever lies in the buffer belongs
    // to an earlier request.
    if (sendFailed)
        channel.reply.clear();
    else
        channel.reply = TakeReceived();
    sendFailed = false;
    HandleReply(channel.reply, channel.sent);
}

void ExchangeMachine::CheckVersionAgain()
{
    // As after a port choice: the cycle from its first block, the controls locked, and the
    // version rated once all three blocks have arrived. The lamp keeps what the line shows.
    state_ = ExchangeState::CheckOperatingVersion;
    monitorStep_ = 0;
    repliesMissed_ = 0;
    SetControlsAndTimers(false, ControlsMode::VersionCheck);
    host_.ReadingsStartOver();
}

void ExchangeMachine::HandBackIfMonitoring()
{
    if (state_ == ExchangeState::Monitor) {
        monitorStep_ = 0;
        repliesMissed_ = 0;
        SetControlsAndTimers(true, ControlsMode::BackToMonitoring);
    }
}

void ExchangeMachine::ExchangeStep(int step, Channel &channel, bool &sendFailed,
                                   const BuildRequest &build)
{
    if (step < 0 || step > LastStep)
        return;
    if (!IsRequestStep(step)) {
        TakeReply(channel, sendFailed);
        return;
    }
    channel.request.clear();
    build(step, channel);
    // A request that could not be built is not sent; its reply step then fails the exchange.
    if (channel.request.empty()) {
        sendFailed = true;
        return;
    }
    // Every send clears what the port holds: a late reply to an earlier request (a read of one
    // register answers like any other) must never be taken for this request's reply.
    try {
        DiscardReceived();
    } catch (const PortError &) {
    }
    sendFailed = !Send(channel);
}

void ExchangeMachine::IdentifyExchangeStep()
{
    // A message box that ends the exchange runs the event loop, and this timer with it, before
    // the tick that showed it hands back to monitoring: an ended exchange sends nothing more.
    if (state_ != ExchangeState::IdentifyRead && state_ != ExchangeState::IdentifyWrite)
        return;
    const int step = identifyStep_;
    // Each write request gets 2000 ms for its answer; the next write follows 500 ms after the
    // answer was taken. The read runs at the interval its starter chose.
    if (step >= IdentifyWriteFirstStep && step <= LastStep)
        host_.SetTimerInterval(MainTimer::Timer2,
                               IsRequestStep(step) ? WriteStepIntervalMs : ReadStepIntervalMs);
    ExchangeStep(step, identify_, identifySendFailed_,
                 [this](int s, Channel &c) { host_.BuildIdentifyRequest(s, c); });
    identifyStep_ = NextIdentifyStep(step);
    HandBackIfMonitoring();
}

void ExchangeMachine::ConfigurationExchangeStep()
{
    if (state_ != ExchangeState::ConfigurationRead && state_ != ExchangeState::ConfigurationWrite)
        return; // ended while its message box is open, as above
    const int step = configurationStep_;
    if (step >= ConfigurationGroupSteps[0] && step <= LastStep)
        host_.SetTimerInterval(MainTimer::Timer3,
                               IsRequestStep(step) ? WriteStepIntervalMs : ReadStepIntervalMs);
    ExchangeStep(step, configuration_, configurationSendFailed_,
                 [this](int s, Channel &c) { host_.BuildConfigurationRequest(s, c); });
    configurationStep_ = NextConfigurationStep(step, writeGroups_);
    HandBackIfMonitoring();
}

void ExchangeMachine::CalibrationExchangeStep(int step, Channel &channel, const BuildRequest &build)
{
    // The calibration window's timer ticks on while a message box of this exchange is open; an
    // exchange that has ended sends nothing more and shows nothing twice.
    if (state_ != ExchangeState::CalibrationRead && state_ != ExchangeState::CalibrationWrite)
        return;
    if (step < 0 || step > LastCalibrationStep)
        return;
    calibrationStep_ = step;
    ExchangeStep(step, channel, calibrationSendFailed_, build);
    if (IsRequestStep(step))
        calibrationSent_ = channel.sent;
    if (IsRequestStep(step) && channel.request.empty())
        EndExchange(ExchangeState::Idle, text::EntryRefused);
}

void ExchangeMachine::EndExchange(ExchangeState state, int messageNumber)
{
    // The state is set before the message so that whatever runs while the box is open already
    // sees the exchange as ended.
    state_ = state;
    host_.ShowMessage(messageNumber);
}

void ExchangeMachine::RateOperatingVersion()
{
    const auto verdict = ClassifyOperatingVersion(store_.Data().OperatingVersion());
    if (!verdict) {
        // The register holds no version text; rated again after the next cycle, and the window
        // says why it stays locked.
        ShowLinkStatus(Lamp::Bad, text::VersionUnreadable);
        return;
    }
    if (*verdict == VersionVerdict::Accepted) {
        ShowLinkStatus(Lamp::Good, text::LinkGood);
        state_ = ExchangeState::Monitor;
        repliesMissed_ = 0;
        SetControlsAndTimers(true, ControlsMode::BackToMonitoring);
    } else {
        ShowLinkStatus(Lamp::Bad, text::VersionRefused);
        host_.SetTimerEnabled(MainTimer::Timer1, false);
        host_.ShowMessage(text::VersionRefused);
    }
}

void ExchangeMachine::HandleReply(ByteView reply, const RequestInfo &request)
{
    switch (state_) {
    case ExchangeState::CheckOperatingVersion:
    case ExchangeState::Monitor:
    case ExchangeState::IdentifyRead:
    case ExchangeState::IdentifyWrite:
    case ExchangeState::ConfigurationRead:
    case ExchangeState::ConfigurationWrite:
    case ExchangeState::CalibrationRead:
    case ExchangeState::CalibrationWrite:
        break;
    default:
        return; // a reply that arrives between exchanges is not filed
    }

    const bool calibration
        = state_ == ExchangeState::CalibrationRead || state_ == ExchangeState::CalibrationWrite;
    const bool accepted = store_.DecodeReply(reply, request, calibration);
    const bool unreadable = store_.ReplyUnreadable() != 0;
    if (accepted && !calibration)
        host_.ReplyFiled(request);

    switch (state_) {
    case ExchangeState::CheckOperatingVersion:
        if (accepted) {
            if (monitorStep_ == MonitorVersionStep)
                RateOperatingVersion();
        } else {
            if (unreadable)
                ShowLinkStatus(Lamp::Bad, text::NoReply);
            // Step back so that the next two ticks ask for the same block again: the version
            // is rated only on a cycle whose three blocks all arrived.
            if (monitorStep_ == 1)
                monitorStep_ = 3;
            else if (monitorStep_ == 5)
                monitorStep_ = 1;
            else if (monitorStep_ == 3)
                monitorStep_ = 5;
        }
        break;
    case ExchangeState::Monitor:
        // Only silence turns the lamp red; a whole reply with a bad CRC is line noise.
        if (!accepted && unreadable)
            ShowLinkStatus(Lamp::Bad, text::NoReply);
        else
            ShowLinkStatus(Lamp::Good, text::LinkGood);
        repliesMissed_ = accepted ? 0 : repliesMissed_ + 1;
        break;
    case ExchangeState::IdentifyRead:
        if (!accepted) {
            EndExchange(ExchangeState::Monitor, text::ReadFailed);
        } else if (identifyStep_ == IdentifyReadLastStep) {
            host_.ShowIdentifierValues();
            state_ = ExchangeState::Monitor;
        }
        break;
    case ExchangeState::IdentifyWrite:
        if (!accepted) {
            EndExchange(ExchangeState::Monitor, text::WriteFailed);
        } else if (identifyStep_ == IdentifyWriteLastStep) {
            host_.ShowWrittenIdentifiers();
            EndExchange(ExchangeState::Monitor, text::WriteDone);
        }
        break;
    case ExchangeState::ConfigurationRead:
        if (!accepted) {
            EndExchange(ExchangeState::Monitor, text::ReadFailed);
        } else if (configurationStep_ == ConfigurationReadLastStep) {
            host_.ShowConfiguration();
            state_ = ExchangeState::Monitor;
        }
        break;
    case ExchangeState::ConfigurationWrite: {
        if (!accepted) {
            EndExchange(ExchangeState::Monitor, text::WriteFailed);
            break;
        }
        // The write goes on while the step table has a further step for it.
        const int step = configurationStep_;
        if (NextConfigurationStep(step, writeGroups_) == step) {
            host_.ShowWrittenConfiguration(writeGroups_);
            EndExchange(ExchangeState::Monitor, text::WriteDone);
        }
        break;
    }
    case ExchangeState::CalibrationRead:
        // A reply that passes its CRC but is too short to fill the window's row is a failed
        // read all the same: the technician must not take an empty row for values read.
        if (accepted && host_.ShowCalibrationValues())
            state_ = ExchangeState::Idle;
        else
            EndExchange(ExchangeState::Idle, text::ReadFailed);
        break;
    case ExchangeState::CalibrationWrite:
        EndExchange(ExchangeState::Idle, accepted ? text::WriteDone : text::WriteFailed);
        break;
    default:
        break;
    }
}

void ExchangeMachine::SetControlsAndTimers(bool enabled, ControlsMode mode)
{
    host_.SetInputControlsEnabled(enabled);
    const bool e = enabled;
    bool timer1 = false, timer2 = false, timer3 = false;
    switch (mode) {
    case ControlsMode::BackToMonitoring:
        timer1 = e, timer2 = !e, timer3 = !e;
        break;
    case ControlsMode::IdentifyExchange:
        timer1 = e, timer2 = !e, timer3 = e;
        monitorStep_ = 0;
        break;
    case ControlsMode::ConfigurationExchange:
        timer1 = e, timer2 = e, timer3 = !e;
        monitorStep_ = 0;
        break;
    case ControlsMode::VersionCheck:
        timer1 = !e, timer2 = e, timer3 = e;
        break;
    case ControlsMode::PortFailed:
        timer1 = !e, timer2 = !e, timer3 = !e;
        break;
    }
    host_.SetTimerEnabled(MainTimer::Timer1, timer1);
    host_.SetTimerEnabled(MainTimer::Timer2, timer2);
    host_.SetTimerEnabled(MainTimer::Timer3, timer3);
}

void ExchangeMachine::ShowLinkStatus(Lamp lamp, int textNumber)
{
    host_.PaintLinkStatus(lamp, textNumber);
    statusTextNumber_ = textNumber;
}

void ExchangeMachine::SelectPort(int listIndex)
{
    const int current = port_.CommPort();
    // The port in use is only reopened while its version has not been accepted.
    if (listIndex == current - 1 && state_ != ExchangeState::CheckOperatingVersion)
        return;
    try {
        if (port_.IsOpen()) {
            host_.SetTimerEnabled(MainTimer::Timer1, false);
            port_.Close();
            state_ = ExchangeState::CheckOperatingVersion;
        }
        port_.SetCommPort(listIndex + 1);
        port_.SetSettings(LineSettings);
        port_.Open();
        monitorStep_ = 0;
        repliesMissed_ = 0;
        devicesLostSeen_ = port_.DevicesLost();
        ShowLinkStatus(Lamp::Good, text::PortOpened);
        SetControlsAndTimers(false, ControlsMode::VersionCheck);
        host_.ReadingsStartOver();
    } catch (const PortError &) {
        // What was done before the failure stays done: a closed previous port stays closed.
        ShowLinkStatus(Lamp::Bad, text::NoLink);
        SetControlsAndTimers(true, ControlsMode::PortFailed);
        host_.ShowMessage(text::PortOpenFailed);
    }
}

} // namespace pv
