// The whole link, end to end: the main window with its real serial port on a pseudo-terminal
// served by the inverter-sim program, real timers, the shipped settings files and the built
// language database. Only message boxes, modal windows and the process list are recorded.

#include "app/form1.h"
#include "link/numbers.h"
#include "platform/language_store.h"
#include "platform/message_box.h"
#include "platform/modal_presenter.h"
#include "platform/process_list.h"
#include "platform/qt_serial_port.h"

#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#ifndef PV_BUILT_PROGRAM_DIR
#error "PV_BUILT_PROGRAM_DIR must name the program folder of the build"
#endif
#ifndef PV_SIMULATOR_PROGRAM
#error "PV_SIMULATOR_PROGRAM must name the inverter-sim executable"
#endif

namespace pv {
namespace {

namespace fs = std::filesystem;

// Real time only bounds the waits; nothing asserts on speed. A cycle of the monitor is six
// ticks of 350 ms; the bounds leave room for a loaded machine.
constexpr int SimulatorStartLimitMs = 10000;
constexpr int TwoCyclesLimitMs = 20000;
constexpr int LinkLossLimitMs = 10000;
// Long enough for a stopped cycle to show a second message if it wrongly went on.
constexpr int QuietPeriodMs = 2 * 6 * MonitorIntervalMs;

constexpr int Com1ListIndex = 0;
constexpr int StatusVersionRefused = 151;
constexpr int StatusNoReply = 122;
constexpr int StatusLinkGood = 123;
constexpr int MessageVersionRefused = 151;

class RecordingMessages : public MessageSink
{
public:
    void ShowMessage(const QString &text) override { shown.push_back(text); }
    std::vector<QString> shown;
};

class NoModalWindows : public ModalPresenter
{
public:
    void ShowModal(QDialog &) override { ++shown; }
    int shown = 0;
};

class NoSelfTestRunning : public ProcessList
{
public:
    std::vector<std::string> ExecutableNames() const override { return {"bash"}; }
};

double ShownNumber(const QLabel *label)
{
    return NumericPrefixValue(label->text().toStdString());
}

class Form1LinkTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder_.isValid());
        program_ = folder_.path().toStdString();
        const fs::path built = PV_BUILT_PROGRAM_DIR;
        for (const char *name : {"InitSet.txt", "LanguageSet.txt", "CountryParameter.txt"})
            fs::copy_file(built / name, program_ / name);
        fs::create_directories(program_ / "DataBase");
        fs::copy_file(built / "DataBase" / "Language.db", program_ / "DataBase" / "Language.db");

        port_ = std::make_unique<QtSerialPort>(program_);
        languageStore_ = MakeSqliteLanguageStore(program_ / "DataBase" / "Language.db");
        form_ = std::make_unique<Form1>(Form1Services{*port_, messages_, presenter_, processes_,
                                                      *languageStore_, program_, NumberFormat{}});
        ASSERT_TRUE(form_->Form_Load());
        ASSERT_TRUE(messages_.shown.empty());
    }

    void TearDown() override
    {
        form_.reset(); // stops the timers before the port goes
        StopSimulator();
    }

    fs::path Com1Link() const { return program_ / "ports" / "COM1"; }

    // Starts inverter-sim on COM1 of the temporary program folder and waits for its link.
    void StartSimulator(const QStringList &extra = {})
    {
        sim_ = std::make_unique<QProcess>();
        sim_->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        QStringList arguments{"--port", "COM1", "--program-dir",
                              QString::fromStdString(program_.string())};
        arguments += extra;
        sim_->start(QStringLiteral(PV_SIMULATOR_PROGRAM), arguments);
        ASSERT_TRUE(sim_->waitForStarted(SimulatorStartLimitMs)) << "inverter-sim did not start";
        // The link appears once the pseudo-terminal is served.
        ASSERT_TRUE(QTest::qWaitFor(
            [&] {
                std::error_code ec;
                return fs::exists(Com1Link(), ec);
            },
            SimulatorStartLimitMs))
            << "inverter-sim made no ports/COM1";
    }

    void StopSimulator()
    {
        if (!sim_)
            return;
        sim_->terminate();
        if (!sim_->waitForFinished(SimulatorStartLimitMs)) {
            sim_->kill();
            sim_->waitForFinished(SimulatorStartLimitMs);
        }
        sim_.reset();
    }

    void ChooseCom1()
    {
        ui().Combo1->setCurrentIndex(Com1ListIndex);
        emit ui().Combo1->activated(Com1ListIndex);
    }

    Form1Controls &ui() { return form_->Controls(); }
    QString StatusCaption() { return ui().Label1->text(); }
    QColor LampPixel() { return ui().Picture1->Canvas().pixelColor(13, 13); }
    bool LampGood() { return LampPixel().blue() > LampPixel().red(); }
    bool LampBad() { return LampPixel().red() > LampPixel().blue(); }

    // The readings panel shows what the simulated unit measures (a healthy 3.6 kW unit on a
    // sunny afternoon, energy counter from 12345 kWh), not the zeros of a panel never filled.
    bool ShowsSimulatorReadings()
    {
        const auto &label = ui().Label2;
        const double inputA = ShownNumber(label[0]);
        const double inputB = ShownNumber(label[1]);
        const double dcBus = ShownNumber(label[2]);
        const double acVoltage = ShownNumber(label[3]);
        const double frequency = ShownNumber(label[4]);
        const double acCurrent = ShownNumber(label[7]);
        const double energy = ShownNumber(label[8]);
        const double efficiency = ShownNumber(label[9]);
        return inputA > 300 && inputA < 370 && inputB > 320 && inputB < 380 && dcBus > 370
               && dcBus < 390 && acVoltage > 225 && acVoltage < 235 && frequency > 49.8
               && frequency < 50.2 && acCurrent > 5 && acCurrent < 25 && energy >= 12345
               && energy < 12500 && efficiency > 90 && efficiency < 99
               && label[9]->text().endsWith('%');
    }

    QTemporaryDir folder_;
    fs::path program_;
    RecordingMessages messages_;
    NoModalWindows presenter_;
    NoSelfTestRunning processes_;
    std::unique_ptr<QtSerialPort> port_;
    std::unique_ptr<LanguageStore> languageStore_;
    std::unique_ptr<Form1> form_;
    std::unique_ptr<QProcess> sim_;
};

