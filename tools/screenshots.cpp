// screenshots: the README's pictures of the real main window and calibration window, monitoring
// the in-process simulated inverter, in each language asked for. The clock and the windows'
// timers are driven by hand, so every picture shows the same moment of the same exchange.
// Pictures are taken with QWidget::grab, which paints the window itself: a modal window under a
// virtual X display can come out black in a screen capture, a grab never does.
//
// usage: screenshots PROGRAM_FOLDER OUTPUT_FOLDER LANGUAGE...
//   LANGUAGE is the picker's picture index and a name: 0:en 10:zh-Hans ...
// writes OUTPUT_FOLDER/<name>-monitor.png, <name>-configuration.png, <name>-calibration.png.
// The language choice goes to a scratch folder; the program folder is only read. Before the
// first picture the window monitors eight minutes from a fixed clock time, so that the trend
// has something to show.

#include "app/form1.h"
#include "calibration/form2.h"
#include "link/register_map.h"
#include "platform/language_store.h"
#include "platform/writable_folder.h"
#include "publish/mqtt_publisher.h"
#include "record/service_recorder.h"
#include "sim/simulated_port.h"
#include "tools/tool_surroundings.h"

#include <QApplication>
#include <QDate>
#include <QDateTime>
#include <QTemporaryDir>
#include <QTime>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// Enough hand ticks for any one exchange of the main window or the calibration window.
constexpr int TickLimit = 200;
// Monitor cycles before the pictures, so that every reading has been read at least once.
constexpr int MonitorTicks = 18;
// Monitoring before the pictures: eight minutes of Timer1 ticks.
constexpr int TrendTicks = 8 * 60 * 1000 / 350;
// Flag bits 0 (standard DC input, jbus) and country code 255.
constexpr std::uint16_t OwnSettingsCountryCode = 0x00FF;

// Stops a timer's ticks from reaching its window while it still counts as running, so the
// hand decides every tick and the clock it sees.
void Silence(std::initializer_list<QTimer *> timers)
{
    for (QTimer *timer : timers)
        timer->blockSignals(true);
}

class Session
{
public:
    Session(const fs::path &programFolder, const fs::path &writableFolder)
        : store_(pv::MakeSqliteLanguageStore(programFolder / "DataBase" / "Language.db")),
          form_(pv::Form1Services{.port = port_,
                                  .session = session_,
                                  .messages = around_,
                                  .presenter = around_,
                                  .processes = around_,
                                  .languageStore = *store_,
                                  .files = around_,
                                  .programFolder = programFolder,
                                  .numberFormat = pv::NumberFormat{},
                                  .wallClock = [this] { return clockStartMs_ + nowMs_; },
                                  .writableFolder = writableFolder,
                                  .recorder = &recorder_,
                                  .publisher = &publisher_})
    {
        Silence({ui().Timer1, ui().Timer2, ui().Timer3});
        // A unit on own settings (country code 255), whose limits the panel shows in full.
        inverter_.SetRegister(pv::reg::FlagsCountry, OwnSettingsCountryCode);
    }

    bool Start()
    {
        if (!form_.Form_Load())
            return false;
        form_.show();
        ui().Combo1->setCurrentIndex(0);
        emit ui().Combo1->activated(0);
        for (int i = 0; i < TrendTicks; ++i)
            TickMain();
        for (int i = 0; i < MonitorTicks; ++i)
            TickMain();
        return form_.Machine().State() == pv::ExchangeState::Monitor;
    }

    // One tick of whichever main timer runs, at its interval later.
    bool TickMain()
    {
        for (QTimer *timer : {ui().Timer1, ui().Timer2, ui().Timer3}) {
            if (!timer->isActive())
                continue;
            nowMs_ += timer->interval();
            if (timer == ui().Timer1)
                form_.Timer1_Timer();
            else if (timer == ui().Timer2)
                form_.Timer2_Timer();
            else
                form_.Timer3_Timer();
            return true;
        }
        return false;
    }

    // Ticks until the exchange started last has handed back to monitoring.
    void RunExchange()
    {
        TickMain(); // the monitor tick that hands over
        for (int i = 0; i < TickLimit && form_.Machine().State() != pv::ExchangeState::Monitor; ++i)
            TickMain();
        TickMain();
    }

