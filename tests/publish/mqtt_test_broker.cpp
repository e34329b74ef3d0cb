#include "mqtt_test_broker.h"

#include <QCoreApplication>
#include <QFile>

#include <thread>

namespace pv::test {

namespace {

constexpr auto BrokerStartLimit = std::chrono::seconds{5};
constexpr int FirstPort = 21000;
constexpr int PortSpan = 20000;
constexpr int PortTries = 5;
constexpr auto WaitStep = std::chrono::milliseconds{5};

} // namespace

std::string MosquittoProgram()
{
    return PV_MOSQUITTO_PROGRAM;
}

bool MayRunWithoutBroker()
{
    return qEnvironmentVariableIsEmpty("CI");
}

bool WaitFor(const std::function<bool()> &done, std::chrono::milliseconds limit,
             const std::function<void()> &each)
{
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        if (each)
            each();
        QCoreApplication::processEvents();
        std::this_thread::sleep_for(WaitStep);
    }
    return true;
}

bool TestBroker::Start()
{
    // Tests running side by side each pick their own port; a taken one makes the broker end at
    // once, and the next one is tried.
    for (int attempt = 0; attempt < PortTries; ++attempt) {
        port_ = FirstPort
                + static_cast<int>((QCoreApplication::applicationPid() * 7 + attempt * 997)
                                   % PortSpan);
        if (Launch())
            return true;
    }
    return false;
}

bool TestBroker::Restart()
{
    return Launch();
}

bool TestBroker::Launch()
{
    const QString config = folder_.filePath(QStringLiteral("mosquitto.conf"));
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(QStringLiteral("listener %1 127.0.0.1\nallow_anonymous true\npersistence false\n")
                   .arg(port_)
                   .toUtf8());
    file.close();
    process_.setProgram(QString::fromStdString(MosquittoProgram()));
    process_.setArguments({QStringLiteral("-c"), config});
    process_.setProcessChannelMode(QProcess::MergedChannels);
    process_.start();
    if (!process_.waitForStarted())
        return false;
    // Ready once a client gets in.
    mosquitto *probe = mosquitto_new(nullptr, true, nullptr);
    const bool ready = WaitFor(
        [&] {
            return process_.state() != QProcess::Running
                   || mosquitto_connect(probe, "127.0.0.1", port_, 10) == MOSQ_ERR_SUCCESS;
        },
        BrokerStartLimit);
    mosquitto_disconnect(probe);
    mosquitto_destroy(probe);
    return ready && process_.state() == QProcess::Running;
}

void TestBroker::Stop()
{
    if (process_.state() == QProcess::NotRunning)
        return;
    process_.terminate();
    if (!process_.waitForFinished(3000))
        process_.kill();
    process_.waitForFinished();
}

TestSubscriber::TestSubscriber(int port)
{
    mosquitto_lib_init();
    mosq_ = mosquitto_new(nullptr, true, this);
    mosquitto_connect_callback_set(mosq_, OnConnect);
    mosquitto_message_callback_set(mosq_, OnMessage);
    mosquitto_reconnect_delay_set(mosq_, 1, 1, false);
    mosquitto_connect(mosq_, "127.0.0.1", port, 10);
    mosquitto_loop_start(mosq_);
}

TestSubscriber::~TestSubscriber()
{
    mosquitto_disconnect(mosq_);
    mosquitto_loop_stop(mosq_, false);
    mosquitto_destroy(mosq_);
}

void TestSubscriber::OnConnect(mosquitto *mosq, void *self, int result)
{
    auto *subscriber = static_cast<TestSubscriber *>(self);
    if (result != 0)
        return;
    mosquitto_subscribe(mosq, nullptr, "#", 1);
    const std::lock_guard lock(subscriber->mutex_);
    subscriber->connected_ = true;
}

void TestSubscriber::OnMessage(mosquitto *, void *self, const mosquitto_message *message)
{
    auto *subscriber = static_cast<TestSubscriber *>(self);
    const std::lock_guard lock(subscriber->mutex_);
    subscriber->heard_.push_back({message->topic,
                                  std::string(static_cast<const char *>(message->payload),
                                              static_cast<std::size_t>(message->payloadlen)),
                                  message->retain});
}

bool TestSubscriber::Connected() const
{
    const std::lock_guard lock(mutex_);
    return connected_;
}

std::vector<HeardMessage> TestSubscriber::On(const std::string &topic) const
{
    const std::lock_guard lock(mutex_);
    std::vector<HeardMessage> on;
    for (const HeardMessage &message : heard_) {
        if (message.topic == topic)
            on.push_back(message);
    }
    return on;
}

std::optional<std::string> TestSubscriber::Last(const std::string &topic) const
{
    const std::vector<HeardMessage> on = On(topic);
    if (on.empty())
        return std::nullopt;
    return on.back().payload;
}

std::vector<HeardMessage> TestSubscriber::Under(const std::string &prefix) const
{
    const std::lock_guard lock(mutex_);
    std::vector<HeardMessage> under;
    for (const HeardMessage &message : heard_) {
        if (message.topic.starts_with(prefix))
            under.push_back(message);
    }
    return under;
}

} // namespace pv::test
