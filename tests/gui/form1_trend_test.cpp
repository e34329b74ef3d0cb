// The trend of the CONNECTION panel and the marking of old readings, against the simulated
// inverter: points per accepted reply of the readings block, breaks where the link was lost,
// the panel it belongs to, its captions, and the wire it must leave alone.

#include "trend_fixture.h"

#include <QChart>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QLocale>
#include <QValueAxis>

namespace pv {
namespace {

using namespace test;

TEST_F(TrendTest, EachAcceptedReplyOfTheReadingsGivesOnePointDrawnOverTheLastTenMinutes)
{
    Connect();
    const std::int64_t startMs = clockMs;
    Cycles(4);
    Ticks(2); // the fifth reply of the readings block
    const TrendBuffer &trend = form->Trend();
    ASSERT_EQ(trend.Size(), 5u);
    for (std::size_t i = 0; i < trend.Size(); ++i)
        EXPECT_EQ(trend[i].timeMs,
                  startMs + static_cast<std::int64_t>(i) * MonitorCycleMs + 2 * MonitorIntervalMs);
    const float output = Scaled(reg::OutputPower, 100);
    EXPECT_EQ(trend[4].outputPower, output);
    // Drawn once the tick has returned, never inside it, as one line each; the time axis holds
    // the ten minutes up to the newest point and ends on the next whole step.
    EXPECT_TRUE(ui().TrendChart->Stretches(TrendLine::OutputPower).empty());
    LetTheTickReturn();
    const auto drawn = ui().TrendChart->Stretches(TrendLine::OutputPower);
    ASSERT_EQ(drawn.size(), 1u);
    ASSERT_EQ(drawn[0].size(), 5);
    EXPECT_EQ(drawn[0].back(), QPointF(clockMs, output));
    const QDateTimeAxis *time = ui().TrendChart->TimeAxis();
    const std::int64_t axisEnd = time->max().toMSecsSinceEpoch();
    EXPECT_GT(axisEnd, clockMs);
    EXPECT_LE(axisEnd, clockMs + TrendAxisStepMs);
    EXPECT_EQ(axisEnd % TrendAxisStepMs, 0);
    EXPECT_LE(time->min().toMSecsSinceEpoch(), clockMs - TrendSpanMs);
    EXPECT_EQ(axisEnd - time->min().toMSecsSinceEpoch(), TrendAxisRangeMs);
    EXPECT_GE(ui().TrendChart->PowerAxis()->max(), output);
}

// What the value axes show for one point: round limits that hold it, ticks on round values.
struct AxisCase
{
    const char *name;
    float power; // kW, each of the three power lines
    float efficiency;
    double powerMax, powerTick, efficiencyMin, efficiencyMax, efficiencyTick;
};

class TrendAxisTest : public ::testing::TestWithParam<AxisCase>
{
};

TEST_P(TrendAxisTest, ValueAxesHoldThePointsOnRoundLimits)
{
    const AxisCase &c = GetParam();
    TrendBuffer points;
    constexpr std::int64_t endMs = 1'700'000'000'000;
    points.Add({.timeMs = endMs,
                .inputAPower = c.power,
                .inputBPower = c.power,
                .outputPower = c.power,
                .efficiency = c.efficiency});
    TrendView view;
    view.ShowPoints(points, endMs);
    const QValueAxis *power = view.PowerAxis();
    EXPECT_EQ(power->min(), 0);
    EXPECT_DOUBLE_EQ(power->max(), c.powerMax);
    EXPECT_DOUBLE_EQ(power->tickInterval(), c.powerTick);
    const QValueAxis *efficiency = view.EfficiencyAxis();
    EXPECT_EQ(efficiency->min(), c.efficiencyMin);
    EXPECT_EQ(efficiency->max(), c.efficiencyMax);
    EXPECT_DOUBLE_EQ(efficiency->tickInterval(), c.efficiencyTick);
}

const AxisCase AxisCases[] = {
    {"Night", 0, 0, 0.1, 0.02, 0, 1, 0.2},
    {"Morning", 0.9f, 91.5f, 1, 0.2, 91, 92, 0.2},
    {"Midday", 4.6f, 96.24f, 5, 1, 95, 97, 0.5},
    {"JustOverFive", 4.9f, 96.0f, 10, 2, 95, 97, 0.5},
};
INSTANTIATE_TEST_SUITE_P(Trend, TrendAxisTest, ::testing::ValuesIn(AxisCases),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(TrendAxes, ARangeChangeNeverMeetsTheTickIntervalOfAnotherRange)
{
    // The axis lays out labels on every change: a wide range with a narrow range's interval
    // would make thousands of them for a moment (and keep their memory).
    TrendView view;
    QValueAxis *power = const_cast<QValueAxis *>(view.PowerAxis());
    double mostTicks = 0;
    const auto count = [&] {
        mostTicks = std::max(mostTicks, (power->max() - power->min()) / power->tickInterval());
    };
    QObject::connect(power, &QValueAxis::rangeChanged, count);
    QObject::connect(power, &QValueAxis::tickIntervalChanged, count);
    constexpr std::int64_t startMs = 1'700'000'000'000;
    TrendBuffer points;
    std::int64_t timeMs = startMs;
    // Night, a bright midday, and a short while later only the night's values in view.
    for (const float kw : {0.05f, 40.0f}) {
        points.Add({.timeMs = timeMs, .inputAPower = kw, .outputPower = kw, .efficiency = 95});
        view.ShowPoints(points, timeMs);
        timeMs += 1000;
    }
    TrendBuffer night;
    night.Add({.timeMs = timeMs, .inputAPower = 0.05f, .outputPower = 0.05f, .efficiency = 95});
    view.ShowPoints(night, timeMs);
    EXPECT_DOUBLE_EQ(power->max(), 0.1);
    EXPECT_LE(mostTicks, 5.0 + 1e-9);
}

TEST(TrendLabels, ValueAxisLabelsTakeTheDecimalSignOfTheRegionalFormat)
{
    for (const char decimal : {',', '.'}) {
        TrendView view;
        view.SetDecimalSeparator(decimal);
        EXPECT_TRUE(view.chart()->localizeNumbers());
        EXPECT_EQ(view.chart()->locale().toString(96.5, 'f', 1),
                  QStringLiteral("96") + QChar::fromLatin1(decimal) + QStringLiteral("5"));
        EXPECT_EQ(view.chart()->locale().toString(1234.0, 'f', 0), QStringLiteral("1234"));
    }
}

// Faults met by the requests of the readings block in cycles 2 and 3 of five.
struct LinkFault
{
    const char *name;
    SimFault fault;
    int faultyCycles;
    bool lampRedMeanwhile;
};

class TrendFaultTest : public TrendTest, public ::testing::WithParamInterface<LinkFault>
{
};

TEST_P(TrendFaultTest, OnlyALostLinkBreaksTheLineAndNothingIsAddedForAFailedReply)
{
    const LinkFault &f = GetParam();
    Connect();
    bool red = false;
    for (int cycle = 1; cycle <= 5; ++cycle) {
        if (cycle >= 2 && cycle < 2 + f.faultyCycles)
            SpoilNextReadings(f.fault);
        for (int tick = 0; tick < MonitorCycleTicks; ++tick) {
            Tick();
            red = red || ui().Label1->text() == Text(122);
        }
    }
    EXPECT_EQ(form->Trend().Size(), 5u - f.faultyCycles);
    LetTheTickReturn();
    // Two failed replies in a row are a lost link; one is not.
    const std::size_t stretches = f.faultyCycles;
    for (int line = 0; line < TrendLineCount; ++line)
        EXPECT_EQ(ui().TrendChart->Stretches(static_cast<TrendLine>(line)).size(), stretches);
    EXPECT_EQ(red, f.lampRedMeanwhile);
    if (stretches == 2) {
        EXPECT_TRUE(form->Trend()[1].gapBefore);
        EXPECT_EQ(Legend().size(), TrendLineCount) << "named once each";
    }
}

const LinkFault LinkFaults[] = {
    {"OneNoReply", SimFault::NoReply, 1, true},
    {"TwoWrongCrc", SimFault::WrongCrc, 2, false},
    {"TwoRefused", SimFault::Exception, 2, false},
};

INSTANTIATE_TEST_SUITE_P(Trend, TrendFaultTest, ::testing::ValuesIn(LinkFaults), RowName);

TEST_F(TrendTest, ReadingsGreyAtTheTwelfthTickWithoutAnAcceptedReplyWhileTheLampStaysBlue)
{
    Connect();
    Cycles(1); // the version is accepted: monitoring
    Ticks(2);  // the readings of cycle 2 accepted: tick 0
    const QString since = Text(274)
                          + QLocale::system().toString(
                              QDateTime::fromMSecsSinceEpoch(clockMs).time(), QLocale::ShortFormat);
    const QString shown = ui().Label2[9]->text();
    // The next two replies of the readings block arrive whole with a wrong CRC (ticks 6, 12);
    // the one at tick 18 is accepted.
    for (int tick = 1; tick <= 18; ++tick) {
        if (tick == 5 || tick == 11)
            SpoilNextReadings(SimFault::WrongCrc);
        Tick();
        SCOPED_TRACE(tick);
        const bool old = tick >= 12 && tick < 18;
        EXPECT_EQ(Greyed(0), old);
        EXPECT_EQ(Greyed(9), old);
        EXPECT_EQ(ui().Label2[9]->toolTip(), old ? since : QString());
        EXPECT_EQ(ui().Label1->text(), Text(123)) << "the lamp keeps its rule";
        if (old) {
            EXPECT_EQ(ui().Label2[9]->text(), shown);
        }
    }
}

// Another port may serve another inverter, and the calibration window holds the monitor cycle:
// the trend does not join the readings before to those after.
TEST_F(TrendTest, APortChoiceOrTheCalibrationWindowStartsANewSegment)
{
    for (const bool portChosen : {true, false}) {
        SCOPED_TRACE(portChosen ? "port chosen" : "calibration window closed");
        Connect();
        Cycles(2);
        const std::size_t before = form->Trend().Size();
        if (portChosen) {
            ChoosePort(1);
        } else {
            around.whileOpen = [](QDialog &) {};
            Press(MenuCalibration);
            Tick();
        }
        Cycles(1);
        ASSERT_GT(form->Trend().Size(), before);
        EXPECT_TRUE(form->Trend()[before].gapBefore);
        form.reset();
    }
}

TEST_F(TrendTest, ReadingsNeverAcceptedGreyWithTheirOwnTip)
{
    Connect();
    inverter.SetFaultRate(SimFault::NoReply, 1.0);
    Ticks(StaleAfterTicks - 1);
    EXPECT_FALSE(Greyed());
    Tick();
    EXPECT_TRUE(Greyed());
    EXPECT_EQ(ui().Label2[0]->toolTip(), Text(275));
    // A language picked meanwhile tells it in that language.
    form->LanguagePicked(2);
    Tick();
    EXPECT_EQ(ui().Label2[0]->toolTip(), QStringLiteral("L3-275"));
}

TEST_F(TrendTest, BelongsToTheConnectionPanelBesideFrame1WithCaptionsFromTheLanguageTable)
{
    ASSERT_TRUE(Start());
    const QRect frame(LeftTwips(ui().Frame1[0]), TopTwips(ui().Frame1[0]),
                      WidthTwips(ui().Frame1[0]), HeightTwips(ui().Frame1[0]));
    const QRect viewport(0, 0, WidthTwips(ui().Picture4), HeightTwips(ui().Picture4));
    for (QWidget *w :
         std::initializer_list<QWidget *>{ui().TrendChart, ui().CommandRecord, ui().LabelRecord}) {
        SCOPED_TRACE(w->objectName().toStdString());
        EXPECT_EQ(w->parentWidget(), ui().Picture4);
        const QRect at(LeftTwips(w), TopTwips(w), WidthTwips(w), HeightTwips(w));
        EXPECT_FALSE(at.intersects(frame));
        EXPECT_TRUE(viewport.contains(at));
        EXPECT_TRUE(Shown(w)) << "CONNECTION is marked at start";
        Press(MenuConfigurations);
        EXPECT_FALSE(Shown(w));
        Press(MenuConnection);
        EXPECT_TRUE(Shown(w));
    }

    const QString idle = ui().CommandRecord->text();
    Record(recording);
    EXPECT_NE(ui().CommandRecord->text(), idle) << "the button says a recording runs";
    EXPECT_EQ(ui().CommandRecord->text(), Text(268));
    form->LanguagePicked(5);
    EXPECT_EQ(ui().CommandRecord->text(), QStringLiteral("L6-268"));
    EXPECT_EQ(Legend().front(), QStringLiteral("L6-260"));
    EXPECT_TRUE(ui().LabelRecord->text().startsWith(QStringLiteral("L6-271")));
}

TEST_F(TrendTest, WireIsTheSameWithTheTrendShownAndARecordingRunning)
{
    ASSERT_TRUE(Start()); // lays the settings files for the two windows below
    const std::int64_t startMs = clockMs;
    const auto wire = [&](bool trendAndRecording) {
        FakeSerialPort line;
        InverterSimulator peer;
        line.responder = [&](ByteView request) -> std::optional<Bytes> {
            peer.Feed(request, clockMs);
            return peer.TakeOutput(clockMs + InverterSimulator::DefaultReplyDelayMs);
        };
        clockMs = startMs;
        ServiceSession session(line);
        Form1 window(Form1Services{line, session, around, around, around, around, around, program,
                                   format, [this] { return clockMs; }});
        EXPECT_TRUE(window.Form_Load());
        if (trendAndRecording) {
            around.files.push_back(recording);
            window.CommandRecord_Click();
        } else {
            window.Label16_MouseDown(MenuIdentifiers, LeftButton, 0, 0, 0);
        }
        window.Controls().Combo1->setCurrentIndex(0);
        window.Combo1_Click();
        for (int tick = 0; tick < 2 * MonitorCycleTicks; ++tick) {
            clockMs += MonitorIntervalMs;
            window.Timer1_Timer();
        }
        EXPECT_EQ(window.Trend().Size(), 2u);
        EXPECT_TRUE(window.RecordingWritten(WrittenWithinMs));
        return line.log;
    };
    const auto plain = wire(false);
    EXPECT_EQ(wire(true), plain);
    EXPECT_EQ(Lines(recording).size(), 3u) << "header and two rows";
}

} // namespace
} // namespace pv
