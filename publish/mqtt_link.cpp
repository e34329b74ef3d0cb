#include "mqtt_link.h"

#include <mosquitto.h>

#include <algorithm>

namespace pv {

namespace {

void InitLibrary()
{
    static std::once_flag once;
    std::call_once(once, [] { mosquitto_lib_init(); });
}

int Seconds(std::chrono::seconds seconds)
{
    return static_cast<int>(seconds.count());
}

} // namespace

MqttLink::MqttLink(const PublishSetup &setup, std::string willTopic, Listener listener)
    : setup_(setup), willTopic_(std::move(willTopic)), listener_(std::move(listener))
{
    InitLibrary();
    thread_ = std::thread([this] {
        Run();
        ended_ = true;
    });
}

MqttLink::~MqttLink()
{
    Close(std::nullopt);
    thread_.join();
}

void MqttLink::Retain(const RetainedMessage &message)
{
    const std::lock_guard lock(mutex_);
    const auto same
        = std::find_if(retained_.begin(), retained_.end(),
                       [&](const RetainedMessage &m) { return m.topic == message.topic; });
    if (same != retained_.end())
        *same = message;
    else
        retained_.push_back(message);
    if (connected_ && !closing_)
        (void)Send(message);
}

void MqttLink::Close(std::optional<RetainedMessage> lastWords)
{
    const std::lock_guard lock(mutex_);
    if (closeAsked_)
        return;
    closeAsked_ = true;
    lastWords_ = std::move(lastWords);
    changed_.notify_all();
}

int MqttLink::Send(const RetainedMessage &message)
{
    int mid = 0;
    const int result = mosquitto_publish(mosq_, &mid, message.topic.c_str(),
                                         static_cast<int>(message.payload.size()),
                                         message.payload.data(), message.qos, true);
    return result == MOSQ_ERR_SUCCESS ? mid : -1;
}

void MqttLink::Tell(BrokerState state)
{
    Listener listener;
    {
        const std::lock_guard lock(mutex_);
        listener = listener_;
    }
    if (listener)
        listener(state);
}

void MqttLink::OnConnect(mosquitto *, void *self, int result)
{
    auto *link = static_cast<MqttLink *>(self);
    {
        const std::lock_guard lock(link->mutex_);
        link->connected_ = result == 0;
        // Whatever the broker missed while away, and after a restart that lost its retained
        // messages: the discovery configurations, the availability and the latest state.
        if (link->connected_ && !link->closing_) {
            for (const RetainedMessage &message : link->retained_)
                (void)link->Send(message);
        }
    }
    link->Tell(result == 0 ? BrokerState::Connected : BrokerState::Away);
    link->changed_.notify_all();
}

void MqttLink::OnDisconnect(mosquitto *, void *self, int)
{
    auto *link = static_cast<MqttLink *>(self);
    {
        const std::lock_guard lock(link->mutex_);
        link->connected_ = false;
    }
    link->Tell(BrokerState::Away);
    link->changed_.notify_all();
}

void MqttLink::OnPublish(mosquitto *, void *self, int mid)
{
    auto *link = static_cast<MqttLink *>(self);
    const std::lock_guard lock(link->mutex_);
    if (link->lastWordsMid_ == mid) {
        link->lastWordsTaken_ = true;
        link->changed_.notify_all();
    }
}

void MqttLink::Run()
{
    mosquitto *mosq = mosquitto_new(nullptr, true, this);
    if (mosq == nullptr) {
        Tell(BrokerState::Away);
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return closeAsked_; });
        return;
    }
    const BrokerAddress &address = setup_.address;
    mosquitto_int_option(mosq, MOSQ_OPT_PROTOCOL_VERSION, MQTT_PROTOCOL_V311);
    mosquitto_connect_callback_set(mosq, OnConnect);
    mosquitto_disconnect_callback_set(mosq, OnDisconnect);
    mosquitto_publish_callback_set(mosq, OnPublish);
    mosquitto_will_set(mosq, willTopic_.c_str(), static_cast<int>(OfflinePayload.size()),
                       OfflinePayload.data(), 1, true);
    if (!address.userName.empty())
        mosquitto_username_pw_set(mosq, address.userName.c_str(),
                                  setup_.password.empty() ? nullptr : setup_.password.c_str());
    if (address.tls) {
        const std::string caFile = Utf8Name(setup_.caFile);
        mosquitto_tls_set(mosq, caFile.c_str(), nullptr, nullptr, nullptr, nullptr);
    }
    mosquitto_reconnect_delay_set(mosq, static_cast<unsigned>(Seconds(setup_.timing.firstRetry)),
                                  static_cast<unsigned>(Seconds(setup_.timing.lastRetry)), true);
    {
        const std::lock_guard lock(mutex_);
        mosq_ = mosq;
    }
    mosquitto_loop_start(mosq);
    // The name lookup and the first attempt happen here, on the link's own thread; a first
    // attempt that fails is tried again by the network loop like any lost connection.
    const bool started = mosquitto_connect_async(mosq, address.host.c_str(), address.port,
                                                 Seconds(setup_.timing.keepAlive))
                         == MOSQ_ERR_SUCCESS;
    if (!started)
        Tell(BrokerState::Away);

    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return closeAsked_; });
    listener_ = nullptr;
    if (connected_ && lastWords_) {
        const int mid = Send(*lastWords_);
        if (mid >= 0)
            lastWordsMid_ = mid;
    }
    closing_ = true;
    if (lastWordsMid_)
        changed_.wait_for(lock, setup_.timing.closeWait,
                          [this] { return lastWordsTaken_ || !connected_; });
    const bool wasConnected = connected_;
    lock.unlock();
    mosquitto_disconnect(mosq);
    lock.lock();
    if (wasConnected)
        changed_.wait_for(lock, setup_.timing.closeWait, [this] { return !connected_; });
    // After a clean disconnect the network loop ends by itself; otherwise it may be sleeping
    // before its next attempt, or in one, and is cancelled.
    const bool loopEnds = wasConnected && !connected_;
    lock.unlock();
    mosquitto_loop_stop(mosq, !loopEnds);
    lock.lock();
    mosq_ = nullptr;
    connected_ = false;
    lock.unlock();
    mosquitto_destroy(mosq);
}

} // namespace pv
