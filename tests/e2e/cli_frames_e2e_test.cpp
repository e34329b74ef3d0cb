// The same configuration write from the window and from the command line puts the same frames
// on the line at the same spacing: both are clients of one service session, with its step
// timers. Each writes the rated power and the Country group of the shipped example for Germany
// (three frames, the first carrying the names the monitor cycle read) to its own inverter-sim,
// both at once; the simulators log every write with the time it arrived.
#include "support/cli_fixture.h"
#include "support/e2e_fixture.h"

#include "settings/configuration.h"

#include <utility>

namespace pv {
namespace {

using namespace test;

// The write frames are 2500 ms apart: the 2000 ms each write is given for
// its answer, then the 500 ms before the next follows. Qt's coarse timers may fire each interval
// up to 5% early or late (up to 125 ms over the two), and a simulator notes a request within its
// 10 ms poll, so the same timers in two programs are apart by less than twice that. One tick
// more or less of any step timer moves a frame by at least 350 ms.
constexpr std::int64_t SpacingToleranceMs = 300;

class CliFramesTest : public Form1LinkTest
{
protected:
    CliRig cli_;
};

TEST_F(CliFramesTest, AConfigurationWriteFromTheCommandLineSendsTheWindowsFramesAtItsSpacing)
{
    const fs::path file = fs::path(PV_BUILT_PROGRAM_DIR) / "profiles" / "example-germany.pvcfg";
    StartSimulator({"--log-writes"});
    cli_.StartSimulator();
    ASSERT_TRUE(WaitGoodWithReadings()) << Seen();

    // The command line asks before it writes; its "y" is waiting on its standard input.
    QProcess command;
    cli_.Start(command, {"write-config", "--port", "COM1", QString::fromStdString(file.string()),
                         "--groups", "kw,country", "--json"});
    ASSERT_TRUE(command.waitForStarted(LimitMs));
    command.write("y\n");
    command.closeWriteChannel();

    // The window: the file loaded, the same groups ticked, Write.
    form_->Label16_MouseDown(MenuConfigurations, LeftButton, 0, 0, 0);
    stand_.file = file;
    form_->CommandLoad_Click();
    for (int group = 0; group < 4; ++group)
        ui().Check1[group]->setChecked(group == RatedPowerGroup || group == CountryGroup);
    stand_.shown.clear();
    form_->Command1_Click(2);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !stand_.shown.empty() && Monitoring(); }, LimitMs))
        << Seen();
    EXPECT_EQ(stand_.shown, std::vector<QString>{form_->LanguageText(text::WriteDone)});

    ASSERT_TRUE(QTest::qWaitFor([&] { return command.state() == QProcess::NotRunning; }, LimitMs));
    EXPECT_EQ(command.exitCode(), 0) << command.readAllStandardError().toStdString();
    const QJsonObject done = QJsonDocument::fromJson(command.readAllStandardOutput()).object();
    EXPECT_EQ(done["read_back"].toString(), "equal");

    // Frame by frame (function, first register, words), and the time from each to the next.
    const auto frames = [](const std::vector<WriteRecord> &writes) {
        std::vector<std::string> shown;
        std::vector<std::int64_t> spacing;
        for (const WriteRecord &write : writes) {
            shown.push_back(FormatWriteRecord({write.function, write.start, write.values, 0}));
            if (&write != &writes.front())
                spacing.push_back(write.timeMs - (&write - 1)->timeMs);
        }
        return std::pair(shown, spacing);
    };
    const auto [windowFrames, windowSpacing] = frames(SimulatorWrites());
    const auto [lineFrames, lineSpacing] = frames(cli_.SimulatorWrites());
    ASSERT_EQ(windowFrames.size(), 3u);
    EXPECT_EQ(lineFrames, windowFrames);
    ASSERT_EQ(lineSpacing.size(), windowSpacing.size());
    for (std::size_t i = 0; i < windowSpacing.size(); ++i) {
        EXPECT_NEAR(lineSpacing[i], windowSpacing[i], SpacingToleranceMs) << "frame " << i + 1;
        EXPECT_NEAR(windowSpacing[i], WriteStepIntervalMs + ReadStepIntervalMs, SpacingToleranceMs);
    }
}

} // namespace
} // namespace pv
