// The whole link, end to end: the main window with its real serial port on a pseudo-terminal
// served by the inverter-sim program, real timers, the shipped settings files and the built
// language database. Only message boxes, modal windows and the process list are stand-ins.
#include "app/form1.h"
#include "link/numbers.h"
#include "platform/language_store.h"
#include "platform/message_box.h"
#include "platform/modal_presenter.h"
#include "platform/process_list.h"
#include "platform/qt_serial_port.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <chrono>
#include <filesystem>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace pv {
namespace {

namespace fs = std::filesystem;

// Bounds every wait; nothing asserts on speed. A monitor cycle is six ticks of 350 ms, and the
// bound leaves room for a loaded machine.
constexpr int LimitMs = 20000;
constexpr int LinkGood = 123, NoReply = 122, VersionRefused = 151;

struct Stand : MessageSink, ModalPresenter, ProcessList
{
    void ShowMessage(const QString &text) override { shown.push_back(text); }
    void ShowModal(QDialog &) override {}
    std::vector<std::string> ExecutableNames() const override { return {"bash"}; }
    std::vector<QString> shown;
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
        form_ = std::make_unique<Form1>(Form1Services{port_, stand_, stand_, stand_,
                                                      *languageStore_, program_, NumberFormat{}});
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

    Form1Controls &ui() { return form_->Controls(); }
    bool Shows(int status, bool goodLamp)
    {
        const QColor lamp = ui().Picture1->Canvas().pixelColor(13, 13);
        return form_->Machine().StatusTextNumber() == status
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
                return Shows(LinkGood, true) && shown(3) > 225 && shown(3) < 235 && shown(4) > 49.8
                       && shown(4) < 50.2 && shown(8) >= 12345 && shown(8) < 12500;
            },
            LimitMs);
    }
    std::string Seen() { return ui().Label1->text().toStdString(); }

    QTemporaryDir folder_;
    fs::path program_ = folder_.path().toStdString();
    Stand stand_;
    QtSerialPort port_{program_};
    std::unique_ptr<LanguageStore> languageStore_;
    std::unique_ptr<Form1> form_;
    QProcess sim_;
};

// Processor time of this process (the window and its port; the simulator is a child), and its
// open file descriptors.
std::chrono::microseconds CpuTime()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto micros = [](const timeval &t) {
        return std::chrono::seconds(t.tv_sec) + std::chrono::microseconds(t.tv_usec);
    };
    return micros(usage.ru_utime) + micros(usage.ru_stime);
}
std::ptrdiff_t OpenDescriptors()
{
    return std::distance(fs::directory_iterator("/proc/self/fd"), fs::directory_iterator{});
}

// The same window on a plain line and on a two-wire RS-485 adapter that echoes every request.
struct LineCase
{
    const char *name;
    QStringList options;
};
class Form1LinkLine : public Form1LinkTest, public ::testing::WithParamInterface<LineCase>
{
};

TEST_P(Form1LinkLine, ChoosingCom1PassesVersionCheckAndShowsReadings)
{
    StartSimulator(GetParam().options);
    ASSERT_TRUE(port_.IsOpen());
    EXPECT_EQ(form_->Machine().State(), ExchangeState::CheckOperatingVersion);
    EXPECT_TRUE(WaitGoodWithReadings()) << Seen();
    EXPECT_TRUE(stand_.shown.empty());
}

INSTANTIATE_TEST_SUITE_P(Lines, Form1LinkLine,
                         ::testing::Values(LineCase{"Plain", {}},
                                           LineCase{"EchoingAdapter", {"--echo"}}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(Form1LinkTest, RefusedVersionStopsCycleWithMessage151Once)
{
    StartSimulator({"--version", "00000811"}); // positions 3..8 "000811": a refused firmware
    ASSERT_TRUE(QTest::qWaitFor([&] { return !stand_.shown.empty(); }, LimitMs)) << Seen();
    EXPECT_EQ(stand_.shown.front(), form_->LanguageText(VersionRefused));
    EXPECT_TRUE(Shows(VersionRefused, false)) << Seen();
    QTest::qWait(2 * 6 * MonitorIntervalMs); // a cycle that went on would show it again
    EXPECT_EQ(stand_.shown.size(), 1u) << "the message is shown once";
    EXPECT_FALSE(ui().Timer1->isActive());
}

TEST_F(Form1LinkTest, StoppedSimulatorGivesBadLampAndRestartBringsReadingsBack)
{
    StartSimulator();
    ASSERT_TRUE(WaitGoodWithReadings()) << Seen();
    StopSimulator();
    EXPECT_TRUE(QTest::qWaitFor([&] { return Shows(NoReply, false); }, LimitMs)) << Seen();
    EXPECT_TRUE(port_.IsOpen()) << "the port stays chosen";
    EXPECT_TRUE(ui().Timer1->isActive()) << "the cycle goes on polling";
    StartSimulator({}, false); // no new port choice
    EXPECT_TRUE(WaitGoodWithReadings()) << Seen();
    EXPECT_TRUE(stand_.shown.empty());
}

// The cable pulled and plugged back ten times: the simulator ends (taking its ports/COM1 link
// with it) and starts again. Each time the readings return without a new port choice, the
// window does not spin while the device is gone, and nothing is left open afterwards.
TEST_F(Form1LinkTest, TenPulledCablesRecoverWithoutSpinningOrLeakingDescriptors)
{
    constexpr auto Gap = std::chrono::milliseconds(1500);
    constexpr double BusyShareLimit = 0.3; // a bound against spinning, not a speed goal
    StartSimulator();
    ASSERT_TRUE(WaitGoodWithReadings()) << Seen();
    const auto descriptors = OpenDescriptors();
    for (int pull = 1; pull <= 10; ++pull) {
        SCOPED_TRACE("pull " + std::to_string(pull));
        const auto wallStart = std::chrono::steady_clock::now();
        const auto cpuStart = CpuTime();
        StopSimulator();
        ASSERT_FALSE(fs::exists(fs::symlink_status(program_ / "ports" / "COM1")));
        EXPECT_TRUE(QTest::qWaitFor([&] { return Shows(NoReply, false); }, LimitMs)) << Seen();
        const auto waited = std::chrono::steady_clock::now() - wallStart;
        if (waited < Gap)
            QTest::qWait(static_cast<int>(
                std::chrono::duration_cast<std::chrono::milliseconds>(Gap - waited).count()));
        const auto wall = std::chrono::steady_clock::now() - wallStart;
        const double busyShare = std::chrono::duration<double>(CpuTime() - cpuStart).count()
                                 / std::chrono::duration<double>(wall).count();
        EXPECT_LT(busyShare, BusyShareLimit) << "processor time while the device was gone";

        StartSimulator({}, false);
        ASSERT_TRUE(WaitGoodWithReadings()) << Seen();
    }
    EXPECT_EQ(OpenDescriptors(), descriptors);
    EXPECT_TRUE(port_.IsOpen());
    EXPECT_TRUE(stand_.shown.empty());
}

} // namespace
} // namespace pv
