#pragma once
// Debian's mosquitto broker on a loopback port for the publishing tests, and a subscriber to all
// of it that keeps every message it hears. The broker keeps nothing on disk: started again, it
// holds no retained message until a publisher sends them anew.

#include <QProcess>
#include <QTemporaryDir>

#include <mosquitto.h>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace pv::test {

// The broker program, when one was found at configuration time; "" otherwise.
std::string MosquittoProgram();
// Without the broker the end-to-end tests are skipped, except on CI, where they must run.
bool MayRunWithoutBroker();

// Runs the event loop in short steps, calling each between them, until done holds or the limit
// has passed; true when done held.
bool WaitFor(const std::function<bool()> &done, std::chrono::milliseconds limit,
             const std::function<void()> &each = {});

class TestBroker
{
public:
    ~TestBroker() { Stop(); }

    // Starts the broker on a free loopback port; false when none of a few ports would do.
    bool Start();
    // Starts it again on the port it had.
    bool Restart();
    void Stop();
    int Port() const { return port_; }
    std::string Url() const { return "mqtt://127.0.0.1:" + std::to_string(port_); }

private:
    bool Launch();

    QTemporaryDir folder_;
    QProcess process_;
    int port_ = 0;
};

struct HeardMessage
{
    std::string topic;
    std::string payload;
    bool retained = false;
};

class TestSubscriber
{
public:
    explicit TestSubscriber(int port);
    ~TestSubscriber();

    bool Connected() const;
    // Every message heard on the topic so far, oldest first.
    std::vector<HeardMessage> On(const std::string &topic) const;
    // The payload heard last on the topic.
    std::optional<std::string> Last(const std::string &topic) const;
    // Every message heard so far whose topic starts with prefix.
    std::vector<HeardMessage> Under(const std::string &prefix) const;

private:
    static void OnConnect(mosquitto *mosq, void *self, int result);
    static void OnMessage(mosquitto *mosq, void *self, const mosquitto_message *message);

    mosquitto *mosq_ = nullptr;
    mutable std::mutex mutex_;
    bool connected_ = false;
    std::vector<HeardMessage> heard_;
};

} // namespace pv::test
