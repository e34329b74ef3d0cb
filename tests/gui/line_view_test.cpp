// The line view of the main window against a scripted port: the frames on the wire stay what
// they are with it open, the Line button and F12, pause, clear, save, captions.

#include "app/line_view.h"
#include "settings/identifiers.h"
#include "support/form1_fixture.h"

#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QTest>

#include <fstream>
#include <functional>
#include <iterator>
#include <set>

namespace pv {
namespace {

using namespace test;
namespace fs = std::filesystem;

// Output power, voltage and the accepted operating version "V1000700".
const std::map<int, int> Registers{
    {0xC021, 230}, {0xC0BC, 0x5631}, {0xC0BD, 0x3030}, {0xC0BE, 0x3037}, {0xC0BF, 0x3030}};
constexpr int ScriptTicks = 24;
constexpr int IdentifyReadAtTick = 6; // once the version check has passed

// The exchange machine alone on a bare port: no recorder, no window.
struct BareHost : ExchangeHost
{
    Timers on{};
    void SetInputControlsEnabled(bool) override {}
    void SetTimerEnabled(MainTimer timer, bool enabled) override
    {
        on[static_cast<std::size_t>(timer) - 1] = enabled;
    }
    void SetTimerInterval(MainTimer, int) override {}
    void PaintLinkStatus(Lamp, int) override {}
    void ShowMessage(int) override {}
    void ShowIdentifierValues() override {}
    void ShowConfiguration() override {}
    bool ShowCalibrationValues() override { return true; }
    void OpenCalibrationWindow() override {}
    bool WriteGroupTicked(int) const override { return false; }
    void BuildIdentifyRequest(int step, Channel &channel) override
    {
        BuildIdentifyStepRequest(step, nullptr, channel);
    }
    void BuildConfigurationRequest(int, Channel &) override {}
};

// One full monitor cycle, then an identify read and monitoring again: the port's record of
// every Output and Input, each tick marked with the timer that ran it.
std::vector<std::string> RunScript(FakeSerialPort &port, const std::function<Timers()> &timers,
                                   const std::function<void(int)> &tick,
                                   const std::function<void()> &identifyRead,
                                   const std::function<void()> &afterTick)
{
    port.ClearRecord();
    for (int t = 0; t < ScriptTicks; ++t) {
        if (t == IdentifyReadAtTick)
            identifyRead();
        const Timers on = timers();
        const int timer = on[0] ? 1 : on[1] ? 2 : on[2] ? 3 : 0;
        port.log.push_back("tick " + std::to_string(t) + " Timer" + std::to_string(timer));
        if (timer != 0)
            tick(timer);
        afterTick();
    }
    return port.log;
}

class LineViewTest : public Form1Test
{
protected:
    void SetUp() override
    {
        port.responder = [](ByteView request) { return Answer(Registers, request); };
    }
    LineView &OpenView()
    {
        form->CommandLine_Click();
        return *form->LineWindow();
    }
    void Ticks(int n)
    {
        for (int i = 0; i < n; ++i)
            form->Timer1_Timer();
    }
    static QString Cell(LineView &view, int row, int column)
    {
        return view.Model().data(view.Model().index(row, column), Qt::DisplayRole).toString();
    }
};

TEST_F(LineViewTest, TheWireCarriesTheSameFramesAtTheSameTicksWithTheViewOpen)
{
    FakeSerialPort barePort;
    barePort.responder = port.responder;
    BareHost host;
    ValueStore store;
    ExchangeMachine bare(barePort, store, host);
    bare.SelectPort(0);
    const auto without = RunScript(
        barePort, [&host] { return host.on; },
        [&bare](int timer) {
            if (timer == 1)
                bare.MonitorExchangeStep();
            else if (timer == 2)
                bare.IdentifyExchangeStep();
            else
                bare.ConfigurationExchangeStep();
        },
        [&bare] { bare.PrepareIdentifyRead(); }, [] {});

    ASSERT_TRUE(Start());
    LineView &view = OpenView();
    ChoosePort(0);
    const auto with = RunScript(
        port, [this] { return TimersActive(); },
        [this](int timer) {
            if (timer == 1)
                form->Timer1_Timer();
            else if (timer == 2)
                form->Timer2_Timer();
            else
                form->Timer3_Timer();
        },
        [this] { form->Command1_Click(1); }, [&view] { view.Refresh(); });

    EXPECT_EQ(with, without);
    // The script did what it says: the identify read ran, and the recorder saw every request.
    EXPECT_NE(std::find(with.begin(), with.end(), "tick 7 Timer2"), with.end());
    const auto sent = std::count_if(with.begin(), with.end(),
                                    [](const std::string &line) { return line[0] == 'O'; });
    EXPECT_EQ(form->Line().Counters().requests, static_cast<std::uint64_t>(sent));
    // One row per request, and one per take or discard that found bytes.
    const auto found = std::count_if(with.begin(), with.end(), [](const std::string &line) {
        return line.starts_with("Input ") && !line.starts_with("Input 0 ");
    });
    EXPECT_EQ(view.Model().rowCount(), sent + found);
}

TEST_F(LineViewTest, TheLineButtonStandsInFreeSpaceAndF12OpensTheViewAnywhere)
{
    ASSERT_TRUE(Start());
    QPushButton *button = ui().CommandLine;
    ASSERT_EQ(button->parentWidget(), ui().Frame1[0]);
    const QRect place(LeftTwips(button), TopTwips(button), WidthTwips(button), HeightTwips(button));
    EXPECT_EQ(place, QRect(3600, 390, 780, 435));
    EXPECT_FALSE(button->geometry().intersects(ui().Combo1->geometry()));
    EXPECT_FALSE(button->geometry().intersects(ui().Label3->geometry()));
    EXPECT_TRUE(ui().Frame1[0]->rect().contains(button->geometry()));
    EXPECT_EQ(LeftTwips(ui().Combo1), 1380) << "no designed control moves";
    EXPECT_EQ(button->text(), Text(201));

    // The version check locks the panels' controls, not this button.
    ChoosePort(0);
    EXPECT_TRUE(button->isEnabled());
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    ui().Combo1->setFocus();
    QTest::keyClick(ui().Combo1, Qt::Key_F12);
    ASSERT_NE(form->LineWindow(), nullptr);
    EXPECT_TRUE(form->LineWindow()->isVisible());
    EXPECT_TRUE(form->LineWindow()->RefreshTimer()->isActive());
    form->LineWindow()->close();
    EXPECT_FALSE(form->LineWindow()->RefreshTimer()->isActive()) << "a closed view costs nothing";
    button->click();
    EXPECT_TRUE(form->LineWindow()->isVisible());
}

TEST_F(LineViewTest, CaptionsFollowTheLanguage)
{
    ASSERT_TRUE(Start());
    LineView &view = OpenView();
    form->LanguagePicked(2);
    EXPECT_EQ(view.windowTitle(), QStringLiteral("L3-201 - L3-0"));
    EXPECT_EQ(ui().CommandLine->text(), QStringLiteral("L3-201"));
    EXPECT_EQ(view.PauseButton()->text(), QStringLiteral("L3-202"));
    EXPECT_EQ(view.SaveButton()->text(), QStringLiteral("L3-204"));
    EXPECT_EQ(view.Model().headerData(MeaningColumn, Qt::Horizontal, Qt::DisplayRole),
              QStringLiteral("L3-208"));
}

TEST_F(LineViewTest, APausedListStaysAsItIsAndClearEmptiesItWhileTheCountersGoOn)
{
    ASSERT_TRUE(Start());
    ChoosePort(0);
    LineView &view = OpenView();
    Ticks(2);
    view.Refresh();
    ASSERT_EQ(view.Model().rowCount(), 2);
    view.PauseButton_Click(true);
    Ticks(2);
    view.Refresh();
    EXPECT_EQ(view.Model().rowCount(), 2);
    EXPECT_TRUE(view.CountersLabel()->text().startsWith(QStringLiteral("L1-222 2 2 ")))
        << "the counters stay live: " << view.CountersLabel()->text().toStdString();
    view.PauseButton_Click(false);
    EXPECT_EQ(view.Model().rowCount(), 4);

    view.ClearButton_Click();
    EXPECT_EQ(view.Model().rowCount(), 0);
    EXPECT_EQ(form->Line().Size(), 0u);
    Ticks(1);
    view.Refresh();
    EXPECT_EQ(view.Model().rowCount(), 1);
    EXPECT_EQ(form->Line().Counters().requests, 3u);
}

TEST_F(LineViewTest, AReplyTakenWhileAnExchangeWaitsIsListedAsNotFiled)
{
    ASSERT_TRUE(Start());
    ChoosePort(0);
    LineView &view = OpenView();
    Ticks(7); // the version check's cycle, and the next request
    form->Command1_Click(1);
    Ticks(1); // takes that request's reply, then hands over to the identify read
    ASSERT_EQ(form->Machine().State(), ExchangeState::IdentifyRead);
    view.Refresh();
    const int last = view.Model().rowCount() - 1;
    EXPECT_FALSE(view.Model().Entry(last).filed);
    // Texts without their marks show the figures after them; the round trip varies.
    const QString meaning = Cell(view, last, MeaningColumn);
    EXPECT_TRUE(meaning.startsWith(QStringLiteral("L1-209 0xC020 32 → L1-211, L1-221 69, ≤ ")))
        << meaning.toStdString();
    EXPECT_TRUE(meaning.endsWith(QStringLiteral(" ms · L1-218"))) << meaning.toStdString();
    EXPECT_EQ(form->Line().Counters().goodReplies, 3u) << "the dispatcher did not take it";
}

TEST_F(LineViewTest, TheListFollowsTheNewestEntryUnlessScrolledUp)
{
    ASSERT_TRUE(Start());
    ChoosePort(0);
    LineView &view = OpenView();
    QScrollBar *bar = view.List()->verticalScrollBar();
    Ticks(120);
    view.Refresh();
    QApplication::processEvents();
    ASSERT_GT(bar->maximum(), 0);
    EXPECT_EQ(bar->value(), bar->maximum());
    bar->setValue(0);
    Ticks(10);
    view.Refresh();
    QApplication::processEvents();
    EXPECT_EQ(bar->value(), 0);
}

// ---- saving ------------------------------------------------------------------------------------

std::string FileText(const fs::path &path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::set<fs::path> Listing(const fs::path &folder)
{
    std::set<fs::path> names;
    for (const auto &entry : fs::directory_iterator(folder))
        names.insert(entry.path());
    return names;
}

TEST_F(LineViewTest, SaveWritesExactlyTheListedEntries)
{
    ASSERT_TRUE(Start());
    ChoosePort(0);
    LineView &view = OpenView();
    Ticks(6);
    view.Refresh();
    view.PauseButton_Click(true);
    Ticks(4); // recorded, not listed
    ASSERT_EQ(view.Model().rowCount(), 6);

    const fs::path file = program / "line.txt";
    around.files.push_back(file);
    view.SaveButton_Click();
    EXPECT_TRUE(around.shown.empty());
    std::string expected;
    for (int row = 0; row < view.Model().rowCount(); ++row) {
        QStringList cells;
        for (int column = 0; column < LineColumnCount; ++column)
            cells << Cell(view, row, column);
        expected += cells.join(QLatin1Char('\t')).toStdString() + "\r\n";
    }
    EXPECT_EQ(FileText(file), expected);
    EXPECT_NE(expected.find("FF 03 C0 20 00 20 6C 06"), std::string::npos);
    EXPECT_NE(expected.find("→ CheckOperatingVersion 0"), std::string::npos);

    // Cancel in the file dialog writes nothing and says nothing.
    const auto before = Listing(program);
    view.SaveButton_Click();
    EXPECT_EQ(Listing(program), before);
    EXPECT_TRUE(around.shown.empty());
}

struct SaveFailure
{
    const char *name;
    const char *target; // in the program folder
    bool folder;        // the target is an existing folder
};

using LineViewSaveFailure = Form1With<SaveFailure>;

TEST_P(LineViewSaveFailure, SaysSoAndChangesNothing)
{
    port.responder = [](ByteView request) { return Answer(Registers, request); };
    ASSERT_TRUE(Start());
    ChoosePort(0);
    form->Timer1_Timer();
    form->CommandLine_Click();
    const fs::path target = program / GetParam().target;
    if (GetParam().folder)
        fs::create_directory(target);
    const auto before = Listing(program);
    around.files.push_back(target);
    form->LineWindow()->SaveButton_Click();
    EXPECT_EQ(around.shown, std::vector<QString>{Text(229)});
    EXPECT_EQ(Listing(program), before) << "no partial or temporary file is left";
    EXPECT_EQ(fs::is_directory(target), GetParam().folder);
    if (GetParam().folder) {
        EXPECT_TRUE(fs::is_empty(target));
    }
}

const SaveFailure SaveFailures[] = {
    {"FolderMissing", "missing/line.txt", false},
    {"TargetIsAFolder", "line.txt", true},
};

INSTANTIATE_TEST_SUITE_P(Line, LineViewSaveFailure, ::testing::ValuesIn(SaveFailures), RowName);

} // namespace
} // namespace pv
