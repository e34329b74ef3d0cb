// soak-probe: the main window with the real serial port, offscreen, going through a technician's
// visit again and again on COM1 of a given program folder for a given time: identifiers read and
// written, configuration read and written, calibration read, written and its offset written,
// the about window, a language change, then a spell of plain monitoring. scripts/soak.sh runs it
// against an inverter-sim that damages, drops and delays its replies, and watches the probe's
// memory, descriptors and processor time from outside.
//
// usage: soak-probe --program-dir DIR --seconds N [--write-log FILE]
// prints: cycles=N exchanges=N read_failed=N write_failed=N write_done=N stalls=N
//         stray_readings=N writes_logged=N unasked_writes=N
// With --write-log (the simulator's --log-writes output), every write the inverter accepted must
// be one the visit asked for, value for value. The readings are looked at every second and must
// stay what the simulated unit measures. Exit status 1 when an exchange stalled, a reading
// strayed or a write was not asked for.

#include "app/form1.h"
#include "calibration/form2.h"
#include "language/language_form.h"
#include "link/numbers.h"
#include "link/text_numbers.h"
#include "platform/file_dialog.h"
#include "platform/language_store.h"
#include "platform/message_box.h"
#include "platform/modal_presenter.h"
#include "platform/process_list.h"
#include "platform/qt_serial_port.h"
#include "sim/inverter_simulator.h"
#include "tests/e2e/visit_plan.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace {

// No exchange of the visit takes longer than a configuration write of every group (five
// requests of 2.5 s); one that has not ended by then has stalled.
constexpr int ExchangeLimitMs = 30000;
constexpr int PollMs = 20;
constexpr int MonitorSpellMs = 10000;
constexpr int ReadingsWatchMs = 1000;

// Waits in the event loop, without spinning, until done() or the limit.
bool WaitUntil(const std::function<bool()> &done, int limitMs)
{
    if (done())
        return true;
    QEventLoop loop;
    QTimer poll;
    poll.setInterval(PollMs);
    const QDeadlineTimer deadline(limitMs);
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done() || deadline.hasExpired())
            loop.quit();
    });
    poll.start();
    loop.exec();
    return done();
}

// Every write the visit below may cause, as the inverter would record it. The names block goes
// back with the rated power and the names the tool last read, which are the inverter's own or
// the visit's.
std::vector<pv::visit::AskedWrite> AskedWrites()
{
    using namespace pv::visit;
    const pv::InverterSimulator factory;
    const auto ratedPower = factory.Register(pv::reg::RatedPower);
    Words factoryNames;
    for (std::uint16_t k = 0; k < pv::reg::NameLength; ++k)
        factoryNames.push_back(
            factory.Register(static_cast<std::uint16_t>(pv::reg::ModelName + k)));
    std::vector<AskedWrite> asked = IdentifierWrites(ratedPower);
    for (const auto &writes :
         {IdentifierWrites(EnteredRatedPower), ConfigurationWrites({factoryNames, EnteredNames()})})
        asked.insert(asked.end(), writes.begin(), writes.end());
    asked.push_back(CalibrationWrite());
    asked.push_back(OffsetWrite());
    return asked;
}

struct Counts
{
    int cycles = 0, exchanges = 0, readFailed = 0, writeFailed = 0, writeDone = 0, stalls = 0;
    int strayReadings = 0;
};

class Stand : public pv::MessageSink,
              public pv::ModalPresenter,
              public pv::ProcessList,
              public pv::FileDialogs
{
public:
    std::optional<std::filesystem::path> SaveFileName(const QString &, const QString &) override
    {
        return std::nullopt;
    }
    std::optional<std::filesystem::path> OpenFileName(const QString &, const QString &) override
    {
        return std::nullopt;
    }
    void ShowMessage(const QString &text) override { shown.push_back(text); }
    void ShowModal(QDialog &dialog) override
    {
        if (whileOpen)
            whileOpen(dialog);
    }
    std::vector<std::string> ExecutableNames() const override { return {}; }

    std::vector<QString> shown;
    std::function<void(QDialog &)> whileOpen;
};

