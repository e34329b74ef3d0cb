#pragma once
// Drives every conversation with the inverter from the main window's timers: the monitor cycle
// with the operating-version check (Timer1), the identify exchange (Timer2), the configuration
// exchange (Timer3), the reply dispatcher and the port selection.

#include "codec.h"
#include "exchange_host.h"
#include "serial_port.h"
#include "value_store.h"

#include <array>
#include <functional>
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
// One monitor cycle: a request and a reply for each of the three blocks, one per Timer1 tick.
inline constexpr int MonitorCycleTicks = 6;
inline constexpr int ReadStepIntervalMs = 500;
inline constexpr int WriteStepIntervalMs = 2000;

// Which timers run and whether the input controls are unlocked; the values are the design's
// mode numbers.
enum class ControlsMode {
    BackToMonitoring = 1,      // (true): only Timer1
    IdentifyExchange = 2,      // (false): only Timer2
    ConfigurationExchange = 3, // (false): only Timer3
    VersionCheck = 4,          // (false): only Timer1, after a port was opened
    PortFailed = 5,            // (true): no timer, after a port failed to open
};

enum class VersionVerdict { Refused = 1, Accepted = 2 };

// Rates an 8-character operating version text; nothing for a shorter text (no verdict yet).
std::optional<VersionVerdict> ClassifyOperatingVersion(std::string_view version);

// Check1(0..3) of the configuration panel: sleep power, rated power, country, retry time.
using WriteGroups = std::array<bool, 4>;

// Step successors: the monitor cycle reads 0xC020, 0xC0B0, 0xC080 (0 -> 1 -> 4 -> 5 -> 2 -> 3).
int NextMonitorStep(int step);
int NextIdentifyStep(int step);
// After a write reply the configuration exchange moves to the first step of the next ticked
// group; a step that is its own successor ends the exchange.
int NextConfigurationStep(int step, const WriteGroups &ticked);
// The first step of a configuration write: that of the first ticked group (12 with none).
int FirstConfigurationWriteStep(const WriteGroups &ticked);

// Builds the request of a send step into channel.request; a build that fails leaves it empty.
using BuildRequest = std::function<void(int step, Channel &channel)>;

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

    // What the panels ask for. Each Prepare locks the input controls at once and sets its
    // timer's interval and first step; the next Timer1 tick finishes its own monitor step and
    // hands the exchange over.
    void PrepareIdentifyRead();
    void PrepareIdentifyWrite();
    void PrepareConfigurationRead();
    // Starts at the first ticked write group of the configuration panel. The groups ticked now
    // are the groups of the whole write, whatever the boxes show later.
    void PrepareConfigurationWrite();
    // The next Timer1 tick stops monitoring and opens the calibration window; the input
    // controls lock at once.
    void OpenCalibrationOnNextTick();
    // The calibration window's exchanges; each ends in the empty state again.
    void BeginCalibrationRead();
    void BeginCalibrationWrite();
    // One tick of the calibration window's own timer, on the channel that window owns. Send
    // steps (0, 2, 4) build through `build`, clear what the port holds and send; a request that
    // cannot be built is not sent and ends the exchange with text 132. Reply steps (1, 3, 5)
    // take the reply and hand it to HandleReply. Other steps, and any tick outside the two
    // calibration states, do nothing.
    void CalibrationExchangeStep(int step, Channel &channel, const BuildRequest &build);
    // Monitoring from step 0 with the controls unlocked, as after the calibration window has
    // closed.
    void ResumeMonitoring();
    // The link starts over: the next port opened has its firmware version rated first.
    void AwaitVersionCheck();

    void HandleReply(ByteView reply, const RequestInfo &request);
    void SetControlsAndTimers(bool enabled, ControlsMode mode);
    void ShowLinkStatus(Lamp lamp, int textNumber);

    ExchangeState State() const { return state_; }
    int MonitorStep() const { return monitorStep_; }
    int IdentifyStep() const { return identifyStep_; }
    int ConfigurationStep() const { return configurationStep_; }
    int StatusTextNumber() const { return statusTextNumber_; }
    // The write groups of the configuration write asked for last.
    const WriteGroups &ConfigurationWriteGroups() const { return writeGroups_; }

    const Channel &MonitorChannel() const { return monitor_; }
    const Channel &IdentifyChannel() const { return identify_; }
    const Channel &ConfigurationChannel() const { return configuration_; }
    // The calibration window's step being run, and what its last request asked for.
    int CalibrationStep() const { return calibrationStep_; }
    const RequestInfo &CalibrationRequest() const { return calibrationSent_; }

private:
    SerialPort &port_;
    ValueStore &store_;
    ExchangeHost &host_;
    ExchangeState state_ = ExchangeState::CheckOperatingVersion;
    int monitorStep_ = 0;
    int identifyStep_ = 0;
    int configurationStep_ = 0;
    int statusTextNumber_;
    Channel monitor_, identify_, configuration_;
    // A request that never left leaves nothing to take: its reply step sees an empty reply.
    bool identifySendFailed_ = false;
    bool configurationSendFailed_ = false;
    bool calibrationSendFailed_ = false;
    int calibrationStep_ = 0;
    RequestInfo calibrationSent_;
    WriteGroups writeGroups_{};
    // Reply steps of the monitor cycle in a row without an accepted reply, and the port's count
    // of devices lost when it was last looked at: either tells that the link was lost.
    int repliesMissed_ = 0;
    std::uint64_t devicesLostSeen_ = 0;

    void DiscardReceived();
    bool Send(const Channel &channel);
    Bytes TakeReceived();
    void TakeReply(Channel &channel, bool &sendFailed);
    // One step of the identify, configuration or calibration table: build, discard what the
    // port holds, send; or take the reply and hand it on.
    void ExchangeStep(int step, Channel &channel, bool &sendFailed, const BuildRequest &build);
    void HandBackIfMonitoring();
    // The link was lost while monitoring: the version check starts over.
    void CheckVersionAgain();
    void RateOperatingVersion();
    void EndExchange(ExchangeState state, int messageNumber);
    void Prepare(ExchangeState state, MainTimer timer, int intervalMs, int &step, int firstStep);
};

} // namespace pv
