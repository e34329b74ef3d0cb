// The main window as a whole: start-up, port selection, the readings after hand-ticked timer
// steps, the lock of the input controls, and navigation by the menu strip.

#include "app/form1.h"
#include "language/language_form.h"
#include "link/codec.h"
#include "platform/language_store.h"
#include "platform/message_box.h"
#include "platform/modal_presenter.h"
#include "platform/process_list.h"
#include "support/fake_serial_port.h"

#include <QDialog>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <array>
#include <fstream>
#include <functional>
#include <map>
#include <memory>

namespace pv {
namespace {

namespace fs = std::filesystem;
using test::FakeSerialPort;

class RecordingMessages : public MessageSink
{
public:
    void ShowMessage(const QString &text) override { shown.push_back(text); }
    std::vector<QString> shown;
};

class RecordingPresenter : public ModalPresenter
{
public:
    void ShowModal(QDialog &dialog) override
    {
        ++shown;
        if (whileOpen)
            whileOpen(dialog);
    }
    int shown = 0;
    std::function<void(QDialog &)> whileOpen;
};

class FixedProcessList : public ProcessList
{
public:
    std::vector<std::string> ExecutableNames() const override { return names; }
    std::vector<std::string> names{"bash", "sleep"};
};

// Text N of language L reads "L<L>-<N>", so a caption tells which text and language it is.
class NumberedLanguageStore : public LanguageStore
{
public:
    bool Open() override { return opens; }
    int RowCount() const override { return 201; }
    bool ReadCell(int row, int column, std::optional<std::string> &text) override
    {
        if (column < 1 || column > 12)
            return false;
        text = "L" + std::to_string(column) + "-" + std::to_string(row);
        return true;
    }
    void Close() override {}
    bool opens = true;
};

QString Text(int number)
{
    return QStringLiteral("L1-%1").arg(number);
}

void WriteFile(const fs::path &path, const std::string &bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

// An inverter that answers every read of the 0xC000 block from its registers.
struct RegisterInverter
{
    std::map<std::uint16_t, std::uint16_t> registers;

    void SetText(std::uint16_t first, const std::string &text)
    {
        for (std::size_t i = 0; i < text.size(); i += 2) {
            const auto high = static_cast<std::uint8_t>(text[i]);
            const auto low = static_cast<std::uint8_t>(i + 1 < text.size() ? text[i + 1] : 0);
            registers[static_cast<std::uint16_t>(first + i / 2)] = high << 8 | low;
        }
    }

    std::optional<Bytes> Answer(ByteView request) const
    {
        if (request.size() < 8 || request[1] != ReadFunction)
            return std::nullopt;
        const auto start = static_cast<std::uint16_t>(request[2] << 8 | request[3]);
        const int count = request[4] << 8 | request[5];
        Bytes reply{SlaveAddress, ReadFunction, static_cast<std::uint8_t>(2 * count)};
        for (int i = 0; i < count; ++i) {
            const auto found = registers.find(static_cast<std::uint16_t>(start + i));
            const std::uint16_t value = found == registers.end() ? 0 : found->second;
            reply.push_back(static_cast<std::uint8_t>(value >> 8));
            reply.push_back(static_cast<std::uint8_t>(value & 0xFF));
        }
        AppendCrc(reply);
        return reply;
    }
};

struct FolderFiles
{
    std::string initSet = "1,1,1,1,0,Test";
    std::string countries = "header\r\nheader\r\nR0\t1\r\nR1\t2\r\nR2\t3";
    bool withInitSet = true;
    bool withCountries = true;
};

class Form1Test : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.isValid());
        program = fs::path(folder.path().toStdString());
    }

    void Start(const FolderFiles &files = {}, bool expectStarted = true)
    {
        if (files.withInitSet)
            WriteFile(program / "InitSet.txt", files.initSet);
        if (files.withCountries)
            WriteFile(program / "CountryParameter.txt", files.countries);
        WriteFile(program / "LanguageSet.txt", "1\r\n");
        form = std::make_unique<Form1>(
            Form1Services{port, messages, presenter, processes, store, program, NumberFormat{}});
        started = form->Form_Load();
        if (expectStarted) {
            ASSERT_TRUE(started);
            ASSERT_TRUE(messages.shown.empty());
        }
    }