class Visit
{
public:
    Visit(pv::Form1 &form, Stand &stand, Counts &counts)
        : form_(form), stand_(stand), counts_(counts)
    {}

    void Once()
    {
        Identifiers();
        Configuration();
        Calibration();
        Menu(pv::MenuAbout, [](QDialog &about) { about.reject(); });
        // English and Korean by turns, so the captions change every cycle.
        const int language = counts_.cycles % 2 == 0 ? 11 : 0;
        Menu(pv::MenuLanguage, [&](QDialog &picker) {
            dynamic_cast<pv::LanguageForm &>(picker).Picture1().at(language)->click();
            picker.reject();
        });
        WaitUntil([] { return false; }, MonitorSpellMs);
        ++counts_.cycles;
    }

private:
    const pv::Form1Controls &ui() { return form_.Controls(); }
    bool Monitoring()
    {
        return form_.Machine().State() == pv::ExchangeState::Monitor && ui().Timer1->isActive();
    }
    // Runs one exchange of the main window and counts how it ended.
    void Exchange(int button)
    {
        if (!WaitUntil([&] { return Monitoring(); }, ExchangeLimitMs)) {
            ++counts_.stalls;
            return;
        }
        const std::size_t before = stand_.shown.size();
        form_.Command1_Click(button);
        ++counts_.exchanges;
        // A refused entry starts nothing; an exchange is handed over on the next monitor tick
        // and hands back to monitoring when it ends.
        if (form_.Machine().State() != pv::ExchangeState::Monitor
            && !WaitUntil([&] { return Monitoring(); }, ExchangeLimitMs))
            ++counts_.stalls;
        Tally(before);
    }
    void Tally(std::size_t before)
    {
        for (std::size_t i = before; i < stand_.shown.size(); ++i) {
            const QString &text = stand_.shown[i];
            counts_.readFailed += text == form_.LanguageText(pv::text::ReadFailed);
            counts_.writeFailed += text == form_.LanguageText(pv::text::WriteFailed);
            counts_.writeDone += text == form_.LanguageText(pv::text::WriteDone);
        }
    }
    void Menu(int entry, std::function<void(QDialog &)> inside)
    {
        stand_.whileOpen = std::move(inside);
        form_.Label16_MouseDown(entry, pv::LeftButton, 0, 0, 0);
        stand_.whileOpen = nullptr;
    }

    void Identifiers()
    {
        Menu(pv::MenuIdentifiers, nullptr);
        Exchange(pv::visit::IdentifyReadButton);
        pv::visit::EnterIdentifiers(ui());
        Exchange(pv::visit::IdentifyWriteButton);
    }

    void Configuration()
    {
        Menu(pv::MenuConfigurations, nullptr);
        Exchange(pv::visit::ConfigurationReadButton);
        pv::visit::ChooseAustralia(ui());
        pv::visit::EnterConfiguration(ui());
        Exchange(pv::visit::ConfigurationWriteButton);
    }

    void Calibration()
    {
        if (!WaitUntil([&] { return Monitoring(); }, ExchangeLimitMs)) {
            ++counts_.stalls;
            return;
        }
        bool opened = false;
        stand_.whileOpen = [&](QDialog &window) {
            opened = true;
            auto &calibration = dynamic_cast<pv::Form2 &>(window);
            pv::Form2Controls &u = calibration.Controls();
            const auto run = [&](const std::function<void()> &click) {
                const std::size_t before = stand_.shown.size();
                click();
                ++counts_.exchanges;
                if (!WaitUntil([&] { return !u.Timer1->isActive(); }, ExchangeLimitMs))
                    ++counts_.stalls;
                Tally(before);
            };
            run([&] { calibration.Command2_Click(); }); // read
            pv::visit::EnterMeasurements(calibration);
            run([&] { calibration.Command1_Click(); });
            pv::visit::StepOffset(calibration);
            run([&] { calibration.Command5_Click(); });
            window.reject();
        };
        form_.Label16_MouseDown(pv::MenuCalibration, pv::LeftButton, 0, 0, 0);
        if (!WaitUntil([&] { return opened && Monitoring(); }, ExchangeLimitMs))
            ++counts_.stalls;
        stand_.whileOpen = nullptr;
    }

