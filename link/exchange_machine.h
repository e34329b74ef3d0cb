#pragma once
// Drives every conversation with the inverter from three step timers: the monitor cycle with
// the operating-version check, the identify exchange, the configuration exchange, the
// calibration exchanges on their own window's timer, the reply dispatcher and the port
// selection. The exchanges other than the monitor cycle run the step table of their subsystem
// (exchange_table.h); what happened is told as outcomes (exchange_events.h).

#include "codec.h"
#include "exchange_events.h"
#include "exchange_table.h"
#include "serial_port.h"
#include "value_store.h"

#include <optional>
#include <string_view>

namespace pv {

// "CheckOperatingVersion", "Monitor", "Prepare Identify Read", ..., "" while the calibration
// window is open.
std::string_view ExchangeStateText(ExchangeState state);

inline constexpr int MonitorIntervalMs = 350;
// One monitor cycle: a request and a reply for each of the three blocks, one per tick.
inline constexpr int MonitorCycleTicks = 6;
inline constexpr int ReadStepIntervalMs = 500;
inline constexpr int WriteStepIntervalMs = 2000;

// Which timers run and whether intents are allowed; the values are the design's mode numbers.
enum class ControlsMode {
    BackToMonitoring = 1,      // intents allowed; only the monitor timer
    IdentifyExchange = 2,      // locked; only the identify timer
    ConfigurationExchange = 3, // locked; only the configuration timer
    VersionCheck = 4,          // locked; only the monitor timer, after a port was opened
    PortFailed = 5,            // intents allowed; no timer, after a port failed to open
};

enum class VersionVerdict { Refused = 1, Accepted = 2 };

// Rates an 8-character operating version text; nothing for a shorter text (no verdict yet).
std::optional<VersionVerdict> ClassifyOperatingVersion(std::string_view version);

class ExchangeMachine : private WriteAcknowledge
{
public:
    ExchangeMachine(SerialPort &port, ValueStore &store, ExchangeEvents &events,
                    ExchangeTimers &timers);
    ~ExchangeMachine() override;

    // Timer ticks.
    void MonitorExchangeStep();
    void IdentifyExchangeStep();
    void ConfigurationExchangeStep();
    // One tick of the calibration window's own timer. Outside the two calibration states it
    // does nothing.
    void CalibrationExchangeStep();

    // Port list click: listIndex 0 selects COM1.
    void SelectPort(int listIndex);

    // An identify or configuration exchange asked for (prepared: one of the four Prepare
    // states), with its table bound to the plan. Intents lock at once and the exchange's timer
    // gets its interval; the next monitor tick finishes its own step and hands over.
    void Prepare(ExchangeState prepared, ExchangeRun run);
    // The next monitor tick stops monitoring and says CalibrationDue; intents lock at once.
    void OpenCalibrationOnNextTick();
    // A calibration exchange (CalibrationRead or CalibrationWrite); each ends in
    // CalibrationWindowOpen again.
    void BeginCalibration(ExchangeState exchange, ExchangeRun run);
    // Monitoring from its first step with intents allowed, as after the calibration window has
    // closed.
    void ResumeMonitoring();
    // The link starts over: the next port opened has its firmware version rated first.
    void AwaitVersionCheck();

    void HandleReply(ByteView reply, const RequestInfo &request);
    void SetControlsAndTimers(ControlsMode mode);

    ExchangeState State() const { return state_; }
    LinkStatus Status() const { return status_; }
    int MonitorStep() const { return monitorStep_; }
    // The step of the identify, configuration or calibration exchange being run, its channel,
    // and the table it runs.
    int Step() const { return step_; }
    const Channel &MonitorChannel() const { return monitor_; }
    const Channel &ExchangeChannel() const { return exchange_; }
    const ExchangeRun &Run() const { return run_; }

private:
    SerialPort &port_;
    ValueStore &store_;
    ExchangeEvents &events_;
    ExchangeTimers &timers_;
    ExchangeState state_ = ExchangeState::CheckOperatingVersion;
    LinkStatus status_ = LinkStatus::NoLink;
    int monitorStep_ = 0;
    int step_ = 0;
    ExchangeRun run_;
    Channel monitor_, exchange_;
    // A request that never left leaves nothing to take: its reply step sees an empty reply.
    bool sendFailed_ = false;
    // Reply steps of the monitor cycle in a row without an accepted reply, and the port's count
    // of devices lost when it was last looked at: either tells that the link was lost.
    int repliesMissed_ = 0;
    std::uint64_t devicesLostSeen_ = 0;

    void ApplyWriteAcknowledge(ByteView reply, RegisterImage &image) override;
    void DiscardReceived();
    bool Send(const Channel &channel);
    Bytes TakeReceived();
    void TakeReply();
    // One step of the running table: build, discard what the port holds, send; or take the
    // reply and hand it on.
    void RunStep(ExchangeTimer timer, ExchangeState read, ExchangeState write);
    void ExchangeStep(const StepFacts &facts);
    void HandOverIfPrepared();
    void HandBackIfMonitoring();
    // The link was lost while monitoring: the version check starts over.
    void CheckVersionAgain();
    void RateOperatingVersion();
    void DispatchMonitorReply(bool accepted);
    void DispatchExchangeReply(bool accepted);
    void ShowLinkStatus(LinkStatus status);
};

} // namespace pv
