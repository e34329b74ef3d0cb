// The line view of the main window against a scripted port: the frames on the wire stay what
// they are with it open, the Line button and F12, pause, clear, save, captions.

#include "app/line_view.h"
#include "session/service_session.h"
#include "settings/identifiers.h"
#include "support/form1_fixture.h"

#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QTest>

#include <fstream>
#include <iterator>
#include <set>

#include <sys/stat.h>

namespace pv {
namespace {

using namespace test;
namespace fs = std::filesystem;

// Output power, voltage and the accepted operating version "V1000700".
const std::map<int, int> Registers{
    {0xC021, 230}, {0xC0BC, 0x5631}, {0xC0BD, 0x3030}, {0xC0BE, 0x3037}, {0xC0BF, 0x3030}};
constexpr int ScriptTicks = 24;
constexpr int IdentifyReadAtTick = 6; // once the version check has passed

// One full monitor cycle, then an identify read and monitoring again: the port's record of
// every Output and Input, each tick marked with the timer that ran it.
std::vector<std::string> RunScript(
    FakeSerialPort &port, ServiceSession &session, const std::function<void()> &afterTick = [] {})
{
    port.ClearRecord();
    for (int t = 0; t < ScriptTicks; ++t) {
        if (t == IdentifyReadAtTick)
            session.ReadIdentifiers();
        const auto on
            = [&session](ExchangeTimer timer) { return session.Timer(timer)->isActive(); };
        const int timer = on(ExchangeTimer::Monitor)         ? 1
                          : on(ExchangeTimer::Identify)      ? 2
                          : on(ExchangeTimer::Configuration) ? 3
                                                             : 0;
        port.log.push_back("tick " + std::to_string(t) + " Timer" + std::to_string(timer));
        if (timer == 1)
            session.MonitorTick();
        else if (timer == 2)
            session.IdentifyTick();
        afterTick();
    }
    return port.log;
}

std::string FileText(const fs::path &path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::set<fs::path> Listing(const fs::path &folder)
{
    return {fs::directory_iterator(folder), fs::directory_iterator()};
}

class LineViewTest : public Form1Test
{
protected:
    // Monitoring COM1 with the view open.
    LineView &Open()
    {
        port.responder = [](ByteView request) { return Answer(Registers, request); };
        EXPECT_TRUE(Start());
        ChoosePort(0);
        form->CommandLine_Click();
        return *form->LineWindow();
    }
    // Monitor ticks, the view refreshed after them.
    int Rows(int ticks)
    {
        while (ticks-- > 0)
            form->Timer1_Timer();
        form->LineWindow()->Refresh();
        return form->LineWindow()->Model().rowCount();
    }
    static QString Cell(LineView &view, int row, int column)
    {
        return view.Model().data(view.Model().index(row, column), Qt::DisplayRole).toString();
    }
};

TEST_F(LineViewTest, TheWireCarriesTheSameFramesAtTheSameTicksWithTheViewOpen)
{
    FakeSerialPort barePort;
    barePort.responder = [](ByteView request) { return Answer(Registers, request); };
    ServiceSession bare(barePort); // no window, no view
    bare.ChoosePort(0);
    const auto without = RunScript(barePort, bare);

    LineView &view = Open();
    const auto with = RunScript(port, session, [&view] { view.Refresh(); });

    EXPECT_EQ(with, without);
    // The script did what it says: the identify read ran, and the view listed what was sent.
    EXPECT_NE(std::find(with.begin(), with.end(), "tick 7 Timer2"), with.end());
    EXPECT_GT(view.Model().rowCount(), ScriptTicks);
}

TEST_F(LineViewTest, TheLineButtonStandsInFreeSpaceF12OpensTheViewAndCaptionsFollowTheLanguage)
{
    ASSERT_TRUE(Start());
    QPushButton *button = ui().CommandLine;
    ASSERT_EQ(button->parentWidget(), ui().Frame1[0]);
    for (const QWidget *other : ui().Frame1[0]->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
        EXPECT_TRUE(other == button || !other->geometry().intersects(button->geometry()))
            << other->objectName().toStdString();

    // The version check locks the panels' controls, not this button.
    ChoosePort(0);
    EXPECT_TRUE(button->isEnabled());
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    QTest::keyClick(ui().Combo1, Qt::Key_F12);
    LineView *view = form->LineWindow();
    ASSERT_NE(view, nullptr);
    EXPECT_TRUE(view->isVisible());
    EXPECT_TRUE(view->RefreshTimer()->isActive());
    view->close();
    EXPECT_FALSE(view->RefreshTimer()->isActive()) << "a closed view costs nothing";
    button->click();
    EXPECT_TRUE(view->isVisible());

    form->LanguagePicked(2);
    EXPECT_EQ(view->windowTitle(), QStringLiteral("L3-201 - L3-0"));
    EXPECT_EQ(button->text(), QStringLiteral("L3-201"));
    EXPECT_EQ(view->Model().headerData(MeaningColumn, Qt::Horizontal, Qt::DisplayRole),
              QStringLiteral("L3-208"));
}

// That the machine files nothing then and the recorder counts it not is theirs to pin; here the
// window's listing of it.
TEST_F(LineViewTest, AReplyTakenWhileAnExchangeWaitsIsListedAsNotFiled)
{
    LineView &view = Open();
    Rows(7); // the version check's cycle, and the next request
    form->Command1_Click(1);
    const int last = Rows(1) - 1; // takes that request's reply, then hands over to the read
    ASSERT_EQ(form->Machine().State(), ExchangeState::IdentifyRead);
    EXPECT_FALSE(view.Model().Entry(last).filed);
    // Texts without their marks show the figures after them; the round trip varies.
    const QString meaning = Cell(view, last, MeaningColumn);
    EXPECT_TRUE(meaning.startsWith(QStringLiteral("L1-209 0xC020 32 → L1-211, L1-221 69, ≤ ")))
        << meaning.toStdString();
    EXPECT_TRUE(meaning.endsWith(QStringLiteral(" ms · L1-218"))) << meaning.toStdString();
}

TEST_F(LineViewTest, TheListFollowsTheNewestEntryUnlessScrolledUp)
{
    LineView &view = Open();
    QScrollBar *bar = view.List()->verticalScrollBar();
    Rows(120);
    QApplication::processEvents();
    ASSERT_GT(bar->maximum(), 0);
    EXPECT_EQ(bar->value(), bar->maximum());
    bar->setValue(0);
    Rows(10);
    QApplication::processEvents();
    EXPECT_EQ(bar->value(), 0);
}

// Paused, the list stays as it is while the counters go on, and Save writes exactly what is
// listed; the file dialog cancelled, a target that cannot be opened (its folder is missing) or
// is no plain file (a folder, a FIFO): a message where one is due, no partial or temporary file.
// Clear empties the list and the record behind it.
TEST_F(LineViewTest, APausedListIsSavedAsListedAndClearEmptiesItWhileTheCountersGoOn)
{
    LineView &view = Open();
    Rows(6);
    view.PauseButton_Click(true);
    ASSERT_EQ(Rows(4), 6); // recorded, not listed
    EXPECT_TRUE(view.CountersLabel()->text().startsWith(QStringLiteral("L1-222 5 5 ")))
        << "the counters stay live: " << view.CountersLabel()->text().toStdString();

    const fs::path file = program / "line.txt";
    around.files.push_back(file);
    view.SaveButton_Click();
    std::string expected;
    for (int row = 0; row < 6; ++row) {
        QStringList cells;
        for (int column = 0; column < LineColumnCount; ++column)
            cells << Cell(view, row, column);
        expected += cells.join(QLatin1Char('\t')).toStdString() + "\r\n";
    }
    EXPECT_EQ(FileText(file), expected);
    EXPECT_NE(expected.find("→ CheckOperatingVersion 0\tFF 03 C0 20 00 20 6C 06"),
              std::string::npos);

    fs::create_directory(program / "folder");
    ASSERT_EQ(::mkfifo((program / "fifo").c_str(), 0600), 0);
    const auto notPlain = [this](const char *name) {
        return Text(281).replace(QStringLiteral("%1"),
                                 QString::fromStdString((program / name).string()));
    };
    const std::pair<const char *, std::vector<QString>> targets[] = {
        {"", {}},
        {"missing/line.txt", {Text(229)}},
        {"folder", {notPlain("folder")}},
        {"fifo", {notPlain("fifo")}}, // nobody reads it; left as it is
    };
    for (const auto &[target, messages] : targets) {
        SCOPED_TRACE(target);
        const auto before = Listing(program);
        if (*target != 0)
            around.files.push_back(program / target);
        around.shown.clear();
        view.SaveButton_Click();
        EXPECT_EQ(Listing(program), before);
        EXPECT_EQ(around.shown, messages);
    }
    EXPECT_EQ(fs::status(program / "fifo").type(), fs::file_type::fifo);
    EXPECT_TRUE(fs::is_empty(program / "folder"));

    view.PauseButton_Click(false);
    EXPECT_EQ(view.Model().rowCount(), 10);
    view.ClearButton_Click();
    EXPECT_EQ(view.Model().rowCount(), 0);
    EXPECT_EQ(form->Line().Size(), 0u);
    EXPECT_EQ(Rows(1), 1);
    EXPECT_EQ(form->Line().Counters().requests, 6u);
}

} // namespace
} // namespace pv
