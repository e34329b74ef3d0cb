#pragma once
// A service session over the in-process simulated inverter, for the tests of the session and of
// its clients: a unit with a version the tool accepts, names, an ID and an energy count, on a
// clock that each tick moves on by the interval of the step timer that runs.

#include "session/service_session.h"
#include "sim/simulated_port.h"

#include <QTimer>

#include <gtest/gtest.h>

#include <cstdint>

namespace pv::test {

class SessionRig
{
public:
    SessionRig()
    {
        inverter.SetOperatingVersion("V1000700");
        inverter.SetModelName("PV-4000");
        inverter.SetCompanyName("Sunworks");
        inverter.SetRegister(reg::InverterId, 41);
        inverter.SetEnergyTotal(123456);
    }

    // COM1 chosen, and its version check run until monitoring.
    void Connect()
    {
        session.ChoosePort(0);
        RunWhile([this] { return session.State() != ExchangeState::Monitor; });
    }

    // Ticks whichever step timer runs, the clock moved on by its interval first, while keepOn
    // holds (at most a few hundred ticks).
    template <class Predicate>
    void RunWhile(Predicate keepOn)
    {
        for (int n = 0; n < 300 && keepOn(); ++n) {
            const auto running = [this](ExchangeTimer t) { return session.Timer(t)->isActive(); };
            const ExchangeTimer timer = running(ExchangeTimer::Identify) ? ExchangeTimer::Identify
                                        : running(ExchangeTimer::Configuration)
                                            ? ExchangeTimer::Configuration
                                            : ExchangeTimer::Monitor;
            ASSERT_TRUE(running(timer)) << "no timer runs";
            nowMs += session.Timer(timer)->interval();
            timer == ExchangeTimer::Identify        ? session.IdentifyTick()
            : timer == ExchangeTimer::Configuration ? session.ConfigurationTick()
                                                    : session.MonitorTick();
        }
    }

    // Runs the asked exchange until monitoring has taken over again.
    void RunExchange()
    {
        RunWhile([this] { return session.State() != ExchangeState::Monitor; });
        RunWhile([this] { return !session.Timer(ExchangeTimer::Monitor)->isActive(); });
    }

    std::int64_t nowMs = 0;
    InverterSimulator inverter;
    SimulatedPort port{inverter, &nowMs};
    ServiceSession session{port};
};

} // namespace pv::test
