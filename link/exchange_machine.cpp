// The intents, the timer ticks and the port: what each tick sends and takes, and when an
// exchange takes over from the monitor cycle and hands back to it.

#include "exchange_machine.h"

#include "monitor_cycle.h"

namespace pv {

ExchangeMachine::ExchangeMachine(SerialPort &port, ValueStore &store, ExchangeEvents &events,
                                 ExchangeTimers &timers)
    : port_(port), store_(store), events_(events), timers_(timers)
{
    store_.SetWriteAcknowledge(this);
}

ExchangeMachine::~ExchangeMachine()
{
    store_.SetWriteAcknowledge(nullptr);
}

void ExchangeMachine::Prepare(ExchangeState prepared, ExchangeRun run)
{
    const bool identify = prepared == ExchangeState::PrepareIdentifyRead
                          || prepared == ExchangeState::PrepareIdentifyWrite;
    // Locked at the click, not at the hand-over up to one monitor interval later: a click in
    // between would change the write under way or drop it without a word.
    events_.IntentsAllowed(false);
    timers_.SetTimerInterval(identify ? ExchangeTimer::Identify : ExchangeTimer::Configuration,
                             run.StartIntervalMs());
    run_ = std::move(run);
    step_ = run_.FirstStep();
    state_ = prepared;
}

void ExchangeMachine::OpenCalibrationOnNextTick()
{
    events_.IntentsAllowed(false); // as for the panels' exchanges
    state_ = ExchangeState::CalibrationWindowOpen;
}

void ExchangeMachine::BeginCalibration(ExchangeState exchange, ExchangeRun run)
{
    run_ = std::move(run);
    step_ = run_.FirstStep();
    state_ = exchange;
}

void ExchangeMachine::ResumeMonitoring()
{
    state_ = ExchangeState::Monitor;
    monitorStep_ = monitor_cycle::FirstStep;
    repliesMissed_ = 0;
    events_.IntentsAllowed(true);
    timers_.SetTimerEnabled(ExchangeTimer::Monitor, true);
    events_.ReadingsStartOver();
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
    const monitor_cycle::MonitorRow *row = monitor_cycle::Find(monitorStep_);
    if (row != nullptr && row->sends) {
        BuildMonitorRequest(monitorStep_, monitor_);
        try {
            DiscardReceived();
        } catch (const PortError &) {
        }
        Send(monitor_);
    } else if (row != nullptr) {
        monitor_.reply = TakeReceived();
        try {
            HandleReply(monitor_.reply, monitor_.sent);
        } catch (const PortError &) {
            // A port that fails while the reply is being shown ends that reply, not the cycle.
        }
    }
    monitorStep_ = monitor_cycle::Next(monitorStep_);
    // A whole cycle without an accepted reply: the lead may have been moved to another unit.
    if (state_ == ExchangeState::Monitor && repliesMissed_ >= MonitorCycleTicks / 2)
        CheckVersionAgain();
    HandOverIfPrepared();
}

void ExchangeMachine::HandOverIfPrepared()
{
    // Hand-overs happen only between monitor exchanges: this tick's own send or take is done,
    // and the stale reply of a request sent now is discarded by the next exchange's first send.
    switch (state_) {
    case ExchangeState::PrepareIdentifyWrite:
        state_ = ExchangeState::IdentifyWrite;
        SetControlsAndTimers(ControlsMode::IdentifyExchange);
        break;
    case ExchangeState::PrepareIdentifyRead:
        state_ = ExchangeState::IdentifyRead;
        SetControlsAndTimers(ControlsMode::IdentifyExchange);
        break;
    case ExchangeState::PrepareConfigurationWrite:
        state_ = ExchangeState::ConfigurationWrite;
        SetControlsAndTimers(ControlsMode::ConfigurationExchange);
        break;
    case ExchangeState::PrepareConfigurationRead:
        state_ = ExchangeState::ConfigurationRead;
        SetControlsAndTimers(ControlsMode::ConfigurationExchange);
        break;
    case ExchangeState::CalibrationWindowOpen:
        timers_.SetTimerEnabled(ExchangeTimer::Monitor, false);
        events_.CalibrationDue();
        break;
    default:
        break;
    }
}

void ExchangeMachine::TakeReply()
{
    // A request that never left the port has no answer; whatever lies in the buffer belongs
    // to an earlier request.
    if (sendFailed_)
        exchange_.reply.clear();
    else
        exchange_.reply = TakeReceived();
    sendFailed_ = false;
    HandleReply(exchange_.reply, exchange_.sent);
}

void ExchangeMachine::CheckVersionAgain()
{
    // As after a port choice: the cycle from its first block, intents locked, and the version
    // rated once all three blocks have arrived. The status keeps what the line shows.
    state_ = ExchangeState::CheckOperatingVersion;
    monitorStep_ = monitor_cycle::FirstStep;
    repliesMissed_ = 0;
    SetControlsAndTimers(ControlsMode::VersionCheck);
    events_.ReadingsStartOver();
}

void ExchangeMachine::HandBackIfMonitoring()
{
    if (state_ == ExchangeState::Monitor) {
        monitorStep_ = monitor_cycle::FirstStep;
        repliesMissed_ = 0;
        SetControlsAndTimers(ControlsMode::BackToMonitoring);
    }
}

void ExchangeMachine::ExchangeStep(const StepFacts &facts)
{
    if (!facts.sends) {
        TakeReply();
        return;
    }
    exchange_.request.clear();
    run_.Build(facts.step, exchange_);
    // A request that could not be built is not sent; its reply step then fails the exchange.
    if (exchange_.request.empty()) {
        sendFailed_ = true;
        return;
    }
    if (facts.discardFirst) {
        try {
            DiscardReceived();
        } catch (const PortError &) {
        }
    }
    sendFailed_ = !Send(exchange_);
}

void ExchangeMachine::RunStep(ExchangeTimer timer, ExchangeState read, ExchangeState write)
{
    // A message box that ends the exchange runs the event loop, and this timer with it, before
    // the tick that showed it hands back to monitoring: an ended exchange sends nothing more.
    if (state_ != read && state_ != write)
        return;
    const StepFacts *facts = run_.Find(step_);
    if (facts == nullptr)
        return;
    // Each write request gets its time for the answer; the next write follows the answer at
    // the read interval. A read runs at the interval its start chose.
    if (facts->intervalMs != KeepInterval)
        timers_.SetTimerInterval(timer, facts->intervalMs);
    const int step = step_;
    ExchangeStep(*facts);
    const int next = run_.Successor(step);
    if (next != NoStep)
        step_ = next;
    HandBackIfMonitoring();
}

void ExchangeMachine::IdentifyExchangeStep()
{
    RunStep(ExchangeTimer::Identify, ExchangeState::IdentifyRead, ExchangeState::IdentifyWrite);
}

void ExchangeMachine::ConfigurationExchangeStep()
{
    RunStep(ExchangeTimer::Configuration, ExchangeState::ConfigurationRead,
            ExchangeState::ConfigurationWrite);
}

void ExchangeMachine::CalibrationExchangeStep()
{
    // The calibration window's timer ticks on while a message box of this exchange is open; an
    // exchange that has ended sends nothing more and shows nothing twice.
    if (state_ != ExchangeState::CalibrationRead && state_ != ExchangeState::CalibrationWrite)
        return;
    const StepFacts *facts = run_.Find(step_);
    if (facts == nullptr)
        return;
    const int step = step_;
    const ExchangeState exchange = state_;
    ExchangeStep(*facts);
    // A request that cannot be made from the window's entries ends the exchange at once.
    if (facts->sends && exchange_.request.empty()) {
        state_ = ExchangeState::CalibrationWindowOpen;
        events_.RequestRefused(exchange);
        return;
    }
    const int next = run_.Successor(step);
    if (next != NoStep)
        step_ = next;
}

void ExchangeMachine::SetControlsAndTimers(ControlsMode mode)
{
    struct Plan
    {
        bool intents, monitor, identify, configuration, restartsCycle;
    };
    static constexpr Plan Plans[] = {
        {true, true, false, false, false},  // BackToMonitoring
        {false, false, true, false, true},  // IdentifyExchange
        {false, false, false, true, true},  // ConfigurationExchange
        {false, true, false, false, false}, // VersionCheck
        {true, false, false, false, false}, // PortFailed
    };
    const Plan &plan = Plans[static_cast<int>(mode) - 1];
    events_.IntentsAllowed(plan.intents);
    if (plan.restartsCycle)
        monitorStep_ = monitor_cycle::FirstStep;
    timers_.SetTimerEnabled(ExchangeTimer::Monitor, plan.monitor);
    timers_.SetTimerEnabled(ExchangeTimer::Identify, plan.identify);
    timers_.SetTimerEnabled(ExchangeTimer::Configuration, plan.configuration);
}

void ExchangeMachine::ShowLinkStatus(LinkStatus status)
{
    status_ = status;
    events_.LinkStatusShown(status);
}

void ExchangeMachine::SelectPort(int listIndex)
{
    const int current = port_.CommPort();
    // The port in use is only reopened while its version has not been accepted.
    if (listIndex == current - 1 && state_ != ExchangeState::CheckOperatingVersion)
        return;
    try {
        if (port_.IsOpen()) {
            timers_.SetTimerEnabled(ExchangeTimer::Monitor, false);
            port_.Close();
            state_ = ExchangeState::CheckOperatingVersion;
        }
        port_.SetCommPort(listIndex + 1);
        port_.SetSettings(LineSettings);
        port_.Open();
        monitorStep_ = monitor_cycle::FirstStep;
        repliesMissed_ = 0;
        devicesLostSeen_ = port_.DevicesLost();
        ShowLinkStatus(LinkStatus::PortOpened);
        SetControlsAndTimers(ControlsMode::VersionCheck);
        events_.ReadingsStartOver();
    } catch (const PortError &) {
        // What was done before the failure stays done: a closed previous port stays closed.
        ShowLinkStatus(LinkStatus::NoLink);
        SetControlsAndTimers(ControlsMode::PortFailed);
        events_.PortFailed();
    }
}

} // namespace pv