    Form1Controls &ui() { return form->Controls(); }
    bool Shown(QWidget *w) const { return !w->isHidden(); }
    std::array<bool, 3> Timers()
    {
        return {ui().Timer1->isActive(), ui().Timer2->isActive(), ui().Timer3->isActive()};
    }
    void ChoosePort(int index)
    {
        ui().Combo1->setCurrentIndex(index);
        emit ui().Combo1->activated(index);
    }
    void Press(int entry) { form->Label16_MouseDown(entry, LeftButton, 0, 0, 0); }
    QColor LampPixel() const { return form->Controls().Picture1->Canvas().pixelColor(13, 13); }

    // Every control SetControlsAndTimers locks, and nothing else.
    std::vector<QWidget *> LockedControls()
    {
        std::vector<QWidget *> all;
        for (auto *w : ui().Label16)
            all.push_back(w);
        for (auto *w : ui().Command1)
            all.push_back(w);
        for (auto *w : ui().Text7)
            all.push_back(w);
        for (QWidget *w :
             {static_cast<QWidget *>(ui().Text1), static_cast<QWidget *>(ui().Text2),
              static_cast<QWidget *>(ui().Text3), static_cast<QWidget *>(ui().Text4),
              static_cast<QWidget *>(ui().Text5), static_cast<QWidget *>(ui().Text6),
              static_cast<QWidget *>(ui().Text8), static_cast<QWidget *>(ui().Combo2),
              static_cast<QWidget *>(ui().Frame3), static_cast<QWidget *>(ui().Frame4)})
            all.push_back(w);
        for (auto *w : ui().Check2)
            all.push_back(w);
        for (auto *w : ui().Check1)
            all.push_back(w);
        for (auto *w : ui().Option1)
            all.push_back(w);
        for (auto *w : ui().Option2)
            all.push_back(w);
        return all;
    }

    QTemporaryDir folder;
    fs::path program;
    FakeSerialPort port;
    RecordingMessages messages;
    RecordingPresenter presenter;
    FixedProcessList processes;
    NumberedLanguageStore store;
    std::unique_ptr<Form1> form;
    bool started = false;
};

// ---- start-up ----------------------------------------------------------------------------------

TEST_F(Form1Test, StartUpLeavesConnectionOpenNoPortAndNoTimer)
{
    Start();
    EXPECT_EQ(form->Machine().State(), ExchangeState::CheckOperatingVersion);
    EXPECT_EQ(ui().Label1->text(), Text(121));
    EXPECT_EQ(form->Machine().StatusTextNumber(), 121);
    EXPECT_GT(LampPixel().red(), LampPixel().blue()); // the bad-link lamp
    EXPECT_TRUE(Shown(ui().Frame1[0]));
    for (int i : {1, 2, 3})
        EXPECT_FALSE(Shown(ui().Frame1[i])) << i;
    for (auto *frame : ui().Frame2)
        EXPECT_TRUE(Shown(frame));
    EXPECT_EQ(ui().Shape2[0]->BackColor(), 0x0000FFu);
    EXPECT_EQ(ui().Combo1->count(), 16);
    EXPECT_EQ(ui().Combo1->itemText(0), "COM1");
    EXPECT_EQ(ui().Combo1->itemText(15), "COM16");
    EXPECT_EQ(ui().Combo1->currentIndex(), -1);
    EXPECT_EQ(Timers(), (std::array<bool, 3>{false, false, false}));
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(form->Values().CountryRecordCount, 3);
    EXPECT_EQ(form->Values().SavedFrameTops, (std::array<int, 2>{0, 3000}));
    EXPECT_EQ(form->windowTitle(), Text(0) + " Test");
}

struct StartFailure
{
    const char *name;
    FolderFiles files;
    std::vector<std::string> running;
    const char *messageContains;
};

class Form1StartFailure : public Form1Test, public ::testing::WithParamInterface<StartFailure>
{
};