    pv::Form1 &form_;
    Stand &stand_;
    Counts &counts_;
};

// Writes the inverter recorded that the visit never asked for.
std::pair<int, int> CheckWriteLog(const std::string &path)
{
    const std::vector<pv::visit::AskedWrite> asked = AskedWrites();
    std::ifstream log(path);
    int logged = 0, unasked = 0;
    for (std::string line; std::getline(log, line);) {
        const auto record = pv::ParseWriteRecord(line);
        if (!record)
            continue;
        ++logged;
        if (std::ranges::none_of(asked, [&](const auto &a) { return a.Matches(*record); })) {
            ++unasked;
            std::fprintf(stderr, "soak-probe: unasked write: %s\n", line.c_str());
        }
    }
    return {logged, unasked};
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    std::filesystem::path programDir;
    std::string writeLog;
    double seconds = 60;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string name = argv[i];
        if (name == "--program-dir")
            programDir = argv[i + 1];
        else if (name == "--seconds")
            seconds = std::stod(argv[i + 1]);
        else if (name == "--write-log")
            writeLog = argv[i + 1];
    }
    if (programDir.empty()) {
        std::fprintf(stderr,
                     "usage: soak-probe --program-dir DIR --seconds N [--write-log FILE]\n");
        return 2;
    }

    pv::QtSerialPort port(programDir);
    Stand stand;
    const auto languageStore = pv::MakeSqliteLanguageStore(programDir / "DataBase" / "Language.db");
    pv::ServiceSession session(port);
    pv::Form1 form(pv::Form1Services{port, session, stand, stand, stand, *languageStore, stand,
                                     programDir, pv::NumberFormat{}});
    if (!form.Form_Load())
        return 1;
    form.show();
    form.Controls().Combo1->setCurrentIndex(0); // COM1
    emit form.Controls().Combo1->activated(0);
    if (!port.IsOpen())
        return 1;

    Counts counts;
    Visit visit(form, stand, counts);
    const auto end = std::chrono::steady_clock::now()
                     + std::chrono::milliseconds(static_cast<long long>(seconds * 1000));
    // The first cycle starts once the firmware version has been accepted and readings show;
    // from then on they are looked at every second.
    WaitUntil([&] { return pv::visit::StrayReadings(form.Controls()).empty(); }, ExchangeLimitMs);
    QTimer readingsWatch;
    QObject::connect(&readingsWatch, &QTimer::timeout, &form, [&] {
        if (!pv::visit::StrayReadings(form.Controls()).empty()) {
            ++counts.strayReadings;
            std::fprintf(stderr, "soak-probe: stray readings, AC %s V %s Hz\n",
                         form.Controls().Label2[3]->text().toStdString().c_str(),
                         form.Controls().Label2[4]->text().toStdString().c_str());
        }
    });
    readingsWatch.start(ReadingsWatchMs);
    while (std::chrono::steady_clock::now() < end)
        visit.Once();

    const auto [logged, unasked] = writeLog.empty() ? std::pair{0, 0} : CheckWriteLog(writeLog);
    std::printf("cycles=%d exchanges=%d read_failed=%d write_failed=%d write_done=%d stalls=%d "
                "stray_readings=%d writes_logged=%d unasked_writes=%d\n",
                counts.cycles, counts.exchanges, counts.readFailed, counts.writeFailed,
                counts.writeDone, counts.stalls, counts.strayReadings, logged, unasked);
    return counts.stalls == 0 && counts.strayReadings == 0 && unasked == 0 ? 0 : 1;
}
