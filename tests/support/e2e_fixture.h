#pragma once
// The whole link, end to end: the main window with its real serial port on a pseudo-terminal
// served by the inverter-sim program, real timers, the shipped settings files and the built
// language database. Only message boxes, modal windows and the process list are stand-ins.

#include "app/form1.h"
#include "link/numbers.h"
#include "link/text_numbers.h"
#include "platform/file_dialog.h"
#include "platform/language_store.h"
#include "platform/message_box.h"
#include "platform/modal_presenter.h"
#include "platform/process_list.h"
#include "platform/qt_serial_port.h"
#include "record/service_recorder.h"
#include "sim/inverter_simulator.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace pv::test {

namespace fs = std::filesystem;

// Bounds every wait; nothing asserts on speed. A monitor cycle is six ticks of 350 ms, and the
// bound leaves room for a loaded machine.
constexpr int LimitMs = 20000;

// Messages are recorded; a modal window is handed to whileOpen (which may act in it and
// close it) and otherwise closed at once.
struct Stand : MessageSink, ModalPresenter, ProcessList, FileDialogs
{
    std::optional<fs::path> SaveFileName(const QString &, const QString &) override
    {
        return std::exchange(file, std::nullopt);
    }
    std::optional<fs::path> OpenFileName(const QString &, const QString &) override
    {
        return std::exchange(file, std::nullopt);
    }
    std::optional<fs::path> file; // the next file dialog's answer; nothing is Cancel
    void ShowMessage(const QString &text) override { shown.push_back(text); }
    // A question is recorded and answered No.
    bool Ask(const QString &text) override
    {
        shown.push_back(text);
        return false;
    }
    void ShowModal(QDialog &dialog) override
    {
        if (whileOpen)
            whileOpen(dialog);
    }
    std::vector<std::string> ExecutableNames() const override { return {"bash"}; }
    std::vector<QString> shown;
    std::function<void(QDialog &)> whileOpen;
};

