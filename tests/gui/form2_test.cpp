// The calibration window opened from the main window's menu against a scripted inverter: the
// hand-over from monitoring and back, the lock while an exchange runs, its timer and intervals,
// the frames on the wire, the messages, and the arithmetic shown in the entries.

#include "support/form1_fixture.h"

#include "language/caption_targets.h"

namespace pv {
namespace {

using namespace test;

const std::string ReadFrame = "FF 03 CF 00 00 0F 2F 04";

Bytes WithCrc(Bytes frame)
{
    AppendCrc(frame);
    return frame;
}

// Every control that the lock switches, by its design name.
std::vector<QWidget *> Lockable(Form2Controls &u)
{
    std::vector<QWidget *> all{u.Command1, u.Command2, u.Command3[0], u.Command3[1], u.Command4,
                               u.Command5, u.Text2,    u.Text5,       u.Text6,       u.Text7};
    all.insert(all.end(), u.Text1.begin(), u.Text1.end());
    all.insert(all.end(), u.Text3.begin(), u.Text3.end());
    all.insert(all.end(), u.Text4.begin(), u.Text4.end());
    all.insert(all.end(), u.Text8.begin(), u.Text8.end());
    return all;
}

int CountEnabled(Form2Controls &u)
{
    const auto all = Lockable(u);
    return static_cast<int>(
        std::count_if(all.begin(), all.end(), [](QWidget *w) { return w->isEnabled(); }));
}

TEST_F(Form1Test, CalibrationStopsMonitoringWhileOpenAndResumesAtStepZeroWhenClosed)
{
    const bool opened = WhileCalibrating([&](Form2 &calibration) {
        Form2Controls &u = calibration.Controls();
        EXPECT_EQ(TimersActive(), (Timers{false, false, false}));
        EXPECT_FALSE(u.Timer1->isActive());
        EXPECT_EQ(form->Machine().State(), ExchangeState::Idle);
        EXPECT_EQ(calibration.windowTitle(), Text(1));
        EXPECT_EQ(u.Frame1[11]->title(), Text(99));
        EXPECT_EQ(u.Label1[17]->text(), Text(79));
        EXPECT_EQ(u.Command5->text(), Text(16));
        EXPECT_EQ(u.Text3[5]->text(), "5.0") << "readings shown with one decimal";
        EXPECT_EQ(u.Text3[9]->text(), "10.0");
        EXPECT_EQ(u.Text3[0]->text(), "150");
        EXPECT_EQ(u.Text1[4]->text(), "");
        EXPECT_EQ(u.Text1[5]->text(), "128");
        // Text1(k) stands under Text8(k).
        EXPECT_EQ(u.Text1[7]->mapTo(&calibration, QPoint()).x(),
                  u.Text8[7]->mapTo(&calibration, QPoint()).x());
        calibration.reject(); // the window's close button
    });
    ASSERT_TRUE(opened);
    EXPECT_EQ(form->Machine().State(), ExchangeState::Monitor);
    EXPECT_EQ(form->Machine().MonitorStep(), 0);
    EXPECT_EQ(TimersActive(), (Timers{true, false, false}));
    form->LanguagePicked(2); // the main window is the caption target again
    EXPECT_EQ(ui().Label16[0]->text(), "L3-10");
    port.ClearRecord();
    form->Timer1_Timer();
    EXPECT_EQ(port.written, std::vector<std::string>{"FF 03 C0 20 00 20 6C 06"});
}

TEST_F(Form1Test, CalibrationWithThePortClosedSays131AndDoesNotOpen)
{
    ASSERT_TRUE(Start());
    bool opened = false;
    around.whileOpen = [&](QDialog &) { opened = true; };
    Press(MenuCalibration);
    EXPECT_EQ(around.shown, std::vector<QString>{Text(131)});
    EXPECT_FALSE(opened);
}

// One exchange from its button to the tick that ends it.
struct ExchangeCase
{
    const char *name;
    std::function<void(Form2Controls &)> edit;
    void (Form2::*click)();
    std::optional<Bytes> reply; // taken on the reply tick instead of the inverter's answer
    int intervalMs;
    std::vector<std::string> wire;
    int message;                                        // shown once the exchange ends; 0: none
    std::vector<std::pair<int, const char *>> readBack; // Text1 elements afterwards
};

using Form2Exchange = Form1With<ExchangeCase>;

TEST_P(Form2Exchange, LocksRunsItsTimerAndEndsUnlockedWithItsMessage)
{
    const ExchangeCase &c = GetParam();
    registers[0xCF07] = 0x0A0B;
    const bool opened = WhileCalibrating([&](Form2 &calibration) {
        Form2Controls &u = calibration.Controls();
        c.edit(u);
        (calibration.*c.click)();
        EXPECT_EQ(CountEnabled(u), 0) << "locked";
        EXPECT_TRUE(u.Timer1->isActive());
        EXPECT_EQ(u.Timer1->interval(), c.intervalMs);
        EXPECT_EQ(u.Text1[0]->text(), c.click == &Form2::Command2_Click ? "" : "128");
        EXPECT_EQ(u.Text8[0]->text(), "128") << "the row is recomputed before a write";
        calibration.Timer1_Timer();
        EXPECT_TRUE(around.shown.empty()) << "nothing judged before the reply tick";
        if (c.reply)
            port.QueueReply(*c.reply);
        calibration.Timer1_Timer();
        EXPECT_EQ(port.written, c.wire);
        EXPECT_EQ(around.shown,
                  c.message == 0 ? std::vector<QString>{} : std::vector<QString>{Text(c.message)});
        EXPECT_EQ(CountEnabled(u), static_cast<int>(Lockable(u).size())) << "unlocked";
        EXPECT_FALSE(u.Timer1->isActive());
        EXPECT_EQ(form->Machine().State(), ExchangeState::Idle);
        for (const auto &[index, text] : c.readBack)
            EXPECT_EQ(u.Text1[index]->text(), text) << "Text1(" << index << ")";
        EXPECT_EQ(u.Text1[4]->text(), "") << "never written";
    });
    EXPECT_TRUE(opened);
}

const auto Unchanged = [](Form2Controls &) {};
constexpr int Read = 500, Write = 2000;
const ExchangeCase ExchangeCases[] = {
    {"ReadFillsTheRow",
     Unchanged,
     &Form2::Command2_Click,
     std::nullopt,
     Read,
     {ReadFrame},
     0,
     {{0, "128"}, {6, "128"}, {1, "1"}, {5, "10"}, {11, "11"}}},
    {"ShortReadReplySays127AndLeavesTheRowEmpty",
     Unchanged,
     &Form2::Command2_Click,
     WithCrc({0xFF, 0x03, 0x04, 0x80, 0x80, 0x80, 0x80}),
     Read,
     {ReadFrame},
     127,
     {{0, ""}, {6, ""}, {11, ""}}},
    {"SilentReadSays127",
     Unchanged,
     &Form2::Command2_Click,
     Bytes{},
     Read,
     {ReadFrame},
     127,
     {{0, ""}}},
    {"WriteSendsTheRecomputedRow",
     [](Form2Controls &u) { u.Text8[0]->setText("7"); },
     &Form2::Command1_Click,
     std::nullopt,
     Write,
     {"FF 64 CF 03 00 07 0E 80 80 80 80 01 2C 80 00 80 00 00 E6 80 00 F0 EF"},
     129,
     {}},
    {"RefusedWriteSays128",
     Unchanged,
     &Form2::Command1_Click,
     WithCrc({0xFF, 0xE4, 0x02}),
     Write,
     {"FF 64 CF 03 00 07 0E 80 80 80 80 01 2C 80 00 80 00 00 E6 80 00 F0 EF"},
     128,
     {}},
    {"Offset300",
     [](Form2Controls &u) { u.Text2->setText("300"); },
     &Form2::Command5_Click,
     std::nullopt,
     Write,
     {"FF 64 CF 0A 01 2C 7A 87"},
     129,
     {}},
};

INSTANTIATE_TEST_SUITE_P(Form2, Form2Exchange, ::testing::ValuesIn(ExchangeCases), RowName);

TEST_F(Form1Test, AnEntryTheRequestCannotCarryUnlocksOnTheSendTickWithNothingSent)
{
    // Entry, text, button, CalibrationStep afterwards (the reply step it never reaches).
    const std::tuple<std::function<TextBox *(Form2Controls &)>, const char *, void (Form2::*)(),
                     int>
        cases[] = {{[](Form2Controls &u) { return u.Text7; }, "255.5", &Form2::Command1_Click, 3},
                   {[](Form2Controls &u) { return u.Text2; }, "70000", &Form2::Command5_Click, 5}};
    for (const auto &[entry, text, click, step] : cases) {
        EXPECT_TRUE(WhileCalibrating([&](Form2 &calibration) {
            entry(calibration.Controls())->setText(QString::fromLatin1(text));
            (calibration.*click)();
            calibration.Timer1_Timer();
            EXPECT_EQ(around.shown, std::vector<QString>{Text(132)}) << text;
            EXPECT_FALSE(calibration.Controls().Timer1->isActive());
            EXPECT_EQ(CountEnabled(calibration.Controls()),
                      static_cast<int>(Lockable(calibration.Controls()).size()));
            EXPECT_EQ(calibration.CalibrationStep(), step);
            EXPECT_EQ(port.log, std::vector<std::string>{}) << "not even a discard";
        }));
        around.shown.clear();
    }
}

// A button whose entries cannot serve: a message, nothing sent, no timer, the window idle.
struct RefusalCase
{
    const char *name;
    std::function<void(Form2Controls &)> edit;
    void (Form2::*click)();
    int message;
    std::function<QWidget *(Form2Controls &)> focused; // none: the focus stays
};

using Form2Refusal = Form1With<RefusalCase>;

TEST_P(Form2Refusal, SaysWhyAndStartsNothing)
{
    const RefusalCase &c = GetParam();
    EXPECT_TRUE(WhileCalibrating([&](Form2 &calibration) {
        Form2Controls &u = calibration.Controls();
        c.edit(u);
        const auto row = [&u] {
            QStringList texts;
            for (TextBox *box : u.Text8)
                texts << box->text();
            return texts;
        };
        const QStringList before = row();
        (calibration.*c.click)();
        EXPECT_EQ(around.shown, std::vector<QString>{Text(c.message)});
        EXPECT_FALSE(u.Timer1->isActive());
        EXPECT_EQ(form->Machine().State(), ExchangeState::Idle);
        EXPECT_EQ(CountEnabled(u), static_cast<int>(Lockable(u).size()));
        EXPECT_EQ(row(), before) << "the Write Setting Data row is left as it was";
        if (c.focused) {
            EXPECT_EQ(calibration.focusWidget(), c.focused(u));
        }
        calibration.Timer1_Timer(); // a stray tick does nothing
        EXPECT_TRUE(port.written.empty());
    }));
}

const RefusalCase RefusalCases[] = {
    {"WriteWithTextSixEmptyStopsThere",
     [](Form2Controls &u) { u.Text6->clear(), u.Text7->clear(); }, &Form2::Command1_Click, 136,
     [](Form2Controls &u) { return u.Text6; }},
    {"OffsetEmpty", [](Form2Controls &u) { u.Text2->clear(); }, &Form2::Command5_Click, 136,
     [](Form2Controls &u) { return u.Text2; }},
    {"GainWithAReadingEmpty", [](Form2Controls &u) { u.Text3[8]->clear(); }, &Form2::Command4_Click,
     136, [](Form2Controls &u) { return u.Text3[8]; }},
    {"WriteWithEqualLcdPoints",
     [](Form2Controls &u) { u.Text4[3]->setText("150"); },
     &Form2::Command1_Click,
     132,
     {}},
    {"WriteWithAVoltageNoNumber",
     [](Form2Controls &u) { u.Text5->setText("3OO"); },
     &Form2::Command1_Click,
     132,
     {}},
};

INSTANTIATE_TEST_SUITE_P(Form2, Form2Refusal, ::testing::ValuesIn(RefusalCases), RowName);

TEST_F(Form1Test, CalculateGainWritesEachGainUntilAPairGivesNone)
{
    EXPECT_TRUE(WhileCalibrating([&](Form2 &calibration) {
        Form2Controls &u = calibration.Controls();
        u.Text3[5]->setText("5,1"); // a decimal comma reads as a point
        u.Text3[7]->setText("4.9");
        calibration.Command4_Click();
        EXPECT_EQ(u.Text3[4]->text(), "148");
        EXPECT_EQ(u.Text4[4]->text(), "108");
        EXPECT_EQ(u.Text7->text(), "128");
        EXPECT_TRUE(around.shown.empty());
        u.Text3[5]->setText("5.2");
        u.Text3[8]->setText("0");
        calibration.Command4_Click();
        EXPECT_EQ(u.Text3[4]->text(), "169") << "computed before the failing pair";
        EXPECT_EQ(u.Text4[4]->text(), "108") << "kept";
        EXPECT_EQ(around.shown, std::vector<QString>{Text(132)});
        EXPECT_FALSE(u.Timer1->isActive());
    }));
}

TEST_F(Form1Test, OffsetButtonsStepWithin118To138)
{
    EXPECT_TRUE(WhileCalibrating([&](Form2 &calibration) {
        Form2Controls &u = calibration.Controls();
        u.Command3[0]->click();
        EXPECT_EQ(u.Text2->text(), "129");
        u.Text2->setText("200");
        u.Command3[1]->click();
        EXPECT_EQ(u.Text2->text(), "138");
        EXPECT_TRUE(port.written.empty());
    }));
}

} // namespace
} // namespace pv
