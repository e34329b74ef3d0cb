// The main window: its controls, start-up, port selection, readings, input lock and menu strip.

#include "language/language_form.h"
#include "support/form1_fixture.h"

#include <set>
#include <tuple>

namespace pv {
namespace {

using namespace test;

// ---- start-up ----------------------------------------------------------------------------------

// Each ends the start with one message: the countries missing, the self-test program running,
// and InitSet.txt missing, said in a built-in text before the language table is loaded.
TEST_F(Form1Test, StartFailuresShowOneMessageEachAndEnd)
{
    EXPECT_FALSE(Start("1,1,1,1,0,Test", false));
    around.running.push_back("Solvane.exe");
    EXPECT_FALSE(Start());
    around.running.pop_back();
    std::filesystem::remove(program / "InitSet.txt");
    EXPECT_FALSE(Start(""));
    const char *messages[] = {"L1-152", "L1-145", "InitSet.txt beside the program is missing"};
    ASSERT_EQ(around.shown.size(), std::size(messages));
    for (std::size_t i = 0; i < std::size(messages); ++i)
        EXPECT_TRUE(around.shown[i].contains(QLatin1String(messages[i])))
            << around.shown[i].toStdString();
}

// ---- locking of the input controls -------------------------------------------------------------

// The session locks intents for an exchange and unlocks them to go back to monitoring; the
// timers of each mode are seen in the exchange machine's tests.
TEST_F(Form1Test, LockSetsEveryListedControlButNeverThePortList)
{
    ASSERT_TRUE(Start());
    const auto drawn = [this](int entry) {
        const QLabel *label = ui().Label16[entry];
        return label->palette().color(label->isEnabled() ? QPalette::Active : QPalette::Disabled,
                                      QPalette::WindowText);
    };
    for (const bool enabled : {false, true}) {
        const QColor chosen = drawn(MenuConnection), other = drawn(MenuIdentifiers);
        emit session.IntentsAllowed(enabled);
        // Every entry, button and list follows the lock but the port list, the trend box, and
        // the line view and recording, which watch an exchange rather than start one.
        const std::set<QWidget *> free{ui().Combo1, ui().Check3, ui().CommandLine,
                                       ui().CommandRecord};
        for (QWidget *w : form->findChildren<QWidget *>()) {
            const bool input = qobject_cast<QLineEdit *>(w) || qobject_cast<QAbstractButton *>(w)
                               || qobject_cast<QComboBox *>(w);
            // The History button follows whether there is a service record, not the lock
            // (history_window_test.cpp), and the publishing option whether there is a publisher
            // (form1_publish_test.cpp).
            const std::set<QWidget *> own{ui().CommandHistory, ui().CheckPublish, ui().TextBroker,
                                          ui().CommandBroker};
            if (input && w->isVisibleTo(form.get()) && !own.contains(w)) {
                EXPECT_EQ(w->isEnabled(), enabled || free.contains(w))
                    << w->objectName().toStdString();
            }
        }
        // A locked menu entry draws its caption greyed, whether chosen or not.
        EXPECT_NE(drawn(MenuConnection), chosen);
        EXPECT_NE(drawn(MenuIdentifiers), other);
    }
}

// ---- port selection and readings ---------------------------------------------------------------

TEST_F(Form1Test, ChosenPortFillsTheReadingsAndOneThatFailsToOpenSays130Once)
{
    ASSERT_TRUE(Start());
    // Output power 9.60 of inputs 5.00 + 5.00.
    registers.insert({{0xC020, 960}, {0xC026, 500}, {0xC02F, 500}, {0xC030, 500}});
    port.responder = [this](ByteView request) { return Answer(registers, request); };
    ChoosePort(2);
    EXPECT_EQ(port.CommPort(), 3);
    EXPECT_EQ(ui().Label1->text(), Text(126));
    EXPECT_GT(Lamp().blue(), Lamp().red()); // the good-link lamp
    for (int tick = 0; tick < 6; ++tick)
        form->Timer1_Timer();
    EXPECT_EQ(ui().Label2[9]->text(), "96.00%");
    EXPECT_EQ(ui().Label1->text(), Text(123)); // monitoring

    port.openFails = true;
    ChoosePort(4);
    EXPECT_EQ(ui().Label1->text(), Text(121));
    EXPECT_GT(Lamp().red(), Lamp().blue()); // the bad-link lamp
    EXPECT_EQ(TimersActive(), (Timers{false, false, false}));
    EXPECT_EQ(around.shown, std::vector<QString>{Text(130)});
}

// ---- menu strip --------------------------------------------------------------------------------

TEST_F(Form1Test, ConfigurationsOpensOnTheLeftButtonAndIsTallOnlyForOwnSettings)
{
    ASSERT_TRUE(Start());
    form->Label16_MouseDown(MenuConfigurations, RightButton, 0, 0, 0);
    EXPECT_FALSE(Shown(ui().Frame1[1]));
    ui().Combo2->setCurrentIndex(3); // own settings
    Press(MenuConfigurations);
    Press(MenuConfigurations); // twice keeps its panel
    EXPECT_TRUE(Shown(ui().Frame1[1]));
    EXPECT_EQ(ui().Shape2[MenuConfigurations]->BackColor(), 0x0000FFu);
    EXPECT_EQ(HeightTwips(form.get()), 11205); // 11200, whole pixels
    ASSERT_TRUE(Shown(ui().VScroll1));
    ui().VScroll1->setValue(10); // both frames 150 twips up
    EXPECT_EQ(TopTwips(ui().Frame1[1]), -150);
    EXPECT_EQ(TopTwips(ui().Frame1[3]), 3000 - 150);
    Press(MenuConnection); // any other entry brings the normal layout back
    EXPECT_EQ(HeightTwips(form.get()), 7560);

    // A preset chosen after scrolling: the normal layout, its frames back in reach.
    ui().Combo2->setCurrentIndex(2);
    Press(MenuConfigurations);
    EXPECT_EQ(HeightTwips(form.get()), 7560);
    EXPECT_FALSE(Shown(ui().VScroll1));
    EXPECT_EQ(TopTwips(ui().Frame1[1]), 0);
    EXPECT_EQ(TopTwips(ui().Frame1[3]), 3000);
}

// A tour of every entry with the port closed and the efficiency hidden: that frame stays hidden,
// CALIBRATION and ABOUT only say 131, and the only window, the language picker, switches the
// captions but keeps the country. The buttons of the panels say 131 too, send nothing and empty
// nothing.
TEST_F(Form1Test, TourOfEveryEntryWithThePortClosed)
{
    ASSERT_TRUE(Start("1,1,1,0,0,Test"));
    ui().Combo2->setCurrentIndex(2);
    around.whileOpen
        = [](QDialog &picker) { dynamic_cast<LanguageForm &>(picker).Picture1_Click(2); };
    for (int entry : {0, 1, 2, 3, 4, 5, 6, 0}) {
        Press(entry);
        EXPECT_FALSE(Shown(ui().Frame2[9])) << entry;
    }
    EXPECT_TRUE(Shown(ui().Frame2[8]));
    Press(MenuIdentifiers);
    ui().Text1->setText("7");
    for (int button = 0; button < 4; ++button) // Write, Read, and those of the configuration
        form->Command1_Click(button);
    EXPECT_EQ(ui().Text1->text(), "7");
    EXPECT_TRUE(port.written.empty());
    EXPECT_EQ(form->Machine().State(), ExchangeState::CheckOperatingVersion);
    EXPECT_EQ(around.shown, (std::vector<QString>{Text(131), Text(131), "L3-131", "L3-131",
                                                  "L3-131", "L3-131"})); // in the language picked
    EXPECT_EQ(ui().Label16[0]->text(), "L3-10");
    EXPECT_EQ(ui().Combo2->currentIndex(), 2);
}

// ---- configuration controls kept in step -------------------------------------------------------

// While monitoring each click settles its partners at once and ticks the country group; during
// an exchange it does nothing more.
TEST_F(Form1Test, FlagBoxesAndModesKeepInStepOnlyWhileMonitoring)
{
    for (const bool monitoring : {true, false}) {
        ASSERT_TRUE(Start());
        const Form1Controls &u = ui();
        // Before a port is chosen the link waits for its version check, which counts as free.
        // The exchange locks the boxes at the click; unlocked again here, the handlers
        // themselves are seen to hold still while it runs (as when the panel shows a write).
        if (!monitoring) {
            session.ReadConfiguration();
            emit session.IntentsAllowed(true);
        }
        // The country group, flags 0 and 1, Standard, Parallel, jbus and mbus after each click.
        const std::tuple<QAbstractButton *, const char *, const char *> clicks[] = {
            {u.Check2[1], "1010001", "0010000"},
            {u.Option1[1], "1110101", "0010100"},
            {u.Option2[0], "1100110", "0010110"},
            {u.Check2[0], "1001010", "0110110"},
        };
        for (const auto &[button, settled, duringExchange] : clicks) {
            u.Check1[2]->setChecked(false);
            button->click();
            std::string after;
            for (bool on : {u.Check1[2]->isChecked(), u.Check2[0]->isChecked(),
                            u.Check2[1]->isChecked(), u.Option1[0]->Value(), u.Option1[1]->Value(),
                            u.Option2[0]->Value(), u.Option2[1]->Value()})
                after += on ? '1' : '0';
            EXPECT_EQ(after, monitoring ? settled : duringExchange)
                << button->objectName().toStdString();
        }
    }
}

} // namespace
} // namespace pv
