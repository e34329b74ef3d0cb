#pragma once
// A connection to an MQTT broker on libmosquitto, kept up on threads of its own: the network
// loop runs on libmosquitto's thread (mosquitto_loop_start), and the name lookup and the first
// connection attempt, the last words and the end on the link's own. Whoever holds the link only
// hands it messages, which costs a copy and a lock: nothing on the caller's thread ever waits on
// the network.
//
// The link keeps, per topic, the one message the broker should retain there. While connected a
// message goes out as it is handed over; after every (re)connection all of them go out again, so
// the broker holds the latest of each whatever it missed. While the broker is away nothing else
// is queued: a topic's newer message replaces the older one. Nothing is subscribed to: nothing
// the broker sends can make the tool do anything.

#include "mqtt_payloads.h"
#include "publish_settings.h"

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

struct mosquitto;

namespace pv {

enum class BrokerState {
    Connected, // the broker accepted the connection
    Away,      // the connection was lost or refused; libmosquitto tries again with growing delays
};

class MqttLink
{
public:
    // Called on one of the link's threads, never on the caller's.
    using Listener = std::function<void(BrokerState)>;

    // Starts connecting at once. The broker gives out "offline" on willTopic, retained, when the
    // connection breaks without a clean end (the tool killed, the machine off, the cable out).
    MqttLink(const PublishSetup &setup, std::string willTopic, Listener listener);
    // Ends the link as Close with no last words does, and waits for its threads.
    ~MqttLink();
    MqttLink(const MqttLink &) = delete;
    MqttLink &operator=(const MqttLink &) = delete;

    // The message the broker should retain under its topic from now on (see above).
    void Retain(const RetainedMessage &message);
    // Ends the link: the last words (when connected), a clean disconnect, so that the broker
    // keeps its will to itself. Returns at once; the link's thread waits at most the setup's
    // close wait for each of the two acknowledgements, and the destructor waits for that thread.
    void Close(std::optional<RetainedMessage> lastWords);
    // The link's thread has ended: destroying the link waits for nothing.
    bool Ended() const { return ended_; }

private:
    static void OnConnect(mosquitto *mosq, void *self, int result);
    static void OnDisconnect(mosquitto *mosq, void *self, int result);
    static void OnPublish(mosquitto *mosq, void *self, int mid);
    void Run();
    // Hands a message to libmosquitto; with mutex_ held.
    int Send(const RetainedMessage &message);
    void Tell(BrokerState state);

    const PublishSetup setup_;
    const std::string willTopic_;

    std::mutex mutex_;
    std::condition_variable changed_;
    Listener listener_;
    mosquitto *mosq_ = nullptr; // set and cleared by Run
    bool connected_ = false;
    bool closeAsked_ = false;
    bool closing_ = false; // nothing more is handed to libmosquitto
    std::optional<RetainedMessage> lastWords_;
    std::optional<int> lastWordsMid_;
    bool lastWordsTaken_ = false;
    std::vector<RetainedMessage> retained_; // in the order the topics were first handed over
    std::atomic<bool> ended_ = false;
    std::thread thread_;
};

} // namespace pv
