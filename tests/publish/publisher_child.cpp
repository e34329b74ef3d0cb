// A publishing tool for the end-to-end test to kill: the session over the in-process simulator,
// identified and monitoring on a clock that moves on by each tick's interval, publishing to the
// broker at the URL given until the process is killed.
//
// usage: publisher-child URL UNIT-ID-WORD

#include "publish/mqtt_publisher.h"
#include "sim/simulated_port.h"

#include <QCoreApplication>

#include <charconv>
#include <cstdio>
#include <string_view>
#include <thread>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc != 3)
        return 2;
    const std::string_view idText = argv[2];
    std::uint16_t idWord = 0;
    std::from_chars(idText.data(), idText.data() + idText.size(), idWord);

    pv::InverterSimulator inverter;
    inverter.SetOperatingVersion("V1000700");
    inverter.SetModelName("PV-4000");
    inverter.SetCompanyName("Sunworks");
    inverter.SetRegister(pv::reg::InverterId, idWord);
    std::int64_t nowMs = 0;
    pv::SimulatedPort port(inverter, &nowMs);
    pv::ServiceSession session(port);
    pv::MqttPublisher publisher(session);
    pv::PublishSettings settings;
    settings.url = argv[1];
    const pv::PublishSetup setup = pv::CheckPublishSettings(settings);
    publisher.Configure(&setup);

    session.ChoosePort(0);
    bool identifyAsked = false;
    for (;;) {
        const auto running = [&](pv::ExchangeTimer t) { return session.Timer(t)->isActive(); };
        if (running(pv::ExchangeTimer::Identify)) {
            nowMs += session.Timer(pv::ExchangeTimer::Identify)->interval();
            session.IdentifyTick();
        } else {
            nowMs += session.Timer(pv::ExchangeTimer::Monitor)->interval();
            session.MonitorTick();
        }
        if (!identifyAsked && session.State() == pv::ExchangeState::Monitor) {
            session.ReadIdentifiers();
            identifyAsked = true;
        }
        QCoreApplication::processEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds{5});
    }
}
