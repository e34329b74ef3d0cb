#pragma once
// The unit's readings published to an MQTT broker, with the discovery configurations Home
// Assistant makes a device of: a client of the service session like the window and the service
// record. It only listens: it sends nothing to the unit and changes nothing in the exchanges, and
// it hands its messages to a link that talks to the broker on threads of its own, so a monitor
// tick never waits for the network.
//
// What it publishes, once set up with settings that passed their checks:
//   - as soon as an identify read (or an identify write the unit acknowledged) names the unit:
//     one discovery configuration per reading, and the availability, under the unit's ID;
//   - after every accepted reply of the readings block (outside the version check) the state;
//   - availability "online" while the unit's readings come, "offline" once they stopped for two
//     monitor cycles, when the port closes, when another unit answers on the line, and at a clean
//     end; the broker says "offline" for it when the tool dies (the link's last will).
// A command line drives it in a few lines: CheckPublishSettings, Configure, an identify read,
// monitoring, and Finish (or the destructor) at the end.

#include "mqtt_link.h"
#include "publish_plan.h"
#include "publish_settings.h"

#include "session/service_session.h"

#include <QObject>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace pv {

enum class PublishPhase {
    Off,                // not set up (or switched off)
    Refused,            // the settings did not pass their checks (PublishStatus::refusal says why)
    WaitingForIdentity, // set up; publishing starts with an identify read
    Connecting,         // the unit is known; the broker has not answered yet
    Publishing,         // connected to the broker
    BrokerAway,         // the broker cannot be reached; tried again and again
};

struct PublishStatus
{
    PublishPhase phase = PublishPhase::Off;
    SetupVerdict refusal = SetupVerdict::Accepted;
    std::string broker; // host:port
    std::string unitId; // the unit published, once known
    bool operator==(const PublishStatus &) const = default;
};

// How long the first connection may take before the status says the broker cannot be reached.
inline constexpr auto ConnectPatience = std::chrono::seconds{5};

class MqttPublisher : public QObject
{
    Q_OBJECT
public:
    using Clock = std::function<std::int64_t()>; // milliseconds since 1970-01-01 UTC

    explicit MqttPublisher(ServiceSession &session, QObject *parent = nullptr);
    MqttPublisher(ServiceSession &session, Clock wallClock, QObject *parent = nullptr);
    // Finish.
    ~MqttPublisher() override;

    // Publishing from now on with this setup (a refused one, or nullptr, switches it off): the
    // broker of the setup before hears "offline" for the unit and is left.
    void Configure(const PublishSetup *setup);
    // The clean end: "offline" for the unit and a clean disconnect, waiting at most the setup's
    // close wait for each.
    void Finish();

    const PublishStatus &Status() const { return status_; }
    const PublishPlan &Plan() const { return plan_; }

signals:
    void StatusChanged(const pv::PublishStatus &status);

private:
    void OnIdentified();
    void OnReplyFiled(const RequestInfo &request);
    void OnLinkStatus(LinkStatus status);
    void OnBrokerState(BrokerState state, quint64 linkNumber);
    // Brings the link, the discovery and the availability in line with the plan.
    void Follow();
    void StartLink(const UnitDevice &device);
    // The link goes on ending on its own thread; Finish waits for it.
    void RetireLink(bool sayOffline);
    void SetStatus(PublishStatus status);
    RetainedMessage AvailabilityMessage(bool online) const;

    ServiceSession &session_;
    Clock wallClock_;
    PublishPlan plan_;
    std::optional<PublishSetup> setup_;
    PublishStatus status_;

    // The link to the broker for the unit published now, with the unit and topics it was made
    // for and what it was last handed.
    std::unique_ptr<MqttLink> link_;
    quint64 linkNumber_ = 0;
    UnitDevice linkDevice_;
    UnitTopics topics_;
    std::optional<bool> availabilityHanded_;
    std::vector<std::unique_ptr<MqttLink>> retiring_;
    QTimer patience_;
};

} // namespace pv
