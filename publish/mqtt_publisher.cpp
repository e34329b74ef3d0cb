#include "mqtt_publisher.h"

#include "link/register_map.h"
#include "monitor/recording_csv.h"
#include "platform/local_clock.h"

#include <QDateTime>

namespace pv {

namespace {

// A read whose reply carries the unit's ID: the monitor cycle's settings block and the identify
// read's own request.
bool CarriesUnitId(const RequestInfo &request)
{
    return request.function == ReadFunction && request.startRegister <= reg::InverterId
           && reg::InverterId < request.startRegister + request.registerCount;
}

// The state goes out at most once per accepted readings reply, and without waiting for the
// broker's acknowledgement: a lost one is replaced by the next.
constexpr int StateQos = 0;
constexpr int AvailabilityQos = 1;

} // namespace

MqttPublisher::MqttPublisher(ServiceSession &session, QObject *parent)
    : MqttPublisher(
        session, [] { return QDateTime::currentMSecsSinceEpoch(); }, parent)
{}

MqttPublisher::MqttPublisher(ServiceSession &session, Clock wallClock, QObject *parent)
    : QObject(parent), session_(session), wallClock_(std::move(wallClock))
{
    patience_.setSingleShot(true);
    patience_.setInterval(ConnectPatience);
    connect(&patience_, &QTimer::timeout, this, [this] {
        if (status_.phase != PublishPhase::Connecting)
            return;
        PublishStatus away = status_;
        away.phase = PublishPhase::BrokerAway;
        SetStatus(away);
    });
    ServiceSession *s = &session_;
    connect(s, &ServiceSession::ReadDone, this, [this](ExchangeState exchange) {
        if (exchange == ExchangeState::IdentifyRead)
            OnIdentified();
    });
    // The unit answers to what was written from now on.
    connect(s, &ServiceSession::WrittenValuesFiled, this, [this](ExchangeState exchange) {
        if (exchange == ExchangeState::IdentifyWrite)
            OnIdentified();
    });
    connect(s, &ServiceSession::ReplyFiled, this, &MqttPublisher::OnReplyFiled);
    connect(s, &ServiceSession::MonitorTicked, this, [this] {
        plan_.MonitorTickEnded();
        Follow();
    });
    connect(s, &ServiceSession::LinkStatusShown, this, &MqttPublisher::OnLinkStatus);
    const auto closed = [this] {
        plan_.LinkClosed();
        Follow();
    };
    connect(s, &ServiceSession::PortFailed, this, closed);
    connect(s, &ServiceSession::FirmwareRefused, this, closed);
}

MqttPublisher::~MqttPublisher()
{
    Finish();
}

void MqttPublisher::Configure(const PublishSetup *setup)
{
    // The same setup again (an entry left unchanged) keeps the link as it is.
    if (setup != nullptr && setup_ && *setup == *setup_)
        return;
    RetireLink(true);
    setup_.reset();
    if (setup == nullptr) {
        SetStatus({});
        return;
    }
    if (setup->verdict != SetupVerdict::Accepted) {
        SetStatus({PublishPhase::Refused, setup->verdict, {}, {}});
        return;
    }
    setup_ = *setup;
    SetStatus({PublishPhase::WaitingForIdentity,
               SetupVerdict::Accepted,
               BrokerName(setup_->address),
               {}});
    Follow();
}

void MqttPublisher::Finish()
{
    RetireLink(true);
    setup_.reset();
    // Each link waits at most its close wait twice for the broker.
    retiring_.clear();
    SetStatus({});
}

void MqttPublisher::OnIdentified()
{
    plan_.Identified(UnitDeviceOf(session_.Data()));
    Follow();
}

void MqttPublisher::OnReplyFiled(const RequestInfo &request)
{
    if (CarriesUnitId(request))
        plan_.IdRead(UnitDeviceOf(session_.Data()).id);
    if (!IsReadingsReply(request)) {
        Follow();
        return;
    }
    const std::int64_t now = wallClock_();
    plan_.ReadingsAccepted(now);
    Follow();
    // While the version is checked the link is not yet known to serve this unit (the recording
    // marks such rows "checking").
    if (link_ != nullptr && plan_.Available()
        && session_.State() != ExchangeState::CheckOperatingVersion)
        link_->Retain(
            {topics_.state, StatePayload(LocalTimeAt(now), ReadingsOf(session_.Data())), StateQos});
}

void MqttPublisher::OnLinkStatus(LinkStatus status)
{
    if (status == LinkStatus::NoLink || status == LinkStatus::VersionRefused) {
        plan_.LinkClosed();
        Follow();
    }
}

void MqttPublisher::OnBrokerState(BrokerState state, quint64 linkNumber)
{
    if (linkNumber != linkNumber_ || link_ == nullptr)
        return; // a link retired since
    PublishStatus status = status_;
    if (state == BrokerState::Connected) {
        patience_.stop();
        status.phase = PublishPhase::Publishing;
    } else if (status.phase != PublishPhase::Connecting) {
        // Before the first connection the patience says when the broker counts as away.
        status.phase = PublishPhase::BrokerAway;
    }
    SetStatus(status);
}

void MqttPublisher::Follow()
{
    if (!setup_)
        return;
    const std::optional<UnitDevice> &device = plan_.Device();
    // Another unit, or none known: the one published so far is no longer there. Under a prefix
    // of the technician's own the next unit takes over the same topics, and says "online" there
    // itself.
    if (link_ != nullptr && (!device || device->id != linkDevice_.id)) {
        const bool sameTopics
            = device
              && TopicsOf(setup_->topicPrefix, device->id).availability == topics_.availability;
        RetireLink(!sameTopics);
    }
    if (!device) {
        if (status_.phase != PublishPhase::WaitingForIdentity)
            SetStatus({PublishPhase::WaitingForIdentity,
                       SetupVerdict::Accepted,
                       BrokerName(setup_->address),
                       {}});
        return;
    }
    if (link_ == nullptr) {
        StartLink(*device);
    } else if (*device != linkDevice_) {
        // The same unit with other names or firmware.
        linkDevice_ = *device;
        for (const RetainedMessage &config :
             DiscoveryConfigs(setup_->discoveryPrefix, topics_, linkDevice_))
            link_->Retain(config);
    }
    const bool online = plan_.Available();
    if (availabilityHanded_ != online) {
        availabilityHanded_ = online;
        link_->Retain(AvailabilityMessage(online));
    }
}

void MqttPublisher::StartLink(const UnitDevice &device)
{
    linkDevice_ = device;
    topics_ = TopicsOf(setup_->topicPrefix, device.id);
    const quint64 number = ++linkNumber_;
    // The link tells from its own threads; the status changes on this one.
    link_ = std::make_unique<MqttLink>(
        *setup_, topics_.availability, [this, number](BrokerState state) {
            QMetaObject::invokeMethod(
                this, [this, state, number] { OnBrokerState(state, number); },
                Qt::QueuedConnection);
        });
    // Home Assistant makes the device of these before the first state arrives.
    for (const RetainedMessage &config : DiscoveryConfigs(setup_->discoveryPrefix, topics_, device))
        link_->Retain(config);
    availabilityHanded_.reset();
    SetStatus(
        {PublishPhase::Connecting, SetupVerdict::Accepted, BrokerName(setup_->address), device.id});
    patience_.start();
}

void MqttPublisher::RetireLink(bool sayOffline)
{
    // Links that have ended since are let go now; the others end on their own threads.
    std::erase_if(retiring_, [](const std::unique_ptr<MqttLink> &link) { return link->Ended(); });
    if (link_ == nullptr)
        return;
    link_->Close(sayOffline ? std::optional(AvailabilityMessage(false)) : std::nullopt);
    retiring_.push_back(std::move(link_));
    ++linkNumber_;
    availabilityHanded_.reset();
    patience_.stop();
}

void MqttPublisher::SetStatus(PublishStatus status)
{
    if (status == status_)
        return;
    status_ = std::move(status);
    emit StatusChanged(status_);
}

RetainedMessage MqttPublisher::AvailabilityMessage(bool online) const
{
    return {topics_.availability, std::string(online ? OnlinePayload : OfflinePayload),
            AvailabilityQos};
}

} // namespace pv
