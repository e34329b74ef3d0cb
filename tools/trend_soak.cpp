// trend-soak: drives the main window through many accepted replies of the readings block with
// the in-process simulated inverter, its timers ticked by hand on an injected clock, the trend
// shown and a recording running into a temporary file, and reports the resident memory before,
// after one span of the trend has filled, and at the end. The trend's ring and the recording
// must keep memory flat however long the tool monitors.
//
// usage: trend-soak [--replies N] [--program-dir DIR] [--hidden yes]
// The window is shown (offscreen) unless --hidden yes; the recording goes to /dev/shm, so that
// the disk's sync time does not stretch the run.
// prints: one line per measurement, then replies=N points=P ... rss_growth_kib=K flat=yes|no,
// where the growth counts from the moment the trend's ring and the line record were both full:
// until then they and the window's caches fill once.

#include "app/form1.h"
#include "platform/language_store.h"
#include "platform/port_names.h"
#include "sim/inverter_simulator.h"
#include "sim/simulated_port.h"
#include "tools/tool_surroundings.h"

#include <QApplication>
#include <QTemporaryDir>

#include <cstdio>
#include <fstream>
#include <string>

namespace {

// VmRSS of this process, in KiB.
long ResidentKib()
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stol(line.substr(6));
    }
    return -1;
}

constexpr long FlatKib = 2 * 1024;
// One reply of the readings block in this many is followed by two that never come, so that the
// trend breaks its line now and then.
constexpr int LossEvery = 500;
constexpr std::int64_t StartOfDayMs = 1'700'000'000'000;

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    int replies = 50000;
    bool hidden = false;
    std::filesystem::path programDir = pv::ProgramFolder();
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string name = argv[i];
        if (name == "--replies")
            replies = std::stoi(argv[i + 1]);
        else if (name == "--program-dir")
            programDir = argv[i + 1];
        else if (name == "--hidden")
            hidden = std::string(argv[i + 1]) == "yes";
    }

    QTemporaryDir temporary(QStringLiteral("/dev/shm/trend-soak-XXXXXX"));
    ToolSurroundings around("trend-soak");
    around.saveAs = std::filesystem::path(temporary.path().toStdString()) / "soak.csv";
    std::int64_t nowMs = 0;
    pv::InverterSimulator inverter;
    pv::SimulatedPort port(inverter, &nowMs);
    const auto languageStore = pv::MakeSqliteLanguageStore(programDir / "DataBase" / "Language.db");
    pv::ServiceSession session(port);
    pv::Form1 form(pv::Form1Services{port, session, around, around, around, *languageStore, around,
                                     programDir, pv::NumberFormat{},
                                     [&nowMs] { return StartOfDayMs + nowMs; }});
    if (!form.Form_Load())
        return 1;
    if (!hidden)
        form.show();
    form.CommandRecord_Click();
    form.Controls().Combo1->setCurrentIndex(0); // COM1
    form.Combo1_Click();
    if (!port.IsOpen() || !form.IsRecording()) {
        std::fprintf(stderr, "trend-soak: no port or no recording\n");
        return 1;
    }

    // Each cycle: six ticks, the second takes the reply of the readings block; then what the
    // event loop would do between ticks.
    const auto cycle = [&] {
        for (int tick = 0; tick < pv::MonitorCycleTicks; ++tick) {
            nowMs += pv::MonitorIntervalMs;
            form.Timer1_Timer();
        }
        port.ClearWritten();
        QCoreApplication::processEvents();
    };
    const long atStart = ResidentKib();
    std::printf("start: rss_kib=%ld\n", atStart);
    // Both rings fill once: the trend's points and the line record's frames (several frames a
    // reply, so it fills later). Growth counts from the moment both are full.
    const auto ringsFull = [&] {
        return form.Trend().Size() == pv::TrendCapacity
               && form.Line().Size() == pv::LineRecorder::Capacity;
    };
    bool warm = false;
    long afterSpan = atStart;
    int accepted = 0;
    while (accepted < replies) {
        if (accepted % LossEvery == LossEvery - 1) {
            for (int lost = 0; lost < 2; ++lost) {
                inverter.InjectNext(pv::SimFault::NoReply);
                cycle();
            }
        }
        cycle();
        ++accepted;
        if (accepted == 1) {
            std::printf("after the first reply (the window drawn once): rss_kib=%ld\n",
                        ResidentKib());
        }
        if (!warm && ringsFull()) {
            warm = true;
            afterSpan = ResidentKib();
            std::printf("after %d replies (the trend's ring and the line record full): "
                        "rss_kib=%ld\n",
                        accepted, afterSpan);
        }
    }
    const long atEnd = ResidentKib();
    const auto rows = static_cast<long>(std::filesystem::file_size(around.saveAs));
    std::printf("end: rss_kib=%ld\n", atEnd);
    const long growth = atEnd - afterSpan;
    std::printf("replies=%d points=%zu file_bytes=%ld messages=%d rss_growth_kib=%ld flat=%s\n",
                accepted, form.Trend().Size(), rows, around.messages, growth,
                growth <= FlatKib && form.IsRecording() ? "yes" : "no");
    return growth <= FlatKib && form.IsRecording() ? 0 : 1;
}
