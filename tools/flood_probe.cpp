// flood-probe: the main window with the real serial port, offscreen, monitoring COM1 of a given
// program folder for a given time, then a one-line account of its own cost. scripts/flood-check.sh
// runs it against `inverter-sim --flood` to see what a babbling line costs the tool.
//
// usage: flood-probe --program-dir DIR [--seconds N]
// prints: requests=N per_second=R largest_take=B cpu_percent=C peak_rss_kib=K

#include "app/form1.h"
#include "platform/language_store.h"
#include "platform/qt_serial_port.h"
#include "tools/tool_surroundings.h"

#include <QApplication>
#include <QTimer>

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>

namespace {

// The real port, counting what the exchange logic asks of it.
struct CountingPort : pv::SerialPort
{
    explicit CountingPort(pv::SerialPort &port) : inner(port) {}
    int CommPort() const override { return inner.CommPort(); }
    void SetCommPort(int number) override { inner.SetCommPort(number); }
    void SetSettings(const std::string &settings) override { inner.SetSettings(settings); }
    void Open() override { inner.Open(); }
    void Close() override { inner.Close(); }
    bool IsOpen() const override { return inner.IsOpen(); }
    void Output(pv::ByteView bytes) override
    {
        ++requests;
        inner.Output(bytes);
    }
    pv::Bytes Input() override
    {
        pv::Bytes taken = inner.Input();
        largestTake = std::max(largestTake, taken.size());
        return taken;
    }

    pv::SerialPort &inner;
    int requests = 0;
    std::size_t largestTake = 0;
};

double CpuSeconds()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval &t) { return t.tv_sec + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

long PeakRssKib()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss; // KiB on Linux
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    std::filesystem::path programDir;
    double seconds = 10;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string name = argv[i];
        if (name == "--program-dir")
            programDir = argv[i + 1];
        else if (name == "--seconds")
            seconds = std::stod(argv[i + 1]);
    }
    if (programDir.empty()) {
        std::fprintf(stderr, "usage: flood-probe --program-dir DIR [--seconds N]\n");
        return 2;
    }

    pv::QtSerialPort realPort(programDir);
    CountingPort port(realPort);
    ToolSurroundings quiet("flood-probe");
    const auto languageStore = pv::MakeSqliteLanguageStore(programDir / "DataBase" / "Language.db");
    pv::ServiceSession session(port);
    pv::Form1 form(pv::Form1Services{port, session, quiet, quiet, quiet, *languageStore, quiet,
                                     programDir, pv::NumberFormat{}});
    if (!form.Form_Load())
        return 1;
    form.show();
    form.Controls().Combo1->setCurrentIndex(0); // COM1
    emit form.Controls().Combo1->activated(0);
    if (!port.IsOpen())
        return 1;

    const double cpuBefore = CpuSeconds();
    const auto start = std::chrono::steady_clock::now();
    QTimer::singleShot(static_cast<int>(seconds * 1000), &app, [&app] { app.exit(0); });
    app.exec();
    const double wall
        = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("requests=%d per_second=%.2f largest_take=%zu cpu_percent=%.1f "
                "peak_rss_kib=%ld\n",
                port.requests, port.requests / wall, port.largestTake,
                100.0 * (CpuSeconds() - cpuBefore) / wall, PeakRssKib());
    return 0;
}