TEST_F(Form1LinkTest, ChoosingCom1PassesVersionCheckAndShowsReadings)
{
    StartSimulator();
    ChooseCom1();
    ASSERT_TRUE(port_->IsOpen());
    EXPECT_EQ(form_->Machine().State(), ExchangeState::CheckOperatingVersion);
    EXPECT_FALSE(ui().Command1[0]->isEnabled()) << "locked during the version check";

    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            return form_->Machine().State() == ExchangeState::Monitor && ShowsSimulatorReadings();
        },
        TwoCyclesLimitMs))
        << "state " << ExchangeStateText(form_->Machine().State()) << ", AC_V "
        << ui().Label2[3]->text().toStdString() << ", KWH " << ui().Label2[8]->text().toStdString();

    EXPECT_EQ(form_->Machine().StatusTextNumber(), StatusLinkGood);
    EXPECT_EQ(StatusCaption(), form_->LanguageText(StatusLinkGood));
    EXPECT_TRUE(LampGood());
    EXPECT_TRUE(ui().Command1[0]->isEnabled()) << "unlocked once the version passed";
    EXPECT_TRUE(ui().Timer1->isActive());
    EXPECT_FALSE(ui().Timer2->isActive());
    EXPECT_FALSE(ui().Timer3->isActive());
    EXPECT_TRUE(messages_.shown.empty());
}

TEST_F(Form1LinkTest, RefusedVersionStopsCycleWithMessage151)
{
    // Positions 3..8 "000811": the first refused firmware.
    StartSimulator({"--version", "00000811"});
    ChooseCom1();

    ASSERT_TRUE(QTest::qWaitFor([&] { return !messages_.shown.empty(); }, TwoCyclesLimitMs))
        << "no message; status " << StatusCaption().toStdString();
    EXPECT_EQ(messages_.shown.front(), form_->LanguageText(MessageVersionRefused));
    EXPECT_FALSE(ui().Timer1->isActive());
    EXPECT_EQ(form_->Machine().State(), ExchangeState::CheckOperatingVersion);
    EXPECT_EQ(form_->Machine().StatusTextNumber(), StatusVersionRefused);
    EXPECT_EQ(StatusCaption(), form_->LanguageText(StatusVersionRefused));
    EXPECT_TRUE(LampBad());
    EXPECT_FALSE(ui().Command1[0]->isEnabled()) << "controls stay locked";

    QTest::qWait(QuietPeriodMs);
    EXPECT_EQ(messages_.shown.size(), 1u) << "the message is shown once";
    EXPECT_FALSE(ui().Timer1->isActive());
}

TEST_F(Form1LinkTest, StoppedSimulatorGivesBadLampAndRestartBringsReadingsBack)
{
    StartSimulator();
    ChooseCom1();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            return form_->Machine().State() == ExchangeState::Monitor && ShowsSimulatorReadings();
        },
        TwoCyclesLimitMs));

    StopSimulator();
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return form_->Machine().StatusTextNumber() == StatusNoReply; }, LinkLossLimitMs))
        << "status " << StatusCaption().toStdString();
    EXPECT_EQ(StatusCaption(), form_->LanguageText(StatusNoReply));
    EXPECT_TRUE(LampBad());
    EXPECT_TRUE(port_->IsOpen()) << "the port stays chosen";
    EXPECT_FALSE(port_->DeviceOpen()) << "the vanished device is let go";
    EXPECT_TRUE(ui().Timer1->isActive()) << "the cycle goes on polling";

    StartSimulator();
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return form_->Machine().StatusTextNumber() == StatusLinkGood; }, TwoCyclesLimitMs))
        << "status " << StatusCaption().toStdString();
    EXPECT_TRUE(LampGood());
    EXPECT_TRUE(port_->DeviceOpen());
    EXPECT_EQ(form_->Machine().State(), ExchangeState::Monitor);
    EXPECT_TRUE(ShowsSimulatorReadings());
    EXPECT_TRUE(messages_.shown.empty()) << "no port was chosen again, nothing went wrong";
}

} // namespace
} // namespace pv
