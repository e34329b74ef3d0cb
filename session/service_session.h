#pragma once
// A service session with one inverter, without windows: the port, the exchange machine and its
// three step timers, the register image and values, and the line recorder. Front ends (the main
// window, and later a command line, a service record or a publisher) give it intents and hear
// its outcomes as signals; none of them copies exchange logic, and the session needs nothing
// of any of them.

#include "calibration/calibration_frames.h"
#include "link/exchange_machine.h"
#include "link/line_recorder.h"
#include "link/value_store.h"
#include "session/exchange_outcome.h"
#include "settings/configuration.h"
#include "settings/identifiers.h"

#include <QObject>

#include <array>
#include <memory>
#include <optional>

class QTimer;

namespace pv {

class ServiceSession : public QObject
{
    Q_OBJECT
public:
    // Over a port handed in, which must outlive the session.
    explicit ServiceSession(SerialPort &port, QObject *parent = nullptr);
    // Over a port the session owns.
    explicit ServiceSession(std::unique_ptr<SerialPort> port, QObject *parent = nullptr);
    ~ServiceSession() override;

    // Intents. Every exchange but the calibration ones waits for the next monitor tick to take
    // over; intents are locked (IntentsAllowed(false)) from the moment one is given.
    // listIndex 0 is COM1.
    void ChoosePort(int listIndex);
    void ReadIdentifiers();
    void WriteIdentifiers(const IdentifyWriteValues &values);
    void ReadConfiguration();
    // The write carries the groups ticked when it was asked for; those are the groups of the
    // whole write.
    void WriteConfiguration(const ConfigurationWrite &write);
    // The next monitor tick stops monitoring and says CalibrationDue; the calibration
    // exchanges run on the calibration window's timer (CalibrationTick) until ResumeMonitoring.
    void OpenCalibration();
    void ReadCalibration(const CalibrationPlan &plan);
    void WriteCalibration(const CalibrationPlan &plan);
    void WriteCalibrationOffset(const CalibrationPlan &plan);
    void ResumeMonitoring();

    // The step timers' slots, for a test that ticks them by hand; the timers call them too.
    void MonitorTick();
    void IdentifyTick();
    void ConfigurationTick();
    void CalibrationTick();
    QTimer *Timer(ExchangeTimer timer) const;

    const SerialPort &Port() const { return port_; }
    const ExchangeMachine &Machine() const { return machine_; }
    ExchangeState State() const { return machine_.State(); }
    const ValueStore &Store() const { return store_; }
    const InverterData &Data() const { return store_.Data(); }
    LineRecorder &Line() { return line_; }
    const LineRecorder &Line() const { return line_; }
    // The groups of the configuration write asked for last.
    const WriteGroups &ConfigurationWriteGroups() const { return writeGroups_; }
    // The writes asked for last, as they passed their checks (what a failed write attempted).
    const std::optional<IdentifyWriteValues> &IdentifyWriteAsked() const { return identifyWrite_; }
    const std::optional<ConfigurationWrite> &ConfigurationWriteAsked() const
    {
        return configurationWrite_;
    }
    // The port list index chosen last (0 is COM1); nothing before the first choice.
    std::optional<int> ChosenPort() const { return chosenPort_; }
    // The reply of the last calibration read that filled the Read Setting Data row.
    const Bytes &CalibrationReply() const { return machine_.ExchangeChannel().reply; }
    // The request the calibration exchange sent last (CRC included).
    const Bytes &CalibrationRequest() const { return machine_.ExchangeChannel().request; }

signals:
    void IntentsAllowed(bool allowed);
    void LinkStatusShown(pv::LinkStatus status);
    // After every monitor tick: the readings may have changed.
    void MonitorTicked();
    void ReplyFiled(const pv::RequestInfo &request);
    void ReadingsStartOver();
    void ReadDone(pv::ExchangeState exchange);
    void WrittenValuesFiled(pv::ExchangeState exchange);
    void ReadFailed(pv::ExchangeState exchange);
    void WriteDone(pv::ExchangeState exchange);
    void WriteFailed(pv::ExchangeState exchange);
    void RequestRefused(pv::ExchangeState exchange);
    void FirmwareRefused();
    void PortFailed();
    void CalibrationDue();

private:
    class Relay;

    std::unique_ptr<SerialPort> ownedPort_;
    SerialPort &port_;
    std::unique_ptr<Relay> relay_;
    std::array<QTimer *, 3> timers_{};
    ValueStore store_;
    // Every request and take of the machine goes through linePort_ to the port and is recorded.
    LineRecorder line_;
    RecordingPort linePort_;
    ExchangeMachine machine_;
    WriteGroups writeGroups_{};
    std::optional<IdentifyWriteValues> identifyWrite_;
    std::optional<ConfigurationWrite> configurationWrite_;
    std::optional<int> chosenPort_;
};

} // namespace pv
