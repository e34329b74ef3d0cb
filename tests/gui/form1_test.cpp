// The main window: its controls, start-up, port selection, readings, input lock and menu strip.

#include "language/language_form.h"
#include "support/form1_fixture.h"

#include <functional>

namespace pv {
namespace {

using namespace test;

// Every control SetControlsAndTimers locks, and nothing else.
std::vector<QWidget *> LockedControls(Form1Controls &u)
{
    std::vector<QWidget *> all{u.Text1,      u.Text2,      u.Text3,      u.Text4,     u.Text5,
                               u.Text6,      u.Text8,      u.Combo2,     u.Frame3,    u.Frame4,
                               u.Option1[0], u.Option1[1], u.Option2[0], u.Option2[1]};
    const auto add = [&all](const auto &...a) { (all.insert(all.end(), a.begin(), a.end()), ...); };
    add(u.Label16, u.Command1, u.Text7, u.Check1, u.Check2);
    return all;
}

TEST_F(Form1Test, RepresentativeControlsStandAtTheirDesignPlaces)
{
    ASSERT_TRUE(Start());
    // The control's place in twips, after checking its design name and parent.
    const auto at = [this](const char *name, const char *parent) {
        const QWidget *w = form->findChild<QWidget *>(name);
        EXPECT_TRUE(w && w->parentWidget()->objectName() == QLatin1String(parent)) << name;
        return w ? QRect(LeftTwips(w), TopTwips(w), WidthTwips(w), HeightTwips(w)) : QRect();
    };
    EXPECT_EQ(at("Label16(1)", "Form1").left(), 2040);
    EXPECT_EQ(at("Label16(3)", "Form1").left(), 10800); // the menu entries are not in order
    EXPECT_EQ(at("Picture1", "Form1").top(), 3120);
    EXPECT_EQ(at("Picture4", "Form1"), QRect(60, 3840, 12240, 3735));
    at("Label2(9)", "Frame2(9)");
    at("Combo1", "Frame1(0)");
    at("Option1(1)", "Frame3");
}

// ---- start-up ----------------------------------------------------------------------------------

struct StartFailure
{
    const char *name, *initSet, *message; // an empty initSet: InitSet.txt missing
    bool countries, selfTestRunning;
};

using Form1StartFailure = Form1With<StartFailure>;

TEST_P(Form1StartFailure, ShowsOneMessageAndEnds)
{
    const StartFailure &f = GetParam();
    if (f.selfTestRunning)
        around.running.push_back("Solvane.exe");
    EXPECT_FALSE(Start(f.initSet, f.countries));
    ASSERT_EQ(around.shown.size(), 1u);
    EXPECT_TRUE(around.shown[0].contains(QLatin1String(f.message)))
        << around.shown[0].toStdString();
}

const StartFailure StartFailures[] = {
    // Before the language table is loaded the message is built in.
    {"InitSetMissing", "", "InitSet.txt beside the program is missing", true, false},
    {"CountriesMissing", "1,1,1,1,0,Test", "L1-152", false, false},
    {"SelfTestRunning", "1,1,1,1,0,Test", "L1-145", true, true},
};

INSTANTIATE_TEST_SUITE_P(Form1, Form1StartFailure, ::testing::ValuesIn(StartFailures), RowName);

// ---- locking of the input controls -------------------------------------------------------------

struct LockMode
{
    const char *name;
    bool enabled;
    ControlsMode mode;
    Timers timers;
};

using Form1LockMode = Form1With<LockMode>;

TEST_P(Form1LockMode, SetsEveryListedControlAndTheTimersButNeverThePortList)
{
    ASSERT_TRUE(Start());
    const LockMode &m = GetParam();
    constexpr auto One = ControlsMode::BackToMonitoring, Five = ControlsMode::PortFailed;
    form->Machine().SetControlsAndTimers(!m.enabled, m.mode == Five ? One : Five); // the opposite
    form->Machine().SetControlsAndTimers(m.enabled, m.mode);
    for (QWidget *w : LockedControls(ui()))
        EXPECT_EQ(w->isEnabled(), m.enabled) << w->objectName().toStdString();
    EXPECT_TRUE(ui().Combo1->isEnabled() && ui().Check3->isEnabled());
    EXPECT_EQ(TimersActive(), m.timers);
}

const LockMode LockModes[] = {
    {"UnlockedMode1", true, ControlsMode::BackToMonitoring, {true, false, false}},
    {"LockedMode2", false, ControlsMode::IdentifyExchange, {false, true, false}},
    {"LockedMode3", false, ControlsMode::ConfigurationExchange, {false, false, true}},
    {"LockedMode4", false, ControlsMode::VersionCheck, {true, false, false}},
    {"UnlockedMode5", true, ControlsMode::PortFailed, {false, false, false}},
};

INSTANTIATE_TEST_SUITE_P(Form1, Form1LockMode, ::testing::ValuesIn(LockModes), RowName);

// ---- port selection and readings ---------------------------------------------------------------

TEST_F(Form1Test, ChosenPortOpensOnceAndAFullCycleOfTimer1FillsTheReadings)
{
    ASSERT_TRUE(Start());
    // Output power 9.60 of inputs 5.00 + 5.00; 230 V, 50.0 Hz; operating version "V1000700".
    const std::map<int, int> registers{{0xC020, 960},    {0xC021, 230},    {0xC026, 500},
                                       {0xC02F, 500},    {0xC030, 500},    {0xC0BC, 0x5631},
                                       {0xC0BD, 0x3030}, {0xC0BE, 0x3037}, {0xC0BF, 0x3030}};
    port.responder = [&registers](ByteView request) { return Answer(registers, request); };
    ChoosePort(2);
    EXPECT_TRUE(port.IsOpen());
    EXPECT_EQ(port.CommPort(), 3);
    EXPECT_EQ(port.settings, "9600,n,8,1");
    EXPECT_EQ(ui().Label1->text(), Text(126));
    EXPECT_GT(Lamp().blue(), Lamp().red()); // the good-link lamp
    EXPECT_EQ(TimersActive(), (Timers{true, false, false}));
    EXPECT_FALSE(ui().Command1[0]->isEnabled());
    for (int tick = 0; tick < 6; ++tick)
        form->Timer1_Timer();
    EXPECT_EQ(ui().Label2[3]->text(), "230");
    EXPECT_EQ(ui().Label2[4]->text(), "50.0");
    EXPECT_EQ(ui().Label2[9]->text(), "96.00%");
    EXPECT_EQ(ui().Label1->text(), Text(123)); // monitoring
    // The same port chosen again while monitoring changes nothing; otherwise it is reopened.
    port.ClearRecord();
    ChoosePort(2);
    EXPECT_EQ(port.openCalls + port.closeCalls, 0);
    form->Machine().AwaitVersionCheck();
    ChoosePort(2);
    EXPECT_EQ(port.openCalls + port.closeCalls, 2);
}

TEST_F(Form1Test, PortThatFailsToOpenStopsEverythingAndSays130Once)
{
    ASSERT_TRUE(Start());
    ChoosePort(0);
    port.openFails = true;
    ChoosePort(4);
    EXPECT_FALSE(port.IsOpen());
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
    for (int country : {-1, 2, 3}) { // none chosen, the last preset, own settings
        const bool tall = country == 3;
        ui().Combo2->setCurrentIndex(country);
        Press(MenuConfigurations);
        Press(MenuConfigurations); // twice keeps its panel
        EXPECT_TRUE(Shown(ui().Frame1[1]));
        EXPECT_EQ(ui().Shape2[MenuConfigurations]->BackColor(), 0x0000FFu);
        EXPECT_EQ(HeightTwips(form.get()), tall ? 11205 : 7560) << country; // 11200, whole pixels
        EXPECT_EQ(Shown(ui().VScroll1), tall) << country;
        if (tall) { // scroll value 10 moves both frames 150 twips up
            ui().VScroll1->setValue(10);
            EXPECT_EQ(TopTwips(ui().Frame1[1]), -150);
            EXPECT_EQ(TopTwips(ui().Frame1[3]), 3000 - 150);
        }
        Press(MenuConnection); // any other entry brings the normal layout back
        EXPECT_EQ(HeightTwips(form.get()), 7560) << country;
    }
}

// A tour of every entry with the port closed and the efficiency hidden: that frame stays hidden,
// CALIBRATION and ABOUT only say 131, and the only window, the language picker, switches the
// captions but keeps the country.
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
    EXPECT_EQ(around.shown, (std::vector<QString>{Text(131), Text(131)}));
    EXPECT_EQ(ui().Label16[0]->text(), "L3-10");
    EXPECT_EQ(ui().Combo2->currentIndex(), 2);
}

// ---- configuration controls kept in step -------------------------------------------------------

struct StepCase
{
    // Check2(0), Check2(1), Option1(0), Option1(1), Option2(0), Option2(1) afterwards
    const char *name, *settled, *duringExchange;
    std::function<void(Form1Controls &)> act;
};

using Form1InStep = Form1With<StepCase>;

// While monitoring a change settles its partners at once and ticks the country group; during an
// exchange it does nothing more.
TEST_P(Form1InStep, SettlesWhenMonitoringAndDoesNothingDuringAnExchange)
{
    for (const bool monitoring : {true, false}) {
        ASSERT_TRUE(Start());
        Form1Controls &u = ui();
        // Before a port is chosen the link waits for its version check, which counts as free.
        if (!monitoring)
            form->Machine().PrepareConfigurationRead();
        GetParam().act(u);
        std::string after;
        for (bool on : {u.Check2[0]->isChecked(), u.Check2[1]->isChecked(), u.Option1[0]->Value(),
                        u.Option1[1]->Value(), u.Option2[0]->Value(), u.Option2[1]->Value()})
            after += on ? '1' : '0';
        EXPECT_EQ(after, monitoring ? GetParam().settled : GetParam().duringExchange);
        EXPECT_EQ(u.Check1[2]->isChecked(), monitoring);
    }
}

const StepCase StepCases[] = {
    {"TickFlag0", "100100", "100000", [](Form1Controls &u) { u.Check2[0]->setChecked(true); }},
    {"ClickFlag1", "010001", "010000", [](Form1Controls &u) { u.Check2[1]->click(); }},
    {"ClickParallel", "100100", "000100", [](Form1Controls &u) { u.Option1[1]->click(); }},
    {"MbusThenJbus", "000010", "000010",
     [](Form1Controls &u) { u.Option2[1]->click(), u.Option2[0]->click(); }},
    {"TickAndUntickFlag0", "001000", "000000",
     [](Form1Controls &u) { u.Check2[0]->setChecked(true), u.Check2[0]->setChecked(false); }},
};

INSTANTIATE_TEST_SUITE_P(Form1, Form1InStep, ::testing::ValuesIn(StepCases), RowName);

} // namespace
} // namespace pv
