#pragma once
// Drives every conversation with the inverter from the main window's timers: the monitor cycle
// with the operating-version check (Timer1), the identify exchange (Timer2), the configuration
// exchange (Timer3), the reply dispatcher and the port selection.

#include "codec.h"
#include "exchange_host.h"
#include "serial_port.h"
#include "value_store.h"

#include <array>
#include <optional>
#include <string_view>

namespace pv {

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
    Idle, // the empty text: the calibration window is (about to be) open
};

// "CheckOperatingVersion", "Monitor", "Prepare Identify Read", ..., "" for Idle.
std::string_view ExchangeStateText(ExchangeState state);

inline constexpr int MonitorIntervalMs = 350;
inline constexpr int ReadStepIntervalMs = 500;
inline constexpr int WriteStepIntervalMs = 2000;

enum class VersionVerdict { Refused = 1, Accepted = 2 };

// Rates an 8-character operating version text; nothing for a shorter text (no verdict yet).
std::optional<VersionVerdict> ClassifyOperatingVersion(std::string_view version);

// Step successors: the monitor cycle reads 0xC020, 0xC0B0, 0xC080 (0 -> 1 -> 4 -> 5 -> 2 -> 3).
int NextMonitorStep(int step);
int NextIdentifyStep(int step);
// ticked[i] is Check1(i) of the configuration panel.
int NextConfigurationStep(int step, const std::array<bool, 4> &ticked);

class ExchangeMachine
{
public:
    ExchangeMachine(SerialPort &port, ValueStore &store, ExchangeHost &host);

    // Timer ticks.
    void MonitorExchangeStep();       // Timer1; the window refreshes the readings after it
    void IdentifyExchangeStep();      // Timer2
    void ConfigurationExchangeStep(); // Timer3

    // Port list click: listIndex 0 selects COM1.
    void SelectPort(int listIndex);

    void HandleReply(ByteView reply, const RequestInfo &request);
    void SetControlsAndTimers(bool enabled, int mode);
    void ShowLinkStatus(Lamp lamp, int textNumber);

    ExchangeState State() const { return state_; }
    void SetState(ExchangeState state) { state_ = state; }
    int MonitorStep() const { return monitorStep_; }
    void SetMonitorStep(int step) { monitorStep_ = step; }
    int IdentifyStep() const { return identifyStep_; }
    void SetIdentifyStep(int step) { identifyStep_ = step; }
    int ConfigurationStep() const { return configurationStep_; }
    void SetConfigurationStep(int step) { configurationStep_ = step; }
    int StatusTextNumber() const { return statusTextNumber_; }
    void SetStatusTextNumber(int number) { statusTextNumber_ = number; }

    const Channel &MonitorChannel() const { return monitor_; }
    const Channel &IdentifyChannel() const { return identify_; }
    const Channel &ConfigurationChannel() const { return configuration_; }

    ValueStore &Store() { return store_; }
    SerialPort &Port() { return port_; }

private:
    SerialPort &port_;
    ValueStore &store_;
    ExchangeHost &host_;
    ExchangeState state_ = ExchangeState::CheckOperatingVersion;
    int monitorStep_ = 0;
    int identifyStep_ = 0;
    int configurationStep_ = 0;
    int statusTextNumber_ = 121;
    Channel monitor_, identify_, configuration_;
    // A request that never left leaves nothing to take: its reply step sees an empty reply.
    bool identifySendFailed_ = false;
    bool configurationSendFailed_ = false;

    void DiscardReceived();
    bool Send(const Channel &channel);
    Bytes TakeReceived();
    void TakeReply(Channel &channel, bool &sendFailed);
    // One step of the identify or configuration table: build, discard if asked, send; or take
    // the reply and hand it on.
    void ExchangeStep(int step, Channel &channel, bool &sendFailed, bool discardFirst,
                      void (ExchangeHost::*build)(int, Channel &));
    void HandBackIfMonitoring();
    void RateOperatingVersion();
    void EndExchange(ExchangeState state, int messageNumber);
};

} // namespace pv