TEST_P(Form1StartFailure, ShowsOneMessageAndEnds)
{
    processes.names = GetParam().running;
    Start(GetParam().files, false);
    EXPECT_FALSE(started);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_TRUE(messages.shown[0].contains(QLatin1String(GetParam().messageContains)))
        << messages.shown[0].toStdString();
}

FolderFiles Without(bool initSet, bool countries)
{
    FolderFiles files;
    files.withInitSet = initSet;
    files.withCountries = countries;
    return files;
}

FolderFiles InitSetOf(const std::string &content)
{
    FolderFiles files;
    files.initSet = content;
    return files;
}

const StartFailure StartFailures[] = {
    {"InitSetMissing", Without(false, true), {}, "InitSet.txt"},
    {"InitSetShort", InitSetOf("1,1,1"), {}, "InitSet.txt"},
    {"CountriesMissing", Without(true, false), {}, "L1-152"},
    {"SelfTestRunning", {}, {"bash", "Solvane.exe"}, "L1-145"},
};

INSTANTIATE_TEST_SUITE_P(Form1, Form1StartFailure, ::testing::ValuesIn(StartFailures),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(Form1Test, UnreadableLanguageTableEndsWithBuiltInMessage)
{
    store.opens = false;
    Start({}, false);
    EXPECT_FALSE(started);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_TRUE(messages.shown[0].contains("Language")) << messages.shown[0].toStdString();
}

// ---- locking of the input controls -------------------------------------------------------------

struct LockMode
{
    bool enabled;
    int mode;
    std::array<bool, 3> timers;
};

class Form1LockMode : public Form1Test, public ::testing::WithParamInterface<LockMode>
{
};

TEST_P(Form1LockMode, SetsEveryListedControlAndTheTimersButNeverThePortList)
{
    Start();
    const LockMode &m = GetParam();
    form->Machine().SetControlsAndTimers(!m.enabled, m.mode == 5 ? 1 : 5); // the opposite first
    form->Machine().SetControlsAndTimers(m.enabled, m.mode);
    for (QWidget *w : LockedControls())
        EXPECT_EQ(w->isEnabled(), m.enabled) << w->objectName().toStdString();
    EXPECT_TRUE(ui().Combo1->isEnabled());
    EXPECT_TRUE(ui().VScroll1->isEnabled());
    EXPECT_TRUE(ui().Check3->isEnabled());
    EXPECT_EQ(Timers(), m.timers);
}

const LockMode LockModes[] = {
    {true, 1, {true, false, false}},  {false, 2, {false, true, false}},
    {false, 3, {false, false, true}}, {false, 4, {true, false, false}},
    {true, 5, {false, false, false}},
};

INSTANTIATE_TEST_SUITE_P(Form1, Form1LockMode, ::testing::ValuesIn(LockModes),
                         [](const auto &info) {
                             return (info.param.enabled ? "Unlocked" : "Locked")
                                    + std::string("Mode") + std::to_string(info.param.mode);
                         });

TEST_F(Form1Test, LockedMenuLabelIgnoresMousePresses)
{
    Start();
    form->Machine().SetControlsAndTimers(false, 4);
    QTest::mousePress(ui().Label16[1], Qt::LeftButton);
    EXPECT_FALSE(Shown(ui().Frame1[1]));
    EXPECT_EQ(ui().Shape2[0]->BackColor(), 0x0000FFu);
}

// ---- port selection ----------------------------------------------------------------------------

TEST_F(Form1Test, ChosenPortOpensWithGoodLampAndOnlyTimer1)
{
    Start();
    ChoosePort(2);
    EXPECT_TRUE(port.IsOpen());
    EXPECT_EQ(port.CommPort(), 3);
    EXPECT_EQ(port.settings, "9600,n,8,1");
    EXPECT_EQ(ui().Label1->text(), Text(126));
    EXPECT_GT(LampPixel().blue(), LampPixel().red()); // the good-link lamp
    EXPECT_EQ(Timers(), (std::array<bool, 3>{true, false, false}));
    EXPECT_FALSE(ui().Command1[0]->isEnabled());
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(Form1Test, PortThatFailsToOpenStopsEverythingAndSays130Once)
{
    Start();
    port.openFails = true;
    ChoosePort(4);
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(ui().Label1->text(), Text(121));
    EXPECT_GT(LampPixel().red(), LampPixel().blue());
    EXPECT_EQ(Timers(), (std::array<bool, 3>{false, false, false}));
    EXPECT_EQ(messages.shown, std::vector<QString>{Text(130)});
    for (QWidget *w : LockedControls())
        EXPECT_TRUE(w->isEnabled()) << w->objectName().toStdString();
}

TEST_F(Form1Test, ChoosingTheSamePortAgainWhileMonitoringChangesNothing)
{
    Start();
    ChoosePort(0);
    form->Machine().SetState(ExchangeState::Monitor);
    port.ClearRecord();
    ChoosePort(0); // a user's choice of the entry already shown
    EXPECT_EQ(port.openCalls, 0);
    EXPECT_EQ(port.closeCalls, 0);
    form->Machine().SetState(ExchangeState::CheckOperatingVersion);
    ChoosePort(0);
    EXPECT_EQ(port.closeCalls, 1);
    EXPECT_EQ(port.openCalls, 1);
}

// ---- readings ----------------------------------------------------------------------------------

TEST_F(Form1Test, ReadingsFollowTheTicksOfTimer1)
{
    Start();
    RegisterInverter inverter;
    inverter.registers = {
        {0xC020, 960}, // output power, hundredths
        {0xC021, 230}, // AC voltage
        {0xC024, 43},  // AC current, tenths
        {0xC026, 500}, // frequency, tenths
        {0xC027, 380}, // DC bus
        {0xC02B, 312}, // input A voltage
        {0xC02C, 0},   // input B voltage
        {0xC02F, 500}, // input A power, hundredths
        {0xC030, 500}, // input B power
        {0xC031, 0},   {0xC032, 1234},
    };
    inverter.SetText(0xC0BC, "V1000700");
    port.responder = [&inverter](ByteView request) { return inverter.Answer(request); };
    ChoosePort(0);

    for (int tick = 0; tick < 6; ++tick)
        form->Timer1_Timer();

    const auto &label = ui().Label2;
    EXPECT_EQ(label[0]->text(), "312");
    EXPECT_EQ(label[1]->text(), "0");
    EXPECT_EQ(label[2]->text(), "380");
    EXPECT_EQ(label[3]->text(), "230");
    EXPECT_EQ(label[4]->text(), "50.0");
    EXPECT_EQ(label[7]->text(), "4.3");
    EXPECT_EQ(label[8]->text(), "1234");
    EXPECT_EQ(label[9]->text(), "96.00%");
    // The whole cycle passed the version check: unlocked and monitoring.
    EXPECT_EQ(form->Machine().State(), ExchangeState::Monitor);
    EXPECT_EQ(ui().Label1->text(), Text(123));
    EXPECT_TRUE(ui().Command1[3]->isEnabled());
}

TEST_F(Form1Test, FrequencyIsRoundedToOneDecimal)
{
    Start();
    RegisterInverter inverter;
    inverter.registers = {{0xC026, 499}}; // 49.9
    port.responder = [&inverter](ByteView request) { return inverter.Answer(request); };
    ChoosePort(0);
    form->Timer1_Timer(); // request 0xC020
    EXPECT_EQ(ui().Label2[4]->text(), "0.0");
    EXPECT_EQ(ui().Label2[9]->text(), "0%");
    form->Timer1_Timer(); // its reply
    EXPECT_EQ(ui().Label2[4]->text(), "49.9");
}

TEST_F(Form1Test, IdentifierValuesFillTheFourBoxes)
{
    Start();
    RegisterInverter inverter;
    inverter.registers = {{0xC080, 6}, {0xC031, 1}, {0xC032, 0}};
    inverter.SetText(0xC0B2, "PV-3000");
    inverter.SetText(0xC0B7, "ACME");
    port.responder = [&inverter](ByteView request) { return inverter.Answer(request); };
    ChoosePort(0);
    for (int tick = 0; tick < 6; ++tick)
        form->Timer1_Timer();
    form->ShowIdentifierValues();
    EXPECT_EQ(ui().Text1->text(), "7");
    EXPECT_EQ(ui().Text2->text(), "65536");
    EXPECT_EQ(ui().Text3->text(), "PV-3000");
    EXPECT_EQ(ui().Text4->text(), "ACME");
}

// ---- menu strip --------------------------------------------------------------------------------

TEST_F(Form1Test, RightButtonOnAMenuLabelChangesNothing)
{
    Start();
    form->Label16_MouseDown(MenuConfigurations, RightButton, 0, 0, 0);
    QTest::mouseClick(ui().Label16[MenuIdentifiers], Qt::RightButton);
    EXPECT_EQ(ui().Shape2[0]->BackColor(), 0x0000FFu);
    EXPECT_EQ(ui().Shape2[1]->BackColor(), 0x400000u);
    EXPECT_TRUE(Shown(ui().Frame1[0]));
    EXPECT_FALSE(Shown(ui().Frame1[1]));
    EXPECT_FALSE(Shown(ui().Frame1[2]));
}

TEST_F(Form1Test, LeftPressMarksTheEntryAndShowsItsPanel)
{
    Start();
    QTest::mousePress(ui().Label16[MenuIdentifiers], Qt::LeftButton);
    for (int i = 0; i < 7; ++i) {
        const bool chosen = i == MenuIdentifiers;
        EXPECT_EQ(ui().Shape2[i]->BackColor(), chosen ? 0x0000FFu : 0x400000u) << i;
        EXPECT_EQ(ui().Shape2[i]->BorderColor(), chosen ? 0x0000FFu : 0x400000u) << i;
        EXPECT_EQ(ui().Shape2[i]->FillColor(), chosen ? 0xC0C0FFu : 0x400000u) << i;
        EXPECT_EQ(ui().Label16[i]->palette().color(QPalette::WindowText),
                  chosen ? QColor(0, 0x40, 0) : QColor(Qt::white))
            << i;
    }
    EXPECT_TRUE(Shown(ui().Frame1[2]));
    EXPECT_FALSE(Shown(ui().Frame1[0]));
    EXPECT_TRUE(Shown(ui().Frame2[0]));
    EXPECT_EQ(TopTwips(ui().Picture4), 3840);
}

TEST_F(Form1Test, ConfigurationsTwiceKeepsItsPanelVisible)
{
    Start();
    Press(MenuConfigurations);
    EXPECT_TRUE(Shown(ui().Frame1[1]));
    Press(MenuConfigurations);
    EXPECT_TRUE(Shown(ui().Frame1[1]));
    // The readings give way: the strip and the viewport move up.
    EXPECT_FALSE(Shown(ui().Frame2[0]));
    EXPECT_TRUE(Shown(ui().Frame1[3]));
    EXPECT_EQ(TopTwips(ui().Picture1), 840);
    EXPECT_EQ(TopTwips(ui().Picture4), 1575); // 1580 at 15 twips a pixel
}

struct Layout
{
    const char *name;
    int countryPosition;
    int windowHeight;
    int viewportHeight;
    bool scrollBar;
};

class Form1Layout : public Form1Test, public ::testing::WithParamInterface<Layout>
{
};

TEST_P(Form1Layout, ConfigurationsIsTallOnlyForOwnSettings)
{
    Start();
    const Layout &l = GetParam();
    ui().Combo2->setCurrentIndex(l.countryPosition);
    Press(MenuConfigurations);
    EXPECT_EQ(HeightTwips(form.get()), l.windowHeight);
    EXPECT_EQ(HeightTwips(ui().Picture4), l.viewportHeight);
    EXPECT_EQ(Shown(ui().VScroll1), l.scrollBar);
    EXPECT_TRUE(Shown(ui().Frame1[3]));
    if (l.scrollBar) {
        EXPECT_EQ(HeightTwips(ui().VScroll1), 9000);
        EXPECT_EQ(HeightTwips(ui().Frame1[3]), 9000 - HeightTwips(ui().Frame1[1]));
        EXPECT_NEAR(TopTwips(ui().Label11), HeightTwips(ui().Frame1[3]) - 2200, 15);
        EXPECT_EQ(TopTwips(ui().Picture5), TopTwips(ui().Label11) + HeightTwips(ui().Label11));
    }
    // Any other entry brings the normal layout back.
    Press(MenuConnection);
    EXPECT_EQ(HeightTwips(form.get()), 7560);
    EXPECT_EQ(HeightTwips(ui().Picture4), 3735);
    EXPECT_FALSE(Shown(ui().VScroll1));
    EXPECT_FALSE(Shown(ui().Frame1[3]));
}

const Layout Layouts[] = {
    {"NoCountryChosen", -1, 7560, 3735, false},
    {"PresetCountry", 0, 7560, 3735, false},
    {"LastPreset", 2, 7560, 3735, false},
    {"OwnSettings", 3, 11205, 9000, true}, // 11200 at 15 twips a pixel
};

INSTANTIATE_TEST_SUITE_P(Form1, Form1Layout, ::testing::ValuesIn(Layouts),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(Form1Test, ScrollValueTenMovesBothFramesUp150Twips)
{
    Start();
    ui().Combo2->setCurrentIndex(3);
    Press(MenuConfigurations);
    ui().VScroll1->setValue(10);
    EXPECT_EQ(TopTwips(ui().Frame1[1]), 0 - 150);
    EXPECT_EQ(TopTwips(ui().Frame1[3]), 3000 - 150);
    ui().VScroll1->setValue(0);
    EXPECT_EQ(TopTwips(ui().Frame1[1]), 0);
    EXPECT_EQ(TopTwips(ui().Frame1[3]), 3000);
}

TEST_F(Form1Test, ResizeKeepsTheScrollBarOnTheViewportsRightEdge)
{
    Start();
    form->resize(form->width() + 40, form->height());
    form->Form_Resize();
    EXPECT_EQ(WidthTwips(ui().Picture4), WidthTwips(form.get()) - LeftTwips(ui().Picture4));
    EXPECT_EQ(LeftTwips(ui().VScroll1), WidthTwips(ui().Picture4) - WidthTwips(ui().VScroll1));
}

TEST_F(Form1Test, EfficiencyHiddenStaysHiddenOnEveryEntry)
{
    Start(InitSetOf("1,1,1,0,0,Test"));
    EXPECT_FALSE(form->Values().EfficiencyShown);
    for (int entry : {0, 1, 2, 3, 4, 5, 6, 0}) {
        Press(entry);
        EXPECT_FALSE(Shown(ui().Frame2[9])) << entry;
    }
    form->ShowMonitorPanel(true);
    EXPECT_FALSE(Shown(ui().Frame2[9]));
    EXPECT_TRUE(Shown(ui().Frame2[8]));
}

TEST_F(Form1Test, CalibrationAndAboutWithThePortClosedSay131)
{
    Start();
    Press(MenuCalibration);
    EXPECT_EQ(messages.shown, std::vector<QString>{Text(131)});
    EXPECT_EQ(ui().Shape2[MenuCalibration]->BackColor(), 0x0000FFu); // stays marked
    EXPECT_EQ(form->Machine().State(), ExchangeState::CheckOperatingVersion);
    Press(MenuAbout);
    EXPECT_EQ(messages.shown, (std::vector<QString>{Text(131), Text(131)}));
    EXPECT_EQ(ui().Shape2[MenuAbout]->BackColor(), 0x0000FFu);
    Press(MenuSelfTest); // only highlights
    EXPECT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(presenter.shown, 0);
}

TEST_F(Form1Test, CalibrationWithThePortOpenHandsOverAtTheNextTick)
{
    Start();
    ChoosePort(0);
    form->Machine().SetControlsAndTimers(true, 1);
    form->Machine().SetState(ExchangeState::Monitor);
    Press(MenuCalibration);
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(form->Machine().State(), ExchangeState::Idle);
    form->Timer1_Timer();
    // No calibration window yet: monitoring goes on from step 0.
    EXPECT_EQ(form->Machine().State(), ExchangeState::Monitor);
    EXPECT_EQ(form->Machine().MonitorStep(), 0);
    EXPECT_TRUE(ui().Timer1->isActive());
}

TEST_F(Form1Test, LanguagePickerSwitchesCaptionsAndStoresTheChoice)
{
    Start();
    presenter.whileOpen = [](QDialog &dialog) {
        auto *picker = qobject_cast<LanguageForm *>(&dialog);
        ASSERT_NE(picker, nullptr);
        picker->Picture1_Click(2);
    };
    Press(MenuLanguage);
    EXPECT_EQ(presenter.shown, 1);
    EXPECT_EQ(ui().Label16[0]->text(), "L3-10");
    EXPECT_EQ(form->LanguageText(131), "L3-131");
    std::ifstream stored(program / "LanguageSet.txt", std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(stored), {}), "3\r\n");
    EXPECT_TRUE(messages.shown.empty()); // the port state does not matter here
}

// ---- configuration controls kept in step -------------------------------------------------------

struct StepCase
{
    const char *name;
    std::function<void(Form1Controls &)> act;
    bool check20, check21, option10, option11, option20, option21;
};

class Form1InStep : public Form1Test, public ::testing::WithParamInterface<StepCase>
{
};

TEST_P(Form1InStep, PairsSettleAtOnceAndTickTheCountryGroup)
{
    Start();
    form->Machine().SetState(ExchangeState::Monitor);
    const StepCase &c = GetParam();
    c.act(ui());
    EXPECT_EQ(ui().Check2[0]->isChecked(), c.check20);
    EXPECT_EQ(ui().Check2[1]->isChecked(), c.check21);
    EXPECT_EQ(ui().Option1[0]->Value(), c.option10);
    EXPECT_EQ(ui().Option1[1]->Value(), c.option11);
    EXPECT_EQ(ui().Option2[0]->Value(), c.option20);
    EXPECT_EQ(ui().Option2[1]->Value(), c.option21);
    EXPECT_TRUE(ui().Check1[2]->isChecked());
}

const StepCase StepCases[] = {
    {"TickFlag0SelectsParallel", [](Form1Controls &ui) { ui.Check2[0]->setChecked(true); }, true,
     false, false, true, false, false},
    {"ClickFlag1SelectsMbus", [](Form1Controls &ui) { ui.Check2[1]->click(); }, false, true, false,
     false, false, true},
    {"ParallelTicksFlag0", [](Form1Controls &ui) { ui.Option1[1]->click(); }, true, false, false,
     true, false, false},
    {"StandardAfterParallelClearsFlag0",
     [](Form1Controls &ui) {
         ui.Option1[1]->SetValue(true);
         ui.Option1[0]->SetValue(true);
     },
     false, false, true, false, false, false},
    {"JbusAfterMbusClearsFlag1",
     [](Form1Controls &ui) {
         ui.Option2[1]->SetValue(true);
         ui.Option2[0]->click();
     },
     false, false, false, false, true, false},
    {"UntickFlag0SelectsStandard",
     [](Form1Controls &ui) {
         ui.Check2[0]->setChecked(true);
         ui.Check2[0]->setChecked(false);
     },
     false, false, true, false, false, false},
    {"OtherFlagsStandAlone", [](Form1Controls &ui) { ui.Check2[5]->setChecked(true); }, false,
     false, false, false, false, false},
};

INSTANTIATE_TEST_SUITE_P(Form1, Form1InStep, ::testing::ValuesIn(StepCases),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(Form1Test, HandlersDoNothingDuringAnExchange)
{
    Start();
    form->Machine().SetState(ExchangeState::ConfigurationRead);
    ui().Option1[1]->SetValue(true);
    EXPECT_FALSE(ui().Check2[0]->isChecked());
    EXPECT_FALSE(ui().Check1[2]->isChecked());
    ui().Check2[1]->setChecked(true);
    EXPECT_FALSE(ui().Option2[1]->Value());
    form->Combo2_GotFocus();
    EXPECT_FALSE(ui().Check1[2]->isChecked());

    form->Machine().SetState(ExchangeState::CheckOperatingVersion);
    form->Combo2_GotFocus();
    EXPECT_TRUE(ui().Check1[2]->isChecked());
}

} // namespace
} // namespace pv