class Form1LinkTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        fs::create_directories(program_ / "DataBase");
        for (const char *name :
             {"InitSet.txt", "LanguageSet.txt", "CountryParameter.txt", "DataBase/Language.db"})
            fs::copy_file(fs::path(PV_BUILT_PROGRAM_DIR) / name, program_ / name);
        languageStore_ = MakeSqliteLanguageStore(program_ / "DataBase" / "Language.db");
        form_ = std::make_unique<Form1>(Form1Services{.port = port_,
                                                      .session = session_,
                                                      .messages = stand_,
                                                      .presenter = stand_,
                                                      .processes = stand_,
                                                      .languageStore = *languageStore_,
                                                      .files = stand_,
                                                      .programFolder = program_,
                                                      .numberFormat = NumberFormat{},
                                                      .recorder = &recorder_});
        ASSERT_TRUE(form_->Form_Load());
    }
    void TearDown() override { StopSimulator(); }

    // Starts inverter-sim on COM1 of the temporary program folder, waits for its link and
    // chooses COM1 unless the port is already chosen.
    void StartSimulator(const QStringList &extra = {}, bool choose = true)
    {
        sim_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        sim_.start(QStringLiteral(PV_SIMULATOR_PROGRAM),
                   QStringList{"--port", "COM1", "--program-dir",
                               QString::fromStdString(program_.string())}
                       + extra);
        ASSERT_TRUE(sim_.waitForStarted(LimitMs)) << "inverter-sim did not start";
        // A link left by a stopped simulator leads nowhere and does not count.
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return fs::exists(program_ / "ports" / "COM1"); }, LimitMs))
            << "inverter-sim made no ports/COM1";
        if (choose)
            ui().Combo1->setCurrentIndex(0), emit ui().Combo1->activated(0);
    }
    void StopSimulator() { sim_.terminate(), sim_.waitForFinished(LimitMs); }

    const Form1Controls &ui() { return form_->Controls(); }
    bool Shows(int status, bool goodLamp)
    {
        const QColor lamp = ui().Picture1->Canvas().pixelColor(13, 13);
        return form_->StatusTextNumber() == status
               && ui().Label1->text() == form_->LanguageText(status)
               && (lamp.blue() > lamp.red()) == goodLamp;
    }
    // Status 123 with the good lamp and what the simulated unit measures (a healthy 3.6 kW unit
    // on a sunny afternoon, energy counter from 12345 kWh), not the zeros of an unfilled panel.
    bool WaitGoodWithReadings()
    {
        const auto shown
            = [&](int i) { return NumericPrefixValue(ui().Label2[i]->text().toStdString()); };
        return QTest::qWaitFor(
            [&] {
                return Shows(text::LinkGood, true) && shown(3) > 225 && shown(3) < 235
                       && shown(4) > 49.8 && shown(4) < 50.2 && shown(8) >= 12345
                       && shown(8) < 12500;
            },
            LimitMs);
    }
    std::string Seen() { return ui().Label1->text().toStdString(); }
    // Lets the records taken so far reach the database, and their answers the window (a write
    // says "done" once its record is committed).
    void SettleRecords()
    {
        EXPECT_TRUE(recorder_.WaitUntilWritten(LimitMs)) << "the service record hangs";
        QCoreApplication::processEvents();
    }
    // Monitoring, with the panels' exchanges free to start.
    bool Monitoring()
    {
        return form_->Machine().State() == ExchangeState::Monitor && ui().Timer1->isActive();
    }
    // The event loop serves a zero-delay timer within the bound: the window has not frozen.
    bool Responds()
    {
        constexpr int ResponseBoundMs = 2000;
        const auto served = std::make_shared<bool>(false);
        QTimer::singleShot(0, form_.get(), [served] { *served = true; });
        return QTest::qWaitFor([&] { return *served; }, ResponseBoundMs);
    }
    // The limits grid Text7(0..13) and the flag boxes Check2(0..7) as "0"/"1", box 0 first.
    std::vector<std::string> Limits()
    {
        std::vector<std::string> texts;
        for (TextBox *box : ui().Text7)
            texts.push_back(box->text().toStdString());
        return texts;
    }
    std::string Flags()
    {
        std::string flags;
        for (QCheckBox *box : ui().Check2)
            flags += box->isChecked() ? '1' : '0';
        return flags;
    }
    // Every write the simulator has printed so far (started with --log-writes), oldest first.
    const std::vector<WriteRecord> &SimulatorWrites()
    {
        ReadSimulatorOutput();
        return simWrites_;
    }
    // How often each kind of fault has struck (started with --log-faults), by its name.
    const std::map<std::string, int> &SimulatorFaults()
    {
        ReadSimulatorOutput();
        return simFaults_;
    }
    void ReadSimulatorOutput()
    {
        constexpr std::string_view FaultLine = "fault ";
        simOutput_ += sim_.readAllStandardOutput().toStdString();
        for (auto end = simOutput_.find('\n'); end != std::string::npos;
             end = simOutput_.find('\n')) {
            const std::string_view line = std::string_view(simOutput_).substr(0, end);
            if (auto record = ParseWriteRecord(line))
                simWrites_.push_back(std::move(*record));
            else if (line.starts_with(FaultLine))
                ++simFaults_[std::string(line.substr(
                    FaultLine.size(), line.find(' ', FaultLine.size()) - FaultLine.size()))];
            simOutput_.erase(0, end + 1);
        }
    }

    QTemporaryDir folder_;
    fs::path program_ = folder_.path().toStdString();
    Stand stand_;
    QtSerialPort port_{program_};
    ServiceSession session_{port_}; // outlives the window, as in main()
    ServiceRecorder recorder_{session_, program_ / ServiceRecordFile};
    std::unique_ptr<LanguageStore> languageStore_;
    std::unique_ptr<Form1> form_;
    QProcess sim_;
    std::string simOutput_; // printed, not yet a whole line
    std::vector<WriteRecord> simWrites_;
    std::map<std::string, int> simFaults_;
};

} // namespace pv::test
