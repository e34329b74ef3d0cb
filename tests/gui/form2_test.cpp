// The calibration window opened from the main window's menu against a scripted inverter: the
// hand-over from monitoring and back, the lock while an exchange runs, its timer and intervals,
// what reaches the wire, the messages, and the entries its buttons write.

#include "support/form1_fixture.h"

namespace pv {
namespace {

using namespace test;

// Every control that the lock switches, and how many of them are enabled.
int Enabled(Form2Controls &u, std::size_t *total = nullptr)
{
    std::vector<QWidget *> all{u.Command1, u.Command2, u.Command3[0], u.Command3[1], u.Command4,
                               u.Command5, u.Text2,    u.Text5,       u.Text6,       u.Text7};
    all.insert(all.end(), u.Text1.begin(), u.Text1.end());
    all.insert(all.end(), u.Text3.begin(), u.Text3.end());
    all.insert(all.end(), u.Text4.begin(), u.Text4.end());
    all.insert(all.end(), u.Text8.begin(), u.Text8.end());
    if (total != nullptr)
        *total = all.size();
    return static_cast<int>(
        std::count_if(all.begin(), all.end(), [](QWidget *w) { return w->isEnabled(); }));
}

bool Unlocked(Form2Controls &u)
{
    std::size_t total = 0;
    const int enabled = Enabled(u, &total);
    return enabled == static_cast<int>(total) && !u.Timer1->isActive();
}

TEST_F(Form1Test, CalibrationStopsMonitoringWhileOpenAndResumesAtStepZeroWhenClosed)
{
    ASSERT_TRUE(WhileCalibrating([&](Form2 &calibration) {
        Form2Controls &u = calibration.Controls();
        EXPECT_EQ(TimersActive(), (Timers{false, false, false}));
        EXPECT_TRUE(Unlocked(u));
        EXPECT_EQ(form->Machine().State(), ExchangeState::Idle);
        EXPECT_EQ(calibration.windowTitle(), Text(1));
        EXPECT_EQ(u.Label1[17]->text(), Text(79));
        EXPECT_EQ(u.Text3[5]->text(), "5.0") << "readings shown with one decimal";
        EXPECT_EQ(u.Text3[0]->text(), "150");
        EXPECT_EQ(u.Text1[4]->text(), "");
        EXPECT_EQ(u.Text1[7]->mapTo(&calibration, QPoint()).x(),
                  u.Text8[7]->mapTo(&calibration, QPoint()).x())
            << "Text1(k) stands under Text8(k)";
        calibration.reject(); // the window's close button
    }));
    EXPECT_EQ(form->Machine().State(), ExchangeState::Monitor);
    EXPECT_EQ(form->Machine().MonitorStep(), 0);
    EXPECT_EQ(TimersActive(), (Timers{true, false, false}));
    form->LanguagePicked(2); // the main window is the caption target again
    EXPECT_EQ(ui().Label16[0]->text(), "L3-10");
}

// One exchange from its button to the tick that unlocks the window.
struct ExchangeCase
{
    const char *name;
    std::function<void(Form2Controls &)> edit;
    void (Form2::*click)();
    std::optional<Bytes> reply; // taken on the reply tick instead of the inverter's answer
    int intervalMs;
    const char *wire; // nothing: nothing sent
    int message;      // 0: none
    int ticks;        // until unlocked
    int step;         // CalibrationStep afterwards
};

using Form2Exchange = Form1With<ExchangeCase>;

TEST_P(Form2Exchange, LocksRunsItsTimerAndEndsUnlockedWithItsMessage)
{
    const ExchangeCase &c = GetParam();
    registers[0xCF07] = 0x0A0B;
    EXPECT_TRUE(WhileCalibrating([&](Form2 &calibration) {
        Form2Controls &u = calibration.Controls();
        c.edit(u);
        (calibration.*c.click)();
        EXPECT_EQ(Enabled(u), 0);
        EXPECT_TRUE(u.Timer1->isActive());
        EXPECT_EQ(u.Timer1->interval(), c.intervalMs);
        EXPECT_EQ(u.Text8[0]->text(), "128") << "the row is recomputed before a write";
        int ticks = 0;
        for (; ticks < 3 && u.Timer1->isActive(); ++ticks) {
            EXPECT_TRUE(around.shown.empty()) << "judged once, on the tick that ends it";
            if (ticks == 1 && c.reply)
                port.QueueReply(*c.reply);
            calibration.Timer1_Timer();
        }
        EXPECT_EQ(ticks, c.ticks);
        EXPECT_EQ(port.written,
                  c.wire ? std::vector<std::string>{c.wire} : std::vector<std::string>{});
        EXPECT_EQ(around.shown,
                  c.message ? std::vector<QString>{Text(c.message)} : std::vector<QString>{});
        EXPECT_TRUE(Unlocked(u));
        EXPECT_EQ(calibration.CalibrationStep(), c.step);
        EXPECT_EQ(form->Machine().State(), ExchangeState::Idle);
        // A read clears the row and fills it from the reply (0xCF00, 0xCF05 high, 0xCF07).
        const bool read = c.click == &Form2::Command2_Click, filled = read && c.message == 0;
        const std::pair<int, const char *> row[]
            = {{0, filled ? "128" : ""}, {1, filled ? "1" : ""}, {11, filled ? "11" : ""}};
        for (const auto &[index, text] : row)
            EXPECT_EQ(u.Text1[index]->text(), read ? text : "128") << "Text1(" << index << ")";
        EXPECT_EQ(u.Text1[4]->text(), "") << "never written";
    }));
}

const auto Unchanged = [](Form2Controls &) {};
constexpr int Read = 500, Write = 2000;
const char *ReadFrame = "FF 03 CF 00 00 0F 2F 04";
const char *WriteFrame = "FF 64 CF 03 00 07 0E 80 80 80 80 01 2C 80 00 80 00 00 E6 80 00 F0 EF";
Bytes WithCrc(Bytes frame)
{
    AppendCrc(frame);
    return frame;
}
const ExchangeCase ExchangeCases[] = {
    {"ReadFillsTheRow", Unchanged, &Form2::Command2_Click, {}, Read, ReadFrame, 0, 2, 1},
    {"ShortReadReplySays127", Unchanged, &Form2::Command2_Click,
     WithCrc({0xFF, 0x03, 0x04, 0x80, 0x80, 0x80, 0x80}), Read, ReadFrame, 127, 2, 1},
    {"SilentReadSays127", Unchanged, &Form2::Command2_Click, Bytes{}, Read, ReadFrame, 127, 2, 1},
    {"WriteSendsTheRecomputedRow",
     [](Form2Controls &u) { u.Text8[0]->setText("7"); },
     &Form2::Command1_Click,
     {},
     Write,
     WriteFrame,
     129,
     2,
     3},
    {"RefusedWriteSays128", Unchanged, &Form2::Command1_Click, WithCrc({0xFF, 0xE4, 0x02}), Write,
     WriteFrame, 128, 2, 3},
    {"AcGain255Point5IsNeverSent",
     [](Form2Controls &u) { u.Text7->setText("255.5"); },
     &Form2::Command1_Click,
     {},
     Write,
     nullptr,
     132,
     1,
     3},
    {"Offset300",
     [](Form2Controls &u) { u.Text2->setText("300"); },
     &Form2::Command5_Click,
     {},
     Write,
     "FF 64 CF 0A 01 2C 7A 87",
     129,
     2,
     5},
    {"Offset70000IsNeverSent",
     [](Form2Controls &u) { u.Text2->setText("70000"); },
     &Form2::Command5_Click,
     {},
     Write,
     nullptr,
     132,
     1,
     5},
};

INSTANTIATE_TEST_SUITE_P(Form2, Form2Exchange, ::testing::ValuesIn(ExchangeCases), RowName);

// A button whose entries cannot serve: a message, nothing sent, no timer, the row unchanged.
struct RefusalCase
{
    const char *name;
    std::function<TextBox *(Form2Controls &)> entry;
    const char *text;
    void (Form2::*click)();
    int message;
    bool focused; // the entry gets the focus
};

using Form2Refusal = Form1With<RefusalCase>;

TEST_P(Form2Refusal, SaysWhyAndStartsNothing)
{
    const RefusalCase &c = GetParam();
    EXPECT_TRUE(WhileCalibrating([&](Form2 &calibration) {
        Form2Controls &u = calibration.Controls();
        c.entry(u)->setText(QString::fromLatin1(c.text));
        u.Text8[1]->setText("9");
        (calibration.*c.click)();
        EXPECT_EQ(around.shown, std::vector<QString>{Text(c.message)});
        EXPECT_TRUE(Unlocked(u));
        EXPECT_EQ(form->Machine().State(), ExchangeState::Idle);
        EXPECT_EQ(u.Text8[1]->text(), "9");
        EXPECT_EQ(calibration.focusWidget() == c.entry(u), c.focused);
        calibration.Timer1_Timer(); // a stray tick does nothing
        EXPECT_TRUE(port.written.empty());
    }));
}

const RefusalCase RefusalCases[] = {
    {"WriteWithTextSixEmpty", [](Form2Controls &u) { return u.Text6; }, "", &Form2::Command1_Click,
     136, true},
    {"OffsetEmpty", [](Form2Controls &u) { return u.Text2; }, "", &Form2::Command5_Click, 136,
     true},
    {"GainWithAReadingEmpty", [](Form2Controls &u) { return u.Text3[8]; }, "",
     &Form2::Command4_Click, 136, true},
    {"WriteWithEqualLcdPoints", [](Form2Controls &u) { return u.Text4[3]; }, "150",
     &Form2::Command1_Click, 132, false},
};

INSTANTIATE_TEST_SUITE_P(Form2, Form2Refusal, ::testing::ValuesIn(RefusalCases), RowName);

TEST_F(Form1Test, GainAndOffsetButtonsWriteTheirEntriesAndSendNothing)
{
    EXPECT_TRUE(WhileCalibrating([&](Form2 &calibration) {
        Form2Controls &u = calibration.Controls();
        u.Text3[5]->setText("5,1"); // a decimal comma reads as a point
        u.Text3[8]->setText("0");   // string B gives no gain: it and AC keep theirs
        u.Text4[4]->setText("130");
        u.Command4->click();
        EXPECT_EQ(u.Text3[4]->text(), "148");
        EXPECT_EQ(u.Text4[4]->text(), "130");
        EXPECT_EQ(around.shown, std::vector<QString>{Text(132)});
        u.Command3[0]->click();
        EXPECT_EQ(u.Text2->text(), "129");
        u.Text2->setText("200");
        u.Command3[1]->click();
        EXPECT_EQ(u.Text2->text(), "138");
        EXPECT_TRUE(port.written.empty());
        EXPECT_TRUE(Unlocked(u));
    }));
}

} // namespace
} // namespace pv