    bool Picture(QWidget &window, const fs::path &file)
    {
        QApplication::processEvents();
        const bool saved = window.grab().save(QString::fromStdString(file.string()));
        if (!saved)
            std::fprintf(stderr, "screenshots: cannot write %s\n", file.string().c_str());
        else
            std::printf("%s\n", file.string().c_str());
        return saved;
    }

    void Menu(int entry) { form_.Label16_MouseDown(entry, pv::LeftButton, 0, 0, 0); }

    // The three pictures in the language of picture index `language`.
    bool Pictures(int language, const std::string &name, const fs::path &output)
    {
        form_.LanguagePicked(language);
        Menu(pv::MenuConnection);
        for (int i = 0; i < MonitorTicks; ++i)
            TickMain();
        bool ok = Picture(form_, output / (name + "-monitor.png"));

        Menu(pv::MenuConfigurations);
        form_.Command1_Click(3); // Read
        RunExchange();
        for (int i = 0; i < MonitorTicks; ++i)
            TickMain();
        // With own settings read, the entry lays out the whole limits grid.
        Menu(pv::MenuConfigurations);
        ok = Picture(form_, output / (name + "-configuration.png")) && ok;

        bool shown = false;
        around_.whileOpen = [&](QDialog &dialog) {
            auto &calibration = dynamic_cast<pv::Form2 &>(dialog);
            pv::Form2Controls &u = calibration.Controls();
            Silence({u.Timer1});
            calibration.show();
            calibration.Command2_Click(); // Read
            for (int i = 0; i < TickLimit && u.Timer1->isActive(); ++i) {
                nowMs_ += u.Timer1->interval();
                calibration.Timer1_Timer();
            }
            shown = Picture(calibration, output / (name + "-calibration.png"));
            calibration.reject();
        };
        Menu(pv::MenuCalibration);
        TickMain(); // the monitor tick that opens the window
        around_.whileOpen = [](QDialog &) {};
        Menu(pv::MenuConnection);
        return ok && shown;
    }

    int Messages() const { return around_.messages; }

private:
    const pv::Form1Controls &ui() { return form_.Controls(); }

    std::int64_t nowMs_ = 0;
    // The pictures show the same clock time whenever they are made.
    const std::int64_t clockStartMs_
        = QDateTime(QDate(2026, 6, 21), QTime(12, 0)).toMSecsSinceEpoch();
    pv::InverterSimulator inverter_;
    pv::SimulatedPort port_{inverter_, &nowMs_};
    pv::ServiceSession session_{port_}; // outlives the window, as in the program
    // The service record and the publisher, as the program has them: their buttons are live.
    QTemporaryDir records_;
    pv::ServiceRecorder recorder_{session_, records_.filePath("records.sqlite").toStdString()};
    pv::MqttPublisher publisher_{session_};
    ToolSurroundings around_{"screenshots"};
    std::unique_ptr<pv::LanguageStore> store_;
    pv::Form1 form_;
};

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (argc < 4) {
        std::fprintf(stderr, "usage: screenshots PROGRAM_FOLDER OUTPUT_FOLDER INDEX:NAME...\n");
        return 2;
    }
    const fs::path programFolder = argv[1], output = argv[2];
    fs::create_directories(output);
    QTemporaryDir scratch;
    const fs::path writable = scratch.path().toStdString();
    fs::copy_file(programFolder / pv::LanguageSetFile, writable / pv::LanguageSetFile);

    Session session(programFolder, writable);
    if (!session.Start()) {
        std::fprintf(stderr, "screenshots: the main window did not reach monitoring\n");
        return 1;
    }
    bool ok = true;
    for (int i = 3; i < argc; ++i) {
        const std::string language = argv[i];
        const auto colon = language.find(':');
        if (colon == std::string::npos) {
            std::fprintf(stderr, "screenshots: %s is not INDEX:NAME\n", language.c_str());
            return 2;
        }
        ok = session.Pictures(std::stoi(language.substr(0, colon)), language.substr(colon + 1),
                              output)
             && ok;
    }
    // A message box means an exchange failed, and the pictures would not show what they should.
    return ok && session.Messages() == 0 ? 0 : 1;
}
