// tick-cost: what one monitor tick costs the tool itself, with the line view closed and open.
// The main window runs offscreen against the in-process simulator; its timers are ticked by
// hand, so only the tool's own work is timed: the tick (exchange step and readings), and with
// the view open also the view's refresh and the repaint of both windows.
//
// A third run keeps the service record and publishes to an MQTT broker that never answers (an
// address of the documentation range, where connection attempts hang), after an identify read,
// as a technician with publishing on: the tick must not wait on the disk or the network.
//
// usage: tick-cost [--ticks N]
// prints one line per measure: name, median and maximum in microseconds.

#include "app/form1.h"
#include "app/line_view.h"
#include "platform/language_store.h"
#include "publish/mqtt_publisher.h"
#include "record/service_recorder.h"
#include "sim/simulated_port.h"
#include "tools/tool_surroundings.h"

#include <QApplication>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// Microseconds of each call.
struct Samples
{
    std::vector<double> us;
    void Time(const std::function<void()> &work)
    {
        const auto start = Clock::now();
        work();
        us.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    }
    void Print(const char *name)
    {
        if (us.empty())
            return;
        std::sort(us.begin(), us.end());
        std::printf("%-26s median %8.1f us   max %8.1f us   (%zu samples)\n", name,
                    us[us.size() / 2], us.back(), us.size());
    }
};

struct Run
{
    Samples tick, refresh, repaint;
    // With publishing: whether the identify read had named the unit (the publisher then tries
    // the broker on its own thread the whole time).
    bool unitNamed = false;
};

// A broker at an address nothing answers from (TEST-NET-1).
constexpr const char *SilentBroker = "mqtt://192.0.2.1:1883";

Run Measure(const std::filesystem::path &programDir, int ticks, bool viewOpen,
            bool recordAndPublish = false)
{
    pv::InverterSimulator inverter;
    std::int64_t nowMs = 0;
    pv::SimulatedPort port(inverter, &nowMs);
    ToolSurroundings quiet("tick-cost");
    const auto languageStore = pv::MakeSqliteLanguageStore(programDir / "DataBase" / "Language.db");
    pv::ServiceSession session(port);
    QTemporaryDir records;
    pv::ServiceRecorder recorder(session, records.filePath("records.sqlite").toStdString());
    pv::MqttPublisher publisher(session);
    pv::PublishSettings settings;
    settings.enabled = true;
    settings.url = SilentBroker;
    const pv::PublishSetup setup = pv::CheckPublishSettings(settings);
    pv::Form1 form(pv::Form1Services{.port = port,
                                     .session = session,
                                     .messages = quiet,
                                     .presenter = quiet,
                                     .processes = quiet,
                                     .languageStore = *languageStore,
                                     .files = quiet,
                                     .programFolder = programDir,
                                     .numberFormat = pv::NumberFormat{},
                                     .recorder = recordAndPublish ? &recorder : nullptr});
    Run run;
    if (!form.Form_Load())
        return run;
    form.show();
    const pv::Form1Controls &ui = form.Controls();
    ui.Combo1->setCurrentIndex(0);
    emit ui.Combo1->activated(0);
    if (viewOpen)
        form.CommandLine_Click();
    pv::LineView *view = form.LineWindow();
    QApplication::processEvents();
    if (recordAndPublish) {
        publisher.Configure(&setup);
        // The identify read names the unit: its step timer ticked by hand like the monitor's.
        session.ReadIdentifiers();
        for (int step = 0;
             step < 40 && !(session.State() == pv::ExchangeState::Monitor && step > 1); ++step) {
            nowMs += pv::MonitorIntervalMs;
            if (ui.Timer2->isActive())
                session.IdentifyTick();
            else
                session.MonitorTick();
        }
        const auto phase = publisher.Status().phase;
        run.unitNamed
            = phase == pv::PublishPhase::Connecting || phase == pv::PublishPhase::BrokerAway;
    }
    for (int i = 0; i < ticks; ++i) {
        // Only the hand drives the exchange; the window's own timers stay still.
        for (QTimer *timer : {ui.Timer1, ui.Timer2, ui.Timer3})
            timer->stop();
        if (view != nullptr)
            view->RefreshTimer()->stop();
        nowMs += pv::MonitorIntervalMs;
        run.tick.Time([&form] { form.Timer1_Timer(); });
        // The view refreshes every 250 ms, so at most once per 350 ms tick.
        if (view != nullptr)
            run.refresh.Time([view] { view->Refresh(); });
        run.repaint.Time([] { QApplication::processEvents(); });
    }
    return run;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    int ticks = 2000;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::string(argv[i]) == "--ticks")
            ticks = std::max(1, std::stoi(argv[i + 1]));
    }
    // The settings files and the language database beside this program.
    const std::filesystem::path programDir = QCoreApplication::applicationDirPath().toStdString();

    Run closed = Measure(programDir, ticks, false);
    Run open = Measure(programDir, ticks, true);
    Run publishing = Measure(programDir, ticks, false, true);
    std::printf("%d monitor ticks of 350 ms each way\n", ticks);
    closed.tick.Print("tick, view closed");
    publishing.tick.Print(publishing.unitNamed ? "tick, record + MQTT"
                                               : "tick, record + MQTT (no unit!)");
    open.tick.Print("tick, view open");
    open.refresh.Print("view refresh");
    closed.repaint.Print("repaint, view closed");
    open.repaint.Print("repaint, view open");
    return closed.tick.us.empty() || open.tick.us.empty() ? 1 : 0;
}
