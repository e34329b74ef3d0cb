#include "command_run.h"

#include "language/language_table.h"
#include "link/text_numbers.h"
#include "monitor/recording_csv.h"
#include "platform/port_names.h"
#include "session/exchange_outcome.h"

#include <QDateTime>

#include <utility>

namespace pv::cli {

CommandRun::CommandRun(const Services &services) : services_(services)
{
    ServiceSession *s = &services_.session;
    connect(s, &ServiceSession::IntentsAllowed, this, &CommandRun::OnIntentsAllowed);
    connect(s, &ServiceSession::MonitorTicked, this, &CommandRun::OnMonitorTicked);
    connect(s, &ServiceSession::LinkStatusShown, this,
            [this](LinkStatus status) { lastStatus_ = status; });
    connect(s, &ServiceSession::ReplyFiled, this, [this](const RequestInfo &request) {
        if (IsReadingsReply(request))
            ReadingAccepted(age_.Accepted(QDateTime::currentMSecsSinceEpoch()));
    });
    connect(s, &ServiceSession::ReadingsStartOver, this, [this] { age_.Restart(); });
    connect(s, &ServiceSession::PortFailed, this, &CommandRun::OnPortFailed);
    // The messages the window shows for the same outcomes.
    connect(s, &ServiceSession::FirmwareRefused, this, [this] {
        Fail(ExitCode::FirmwareRefused, OutcomeTextNumber(ExchangeOutcome::FirmwareRefused));
    });
    connect(s, &ServiceSession::ReadFailed, this,
            [this] { Fail(ExitCode::NoAnswer, OutcomeTextNumber(ExchangeOutcome::ReadFailed)); });
    connect(s, &ServiceSession::WriteFailed, this, [this] {
        Fail(ExitCode::WriteNotAcknowledged, OutcomeTextNumber(ExchangeOutcome::WriteFailed));
    });
    connect(s, &ServiceSession::RequestRefused, this,
            [this] { Fail(ExitCode::NoAnswer, text::EntryRefused); });
}

CommandRun::~CommandRun() = default;

void CommandRun::Start(int portNumber)
{
    portNumber_ = portNumber;
    services_.session.ChoosePort(portNumber - 1);
}

void CommandRun::Interrupt()
{
    if (ended_)
        return;
    Out().FailUntranslated(ExitCode::NotDone, "ended by a signal before the command was done");
    End();
}

QString CommandRun::Text(int number) const
{
    return services_.texts.Text(number);
}

QString CommandRun::Reason(const ConfigurationProblem &problem) const
{
    const auto utf8 = [](const std::string &text) { return QString::fromStdString(text); };
    return Substitute(
        Text(ConfigurationFaultText(problem.fault)),
        {utf8(problem.key), utf8(problem.value), utf8(problem.first), utf8(problem.second)});
}

void CommandRun::End()
{
    if (ended_)
        return;
    ended_ = true;
    // Whatever the session says from now on is no part of this command's outcome.
    disconnect(&services_.session, nullptr, this, nullptr);
    emit Finished();
}

void CommandRun::Fail(ExitCode code, int number, const QString &text)
{
    if (ended_)
        return;
    Out().Fail(code, number, text.isEmpty() ? Text(number) : text);
    End();
}

void CommandRun::GiveIntent(std::function<void()> intent)
{
    intent_ = std::move(intent);
    PostIntent();
}

void CommandRun::PostIntent()
{
    // Given once the tick that allowed it has returned, as a technician's click comes between
    // ticks: the next monitor tick hands over, as it does for the window.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (ended_ || !allowed_ || !intent_)
                return;
            std::exchange(intent_, {})();
        },
        Qt::QueuedConnection);
}

void CommandRun::OnIntentsAllowed(bool allowed)
{
    allowed_ = allowed && services_.session.State() == ExchangeState::Monitor;
    if (!allowed_ || ended_)
        return;
    if (!linked_) {
        linked_ = true;
        if (WaitsForLink())
            intent_ = [this] { Linked(); };
    }
    if (intent_)
        PostIntent();
}

void CommandRun::OnMonitorTicked()
{
    age_.TickEnded();
    if (linked_ || ended_ || !WaitsForLink())
        return;
    if (age_.Stale())
        Fail(ExitCode::NoAnswer, text::NoReply);
    else if (++checkTicks_ >= VersionCheckTicks)
        Fail(ExitCode::NoAnswer, lastStatus_ == LinkStatus::VersionUnreadable
                                     ? text::VersionUnreadable
                                     : text::NoReply);
}

void CommandRun::OnPortFailed()
{
    // The window says text 130 beside its port list; here the device tried is named with it.
    const std::string device = DevicePathForPort(portNumber_, services_.linkFolders);
    Fail(ExitCode::NoPort, text::PortOpenFailed,
         Text(text::PortOpenFailed)
             + QStringLiteral(" (%1: %2)")
                   .arg(QString::fromStdString(PortName(portNumber_)),
                        QString::fromStdString(device)));
}

} // namespace pv::cli
