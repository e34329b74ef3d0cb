// The main window as a client of the service session: each outcome in the window's own texts,
// lamp, message boxes and panels.

#include "form1.h"

#include "link/text_numbers.h"

namespace pv {

namespace {

struct StatusLook
{
    Lamp lamp;
    int textNumber;
};

StatusLook LookOf(LinkStatus status)
{
    switch (status) {
    case LinkStatus::NoLink:
        return {Lamp::Bad, text::NoLink};
    case LinkStatus::PortOpened:
        return {Lamp::Good, text::PortOpened};
    case LinkStatus::Good:
        return {Lamp::Good, text::LinkGood};
    case LinkStatus::NoReply:
        return {Lamp::Bad, text::NoReply};
    case LinkStatus::VersionUnreadable:
        return {Lamp::Bad, text::VersionUnreadable};
    case LinkStatus::VersionRefused:
        return {Lamp::Bad, text::VersionRefused};
    }
    return {Lamp::Bad, text::NoLink};
}

} // namespace

void Form1::ConnectSession()
{
    ServiceSession *s = &session_;
    connect(s, &ServiceSession::IntentsAllowed, this, &Form1::SetInputControlsEnabled);
    connect(s, &ServiceSession::LinkStatusShown, this, &Form1::ShowLinkStatus);
    connect(s, &ServiceSession::MonitorTicked, this, [this] {
        ShowMonitorValues();
        readingsAge_.TickEnded();
        ShowReadingsAge();
    });
    connect(s, &ServiceSession::ReplyFiled, this, &Form1::ReplyFiled);
    connect(s, &ServiceSession::ReadingsStartOver, this, &Form1::ReadingsStartOver);
    connect(s, &ServiceSession::ReadDone, this, [this](ExchangeState exchange) {
        if (exchange == ExchangeState::IdentifyRead)
            ShowIdentifierValues();
        else if (exchange == ExchangeState::ConfigurationRead)
            ShowConfiguration();
        // A calibration read is laid out by the calibration window.
    });
    connect(s, &ServiceSession::WrittenValuesFiled, this, [this](ExchangeState exchange) {
        if (exchange == ExchangeState::IdentifyWrite)
            ShowWrittenIdentifiers();
        else if (exchange == ExchangeState::ConfigurationWrite)
            ShowWrittenConfiguration(session_.ConfigurationWriteGroups());
    });
    connect(s, &ServiceSession::ReadFailed, this, [this] { ShowMessage(text::ReadFailed); });
    connect(s, &ServiceSession::WriteDone, this, [this] { ShowMessage(text::WriteDone); });
    connect(s, &ServiceSession::WriteFailed, this, [this] { ShowMessage(text::WriteFailed); });
    connect(s, &ServiceSession::RequestRefused, this, [this] { ShowMessage(text::EntryRefused); });
    connect(s, &ServiceSession::FirmwareRefused, this,
            [this] { ShowMessage(text::VersionRefused); });
    connect(s, &ServiceSession::PortFailed, this, [this] { ShowMessage(text::PortOpenFailed); });
    connect(s, &ServiceSession::CalibrationDue, this, &Form1::OpenCalibrationWindow);
}

void Form1::ShowLinkStatus(LinkStatus status)
{
    const StatusLook look = LookOf(status);
    ShowStatus(look.lamp, look.textNumber);
}

void Form1::ShowStatus(Lamp lamp, int textNumber)
{
    PaintLinkStatus(lamp, textNumber);
    statusTextNumber_ = textNumber;
}

} // namespace pv
