// The calibration window opened from the main window's menu against a scripted inverter: the
// hand-over from monitoring and back, the lock while an exchange runs, its timer, what reaches
// the wire, the messages, and the entries its buttons write. The frames built from the entries,
// the gains and the read-back layout are pinned by the calibration core tests.

#include "support/form1_fixture.h"

#include <algorithm>
#include <functional>

namespace pv {
namespace {

using namespace test;

// Every entry and button of the window follows the lock: enabled, or every one disabled.
bool AllEnabled(Form2 &window, bool enabled)
{
    const QList<QWidget *> controls = window.findChildren<QWidget *>();
    return std::all_of(controls.begin(), controls.end(), [enabled](const QWidget *w) {
        const bool input = qobject_cast<const QLineEdit *>(w) != nullptr
                           || qobject_cast<const QAbstractButton *>(w) != nullptr;
        return !input || w->isEnabled() == enabled;
    });
}

bool Unlocked(Form2 &window)
{
    return AllEnabled(window, true) && !window.Controls().Timer1->isActive();
}

// One exchange from its button to the tick that unlocks the window; monitoring stops while the
// window is open and resumes at its first step once the window is closed.
struct ExchangeCase
{
    const char *name;
    void (Form2::*click)();
    std::optional<Bytes> reply; // taken on the reply tick instead of the inverter's answer
    const char *wire;           // nothing: nothing sent, and the first tick ends it
    int message;                // 0: none
    std::function<void(Form2Controls &)> edit = [](Form2Controls &) {};
};

using Form2Exchange = Form1With<ExchangeCase>;

TEST_P(Form2Exchange, LocksRunsItsTimerAndEndsUnlockedWithItsMessage)
{
    const ExchangeCase &c = GetParam();
    const bool read = c.click == &Form2::Command2_Click;
    registers[0xCF07] = 0x0A0B;
    EXPECT_TRUE(WhileCalibrating([&](Form2 &calibration) {
        Form2Controls &u = calibration.Controls();
        EXPECT_EQ(TimersActive(), (Timers{false, false, false}));
        c.edit(u);
        (calibration.*c.click)();
        EXPECT_TRUE(AllEnabled(calibration, false));
        EXPECT_TRUE(u.Timer1->isActive());
        EXPECT_EQ(u.Timer1->interval(), read ? 500 : 2000);
        EXPECT_EQ(u.Text8[0]->text(), "128") << "the row is recomputed before a write";
        int ticks = 0;
        for (; ticks < 3 && u.Timer1->isActive(); ++ticks) {
            EXPECT_TRUE(around.shown.empty()) << "judged once, on the tick that ends it";
            if (ticks == 1 && c.reply)
                port.QueueReply(*c.reply);
            calibration.Timer1_Timer();
        }
        EXPECT_EQ(ticks, c.wire ? 2 : 1);
        EXPECT_EQ(port.written,
                  c.wire ? std::vector<std::string>{c.wire} : std::vector<std::string>{});
        EXPECT_EQ(around.shown,
                  c.message ? std::vector<QString>{Text(c.message)} : std::vector<QString>{});
        EXPECT_TRUE(Unlocked(calibration));
        EXPECT_EQ(form->Machine().State(), ExchangeState::CalibrationWindowOpen);
        // A read clears the row and fills it from the reply (0xCF07 in Text1(11)).
        EXPECT_EQ(u.Text1[11]->text(), !read ? "128" : c.message ? "" : "11");
        calibration.reject(); // the window's close button
    }));
    EXPECT_EQ(form->Machine().State(), ExchangeState::Monitor);
    EXPECT_EQ(form->Machine().MonitorStep(), 0);
    EXPECT_EQ(TimersActive(), (Timers{true, false, false}));
}

const auto ReadClick = &Form2::Command2_Click, WriteClick = &Form2::Command1_Click;
const char *ReadFrame = "FF 03 CF 00 00 0F 2F 04";
const char *WriteFrame = "FF 64 CF 03 00 07 0E 80 80 80 80 01 2C 80 00 80 00 00 E6 80 00 F0 EF";
const auto RowCell7 = [](Form2Controls &u) { u.Text8[0]->setText("7"); };
const auto Offset138 = [](Form2Controls &u) { u.Text2->setText("138"); };
const auto Offset1300 = [](Form2Controls &u) { u.Text2->setText("1300"); };
const ExchangeCase ExchangeCases[] = {
    {"ReadFillsTheRow", ReadClick, {}, ReadFrame, 0},
    {"SilentReadSays127", ReadClick, Bytes{}, ReadFrame, 127},
    {"WriteSendsTheRecomputedRow", WriteClick, {}, WriteFrame, 129, RowCell7},
    {"Offset138", &Form2::Command5_Click, {}, "FF 64 CF 0A 00 8A FB 6D", 129, Offset138},
    {"Offset1300IsNeverSent", &Form2::Command5_Click, {}, nullptr, 132, Offset1300},
};

INSTANTIATE_TEST_SUITE_P(Form2, Form2Exchange, ::testing::ValuesIn(ExchangeCases), RowName);

// Buttons that never reach the wire, in a window opened with its captions. Those whose entries
// cannot serve say why, focus the empty entry, start no timer and leave the row as it was (the
// equal LCD points go first: an empty entry is found before them). The gain and offset buttons
// write their entries.
TEST_F(Form1Test, CalibrationButtonsThatSendNothing)
{
    EXPECT_TRUE(WhileCalibrating([&](Form2 &calibration) {
        Form2Controls &u = calibration.Controls();
        EXPECT_EQ(calibration.windowTitle(), Text(1));
        EXPECT_EQ(u.Text3[5]->text(), "5.0") << "readings shown with one decimal";
        u.Text8[1]->setText("9");
        const struct
        {
            TextBox *entry;
            const char *text;
            void (Form2::*click)();
            int message;
        } refusals[] = {
            {u.Text4[3], "150", &Form2::Command1_Click, 132}, // the focus stays where it was
            {u.Text6, "", &Form2::Command1_Click, 136},
            {u.Text2, "", &Form2::Command5_Click, 136},
            {u.Text3[8], "", &Form2::Command4_Click, 136},
        };
        for (const auto &r : refusals) {
            SCOPED_TRACE(r.entry->objectName().toStdString());
            around.shown.clear();
            r.entry->setText(r.text);
            (calibration.*r.click)();
            EXPECT_EQ(around.shown, std::vector<QString>{Text(r.message)});
            EXPECT_EQ(calibration.focusWidget() == r.entry, r.message == 136);
            EXPECT_TRUE(Unlocked(calibration));
            calibration.Timer1_Timer(); // a stray tick does nothing
        }
        EXPECT_EQ(u.Text8[1]->text(), "9");

        around.shown.clear();
        u.Text3[5]->setText("5,1"); // a decimal comma reads as a point
        u.Text3[8]->setText("0");   // string B gives no gain: it and AC keep theirs
        u.Text4[4]->setText("130");
        u.Command4->click();
        EXPECT_EQ(u.Text3[4]->text(), "148");
        EXPECT_EQ(u.Text4[4]->text(), "130");
        EXPECT_EQ(around.shown, std::vector<QString>{Text(132)});
        u.Text2->setText("128");
        u.Command3[0]->click();
        EXPECT_EQ(u.Text2->text(), "129");
        u.Text2->setText("200");
        u.Command3[1]->click();
        EXPECT_EQ(u.Text2->text(), "138");
        EXPECT_TRUE(port.written.empty());
        EXPECT_TRUE(Unlocked(calibration));
    }));
    form->LanguagePicked(2); // the main window is the caption target again
    EXPECT_EQ(ui().Label16[0]->text(), "L3-10");
}

} // namespace
} // namespace pv
