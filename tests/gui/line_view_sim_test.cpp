// The line view during monitoring against the in-process simulator, in English from the built
// language database: the monitor requests with their meaning, and the hint of each fault knob.

#include "app/form1.h"
#include "app/line_view.h"
#include "platform/language_store.h"
#include "sim/simulated_port.h"
#include "support/form1_world.h"

#include <QLabel>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fstream>
#include <memory>

namespace pv {
namespace {

namespace fs = std::filesystem;

class LineViewSimTest : public ::testing::Test
{
protected:
    void Start()
    {
        std::ofstream(program / "InitSet.txt") << "1,1,1,1,0,Test";
        std::ofstream(program / "CountryParameter.txt") << "h\r\nh\r\nR0\t1\r\nR1\t2\r\nR2\t3";
        std::ofstream(program / "LanguageSet.txt") << "1\r\n";
        form = std::make_unique<Form1>(Form1Services{port, session, around, around, around,
                                                     *english, around, program, NumberFormat{}});
        ASSERT_TRUE(form->Form_Load());
        form->CommandLine_Click();
        form->Controls().Combo1->setCurrentIndex(0);
        emit form->Controls().Combo1->activated(0);
    }
    // Monitor ticks, 350 ms of the simulator's time apart, then the view refreshed.
    void Ticks(int n)
    {
        while (n-- > 0) {
            nowMs += MonitorIntervalMs;
            form->Timer1_Timer();
        }
        View().Refresh();
    }
    LineView &View() { return *form->LineWindow(); }
    QString Cell(int row, int column)
    {
        return View().Model().data(View().Model().index(row, column), Qt::DisplayRole).toString();
    }

    QTemporaryDir folder;
    const fs::path program{folder.path().toStdString()};
    InverterSimulator inverter;
    std::int64_t nowMs = 0;
    SimulatedPort port{inverter, &nowMs};
    ServiceSession session{port};
    test::World around;
    std::unique_ptr<LanguageStore> english = MakeSqliteLanguageStore(PV_LANGUAGE_DB);
    std::unique_ptr<Form1> form;
};

TEST_F(LineViewSimTest, TheMonitorRequestsAreListedWithTheirMeaningInEnglish)
{
    Start();
    Ticks(6);
    ASSERT_EQ(View().Model().rowCount(), 6);
    // The blocks of the other two come from their requests' own bytes as this one's does.
    EXPECT_EQ(Cell(0, MeaningColumn), QString::fromUtf8("read 0xC020 × 32"));
    // The simulated port cannot tell arrivals: the round trip is at most the take's.
    EXPECT_TRUE(Cell(1, MeaningColumn)
                    .startsWith(QString::fromUtf8("read 0xC020 × 32 → accepted, 69 bytes, ≤ ")))
        << Cell(1, MeaningColumn).toStdString();
    EXPECT_EQ(Cell(5, DirectionColumn), QStringLiteral("← CheckOperatingVersion 3"));
    EXPECT_EQ(View().CountersLabel()->text(),
              QString::fromUtf8("Requests 3 · good 3 · CRC failed 0 · no answer 0 · too short 0 · "
                                "refused 0 · exception replies 0"));
    EXPECT_TRUE(View().RoundTripLabel()->text().startsWith(QStringLiteral("Round trip of good")));
    EXPECT_TRUE(View().AtTakeLabel()->text().contains(QStringLiteral("measured when the reply")));
    EXPECT_FALSE(View().AtTakeLabel()->isHidden());
    EXPECT_TRUE(View().HintsLabel()->isHidden());
}

// The fault met by every request, and a part of the one hint it shows.
struct KnobCase
{
    const char *name;
    SimFault fault;
    bool echo;
    const char *hint;
};

class LineViewHints : public LineViewSimTest, public ::testing::WithParamInterface<KnobCase>
{
};

TEST_P(LineViewHints, AppearForTheirPattern)
{
    inverter.SetFaultRate(GetParam().fault, 1.0);
    inverter.SetEcho(GetParam().echo);
    Start();
    Ticks(12);
    const QLabel *hints = View().HintsLabel();
    EXPECT_FALSE(hints->isHidden());
    EXPECT_TRUE(hints->text().contains(QString::fromUtf8(GetParam().hint)))
        << hints->text().toStdString();
}

const KnobCase Knobs[] = {
    {"NoReply", SimFault::NoReply, false, "No byte came back for the last 5 requests."},
    {"WrongCrc", SimFault::WrongCrc, false, "Bytes come back, but every CRC fails."},
    {"Echo", SimFault::None, true, "the adapter echoes"},
    {"Exception", SimFault::Exception, false, "The inverter refuses a request"},
};

INSTANTIATE_TEST_SUITE_P(Line, LineViewHints, ::testing::ValuesIn(Knobs),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
} // namespace pv
