#include "service_session.h"

#include <QTimer>

namespace pv {

// The machine's outcomes and timer wishes, told on as the session's signals and carried out on
// its timers. Every connection is direct: an outcome shown modally holds the tick that told it.
class ServiceSession::Relay : public ExchangeEvents, public ExchangeTimers
{
public:
    explicit Relay(ServiceSession &session) : s_(session) {}

    void IntentsAllowed(bool allowed) override { emit s_.IntentsAllowed(allowed); }
    void LinkStatusShown(LinkStatus status) override { emit s_.LinkStatusShown(status); }
    void ReadDone(ExchangeState exchange) override { emit s_.ReadDone(exchange); }
    void WrittenValuesFiled(ExchangeState exchange) override
    {
        emit s_.WrittenValuesFiled(exchange);
    }
    void ReadFailed(ExchangeState exchange) override { emit s_.ReadFailed(exchange); }
    void WriteDone(ExchangeState exchange) override { emit s_.WriteDone(exchange); }
    void WriteFailed(ExchangeState exchange) override { emit s_.WriteFailed(exchange); }
    void RequestRefused(ExchangeState exchange) override { emit s_.RequestRefused(exchange); }
    void FirmwareRefused() override { emit s_.FirmwareRefused(); }
    void PortFailed() override { emit s_.PortFailed(); }
    void CalibrationDue() override { emit s_.CalibrationDue(); }
    void ReplyFiled(const RequestInfo &request) override { emit s_.ReplyFiled(request); }
    void ReadingsStartOver() override { emit s_.ReadingsStartOver(); }

    void SetTimerEnabled(ExchangeTimer timer, bool enabled) override
    {
        QTimer *t = s_.Timer(timer);
        // Enabling a running timer leaves its count as it is.
        if (enabled && !t->isActive())
            t->start();
        else if (!enabled)
            t->stop();
    }
    void SetTimerInterval(ExchangeTimer timer, int milliseconds) override
    {
        s_.Timer(timer)->setInterval(milliseconds);
    }

private:
    ServiceSession &s_;
};

namespace {

QTimer *MakeTimer(QObject *parent, const char *name, int milliseconds)
{
    auto *timer = new QTimer(parent);
    timer->setObjectName(QLatin1String(name));
    timer->setInterval(milliseconds);
    return timer;
}

} // namespace

ServiceSession::ServiceSession(std::unique_ptr<SerialPort> port, QObject *parent)
    : ServiceSession(*port, parent)
{
    ownedPort_ = std::move(port);
}

ServiceSession::ServiceSession(SerialPort &port, QObject *parent)
    : QObject(parent), port_(port), relay_(std::make_unique<Relay>(*this)),
      // All three stopped: nothing runs until a port is chosen. They keep the design's names.
      timers_{MakeTimer(this, "Timer1", MonitorIntervalMs),
              MakeTimer(this, "Timer2", WriteStepIntervalMs),
              MakeTimer(this, "Timer3", WriteStepIntervalMs)},
      linePort_(port, line_), machine_(linePort_, store_, *relay_, *relay_)
{
    linePort_.SetContext([this] { return LineContextOf(machine_); });
    connect(timers_[0], &QTimer::timeout, this, &ServiceSession::MonitorTick);
    connect(timers_[1], &QTimer::timeout, this, &ServiceSession::IdentifyTick);
    connect(timers_[2], &QTimer::timeout, this, &ServiceSession::ConfigurationTick);
}

ServiceSession::~ServiceSession() = default;

QTimer *ServiceSession::Timer(ExchangeTimer timer) const
{
    return timers_.at(static_cast<std::size_t>(timer) - 1);
}

void ServiceSession::ChoosePort(int listIndex)
{
    chosenPort_ = listIndex;
    machine_.SelectPort(listIndex);
}

void ServiceSession::ReadIdentifiers()
{
    machine_.Prepare(ExchangeState::PrepareIdentifyRead, IdentifyRun(std::nullopt));
}

void ServiceSession::WriteIdentifiers(const IdentifyWriteValues &values)
{
    identifyWrite_ = values;
    machine_.Prepare(ExchangeState::PrepareIdentifyWrite, IdentifyRun(values));
}

void ServiceSession::ReadConfiguration()
{
    machine_.Prepare(ExchangeState::PrepareConfigurationRead, ConfigurationRun(std::nullopt));
}

void ServiceSession::WriteConfiguration(const ConfigurationWrite &write)
{
    writeGroups_ = write.groups;
    configurationWrite_ = write;
    machine_.Prepare(ExchangeState::PrepareConfigurationWrite, ConfigurationRun(write));
}

void ServiceSession::OpenCalibration()
{
    machine_.OpenCalibrationOnNextTick();
}

void ServiceSession::ReadCalibration(const CalibrationPlan &plan)
{
    machine_.BeginCalibration(ExchangeState::CalibrationRead,
                              CalibrationRun(plan, CalibrationReadStart));
}

void ServiceSession::WriteCalibration(const CalibrationPlan &plan)
{
    machine_.BeginCalibration(ExchangeState::CalibrationWrite,
                              CalibrationRun(plan, CalibrationWriteStart));
}

void ServiceSession::WriteCalibrationOffset(const CalibrationPlan &plan)
{
    machine_.BeginCalibration(ExchangeState::CalibrationWrite,
                              CalibrationRun(plan, OffsetWriteStart));
}

void ServiceSession::ResumeMonitoring()
{
    machine_.ResumeMonitoring();
}

void ServiceSession::MonitorTick()
{
    machine_.MonitorExchangeStep();
    emit MonitorTicked();
}

void ServiceSession::IdentifyTick()
{
    machine_.IdentifyExchangeStep();
}

void ServiceSession::ConfigurationTick()
{
    machine_.ConfigurationExchangeStep();
}

void ServiceSession::CalibrationTick()
{
    machine_.CalibrationExchangeStep();
}

} // namespace pv
