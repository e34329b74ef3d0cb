// The configuration panel against a scripted inverter: what Read shows, which frames Write sends
// in which order, what a refused entry does, the country list and the write mirror.

#include "support/form1_fixture.h"

#include <functional>
#include <set>

namespace pv {
namespace {

using namespace test;

// The presets: line 3 code 5, line 4 code 6, line 5 code 17 (the second list position).
constexpr char Countries[]
    = "header\r\nheader\r\n"
      "274\t262\t200\t184\t500\t1000\t2500\t500\t52.0\t47.5\t62.0\t57.0\t500\t20000\t20\tUK\r\n"
      "264\t253\t184\t104\t100\t200\t3000\t300\t51.5\t47.5\t61.8\t58.2\t100\t100\t60\tDE\r\n"
      "275\t265\t180\t150\t200\t1000\t10000\t2000\t52.0\t47.0\t62.4\t57.0\t200\t1000\t45\tAU";

std::string Frame(const std::string &written)
{
    return written.substr(0, written.size() - 6); // without the CRC
}

class Form1Configuration : public Form1Test
{
protected:
    // The inverter answers reads from its registers and acknowledges block writes, storing
    // them; a write to a register in `silentWrites` gets no answer.
    std::map<int, int> registers{
        {0xC081, 0x0006}, {0xC084, 5},      {0xC085, 60},     {0xC0B1, 36},
        {0xC0BC, 0x5631}, {0xC0BD, 0x3030}, {0xC0BE, 0x3037}, {0xC0BF, 0x3030}, // "V1000700"
    };
    std::set<int> silentWrites;

    std::optional<Bytes> Inverter(ByteView request)
    {
        const int start = request[2] << 8 | request[3];
        if (request[1] == ReadFunction)
            return Answer(registers, request);
        if (request[1] != WriteFunction || silentWrites.count(start))
            return std::nullopt;
        for (int k = 0; k < (request[4] << 8 | request[5]); ++k)
            registers[start + k] = request[7 + 2 * k] << 8 | request[8 + 2 * k];
        Bytes ack(request.begin(), request.begin() + 6);
        AppendCrc(ack);
        return ack;
    }

    // Started with the presets (and a final line break when asked), the port chosen and the
    // firmware accepted, the CONFIGURATIONS panel open.
    void Connect(const char *countries = Countries, bool finalLineBreak = false)
    {
        std::ofstream(program / "CountryParameter.txt")
            << countries << (finalLineBreak ? "\r\n" : "");
        ASSERT_TRUE(Start("1,1,1,1,0,Test", false));
        port.responder = [this](ByteView request) { return Inverter(request); };
        ChoosePort(0);
        for (int tick = 0; tick < 6; ++tick)
            form->Timer1_Timer();
        ASSERT_EQ(form->Machine().State(), ExchangeState::Monitor);
        Press(MenuConfigurations);
    }

    // Presses a configuration button and runs the exchange to its end; the frames it sent.
    std::vector<std::string> Run(int button)
    {
        form->Command1_Click(button);
        form->Timer1_Timer(); // finishes its monitor step and hands over
        port.written.clear();
        for (int tick = 0; tick < 20 && ui().Timer3->isActive(); ++tick)
            form->Timer3_Timer();
        std::vector<std::string> frames;
        for (const std::string &w : port.written)
            frames.push_back(Frame(w));
        return frames;
    }
    std::vector<std::string> Read() { return Run(3); }
    std::vector<std::string> Write() { return Run(2); }

    void ChooseCountry(int position)
    {
        ui().Combo2->setCurrentIndex(position);
        emit ui().Combo2->activated(position);
    }
    void Tick(std::initializer_list<int> groups)
    {
        for (QCheckBox *box : ui().Check1)
            box->setChecked(false);
        for (int g : groups)
            ui().Check1[g]->setChecked(true);
    }
    bool BackToMonitoring() { return TimersActive() == Timers{true, false, false}; }
    std::string Shown(const TextBox *box) { return box->text().toStdString(); }
};

// Every group of a write holds a valid entry: Germany's preset in the grid.
void FillValidEntries(Form1Controls &u)
{
    u.Text5->setText("5");
    u.Text6->setText("3.6");
    u.Combo2->setCurrentIndex(0);
    emit u.Combo2->activated(0);
}

struct GroupOrder
{
    const char *name;
    std::initializer_list<int> ticked;
    std::vector<std::string> starts; // the first bytes of each frame sent
};

class Form1WriteOrder : public Form1Configuration, public ::testing::WithParamInterface<GroupOrder>
{
};

TEST_P(Form1WriteOrder, SendsTheTickedGroupsInTheirFixedOrderAndSays129)
{
    Connect();
    FillValidEntries(ui());
    Tick(GetParam().ticked);
    std::vector<std::string> starts;
    for (const std::string &frame : Write())
        starts.push_back(frame.substr(0, 11));
    EXPECT_EQ(starts, GetParam().starts);
    EXPECT_EQ(around.shown, std::vector<QString>{Text(129)});
    EXPECT_TRUE(BackToMonitoring());
}

const GroupOrder GroupOrders[] = {
    {"OnlyCountry_Steps8To11", {2}, {"FF 10 C0 81", "FF 10 C0 88"}},
    {"AllFour_Steps4To13",
     {0, 1, 2, 3},
     {"FF 10 C0 84", "FF 10 C0 B0", "FF 10 C0 81", "FF 10 C0 88", "FF 10 C0 85"}},
    {"SleepAndRetry_Steps4_5_12_13", {0, 3}, {"FF 10 C0 84", "FF 10 C0 85"}},
};

INSTANTIATE_TEST_SUITE_P(Form1, Form1WriteOrder, ::testing::ValuesIn(GroupOrders), RowName);

TEST_F(Form1Configuration, FailedReplyMidWriteSendsNothingMoreAndSays128)
{
    Connect();
    FillValidEntries(ui());
    Tick({0, 1, 2, 3});
    silentWrites = {0xC0B0};
    const auto frames = Write();
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[1].substr(0, 11), "FF 10 C0 B0");
    EXPECT_EQ(around.shown, std::vector<QString>{Text(128)});
    EXPECT_TRUE(BackToMonitoring());
    EXPECT_EQ(registers[0xC081], 0x0006) << "the country was not written";
}

TEST_F(Form1Configuration, WriteWithoutAGroupOrPortSendsNothing)
{
    ASSERT_TRUE(Start());
    form->Command1_Click(2);
    form->Command1_Click(3);
    EXPECT_EQ(around.shown, (std::vector<QString>{Text(131), Text(131)}));
    around.shown.clear();
    Connect();
    Tick({});
    EXPECT_TRUE(Write().empty());
    EXPECT_EQ(around.shown, std::vector<QString>{Text(134)});
    EXPECT_EQ(form->Machine().State(), ExchangeState::Monitor);
}

// The write's single values as sent, and what the panel shows when they arrived.
TEST_F(Form1Configuration, ConfirmedWriteShowsAtOnceAsSent)
{
    format = NumberFormat{'.', ','}; // "," groups thousands, yet "3,5" kW is 3.5 kW
    registers[0xC0B2] = 0x5056;      // model name "PV"
    Connect();
    ui().Text5->clear();
    ui().Text6->setText("3,5");
    ui().Text8->setText("600");
    Tick({0, 1, 3});
    const auto frames = Write();
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_EQ(frames[0], "FF 10 C0 84 00 01 02 00 00");
    EXPECT_EQ(frames[1], "FF 10 C0 B0 00 0C 18 00 23 00 23 50 56 00 00 00 00 00 00 00 00 "
                         "00 00 00 00 00 00 00 00 00 00");
    EXPECT_EQ(frames[2], "FF 10 C0 85 00 01 02 02 58");
    EXPECT_EQ(Shown(ui().Text5), "0");
    const InverterData &data = form->Store().Data();
    EXPECT_EQ(data.PowerKw(), 3.5);
    EXPECT_EQ(data.SleepPower(), 0.0f);
    EXPECT_EQ(data.RetryTime(), 600.0f);
    EXPECT_EQ(data.ModelName(), "PV") << "the names went back as read";
}

// A read with code 17 moves the list to position 1, whose preset is then overwritten by the
// values read; the flag byte 0x80 ticks box 0 alone, with Parallel and jbus.
TEST_F(Form1Configuration, ReadShowsEveryValueReadOverThePresetOfItsCountry)
{
    Connect();
    registers[0xC081] = 0x8011;
    registers[0xC085] = 30;
    registers[0xC0B1] = 42;
    for (int i = 0; i < 14; ++i)
        registers[0xC088 + i] = 200 + i;
    ui().Check2[3]->setChecked(true);
    ui().Check1[2]->setChecked(false);
    form->Command1_Click(3);
    EXPECT_EQ(Shown(ui().Text5), "") << "the panel is emptied at once";
    EXPECT_FALSE(ui().Check2[3]->isChecked());
    EXPECT_EQ(ui().Combo2->currentIndex(), -1) << "no country, not the first one";
    EXPECT_EQ(ui().Combo2->Text(), "");
    form->Timer1_Timer();
    port.written.clear();
    for (int tick = 0; tick < 4; ++tick)
        form->Timer3_Timer();
    EXPECT_EQ(Frame(port.written.at(0)), "FF 03 C0 81 00 15");
    EXPECT_EQ(Frame(port.written.at(1)), "FF 03 C0 B1 00 01");
    EXPECT_TRUE(around.shown.empty());
    EXPECT_TRUE(BackToMonitoring());

    EXPECT_EQ(ui().Combo2->currentIndex(), 1);
    EXPECT_EQ(Shown(ui().Text5), "5");
    EXPECT_EQ(Shown(ui().Text6), "4.2");
    EXPECT_EQ(Shown(ui().Text8), "30") << "not the preset's 45";
    EXPECT_EQ(Shown(ui().Text7[0]), "200");
    EXPECT_EQ(Shown(ui().Text7[9]), "20.9");
    std::string flags;
    for (QCheckBox *box : ui().Check2)
        flags += box->isChecked() ? '1' : '0';
    EXPECT_EQ(flags, "10000000");
    EXPECT_TRUE(ui().Option1[1]->Value() && ui().Option2[0]->Value());
    EXPECT_FALSE(ui().Option1[0]->Value() || ui().Option2[1]->Value());
    EXPECT_FALSE(ui().Check1[2]->isChecked()) << "a read ticks no write group";
}

TEST_F(Form1Configuration, CodeWithoutPresetShowsOwnSettingsAndIsWrittenAs255)
{
    Connect();
    registers[0xC081] = 0x0009;
    const int limits[14] = {264, 253, 195, 184, 1, 2, 3, 4, 502, 475, 605, 595, 5, 6};
    for (int i = 0; i < 14; ++i)
        registers[0xC088 + i] = limits[i];
    Read();
    EXPECT_EQ(ui().Combo2->currentIndex(), 3);
    EXPECT_EQ(ui().Combo2->Text(), Text(52));
    EXPECT_EQ(HeightTwips(form.get()), 11205) << "own settings show the whole grid";
    Tick({2});
    const auto frames = Write();
    ASSERT_EQ(frames.size(), 2u) << around.shown.front().toStdString();
    EXPECT_EQ(frames[0], "FF 10 C0 81 00 01 02 00 FF");
    EXPECT_EQ(frames[1], "FF 10 C0 88 00 0E 1C 01 08 00 FD 00 C3 00 B8 00 01 00 02 00 03 00 04 01 "
                         "F6 01 DB 02 5D 02 53 00 05 00 06");
}

// With a final line break the own-settings position is past the records' count: a code without
// a preset then shows no country, and the country group cannot be written.
TEST_F(Form1Configuration, CodeWithoutPresetAfterAFinalLineBreakShowsNoCountry)
{
    Connect(Countries, true);
    registers[0xC081] = 0x0009;
    Read();
    EXPECT_TRUE(around.shown.empty());
    EXPECT_EQ(ui().Combo2->currentIndex(), -1);
    EXPECT_EQ(ui().Combo2->Text(), "");
    ChooseCountry(3); // the own-settings entry stands for no country here
    Tick({2});
    EXPECT_TRUE(Write().empty());
    EXPECT_EQ(around.shown, std::vector<QString>{Text(138)});
}

// A country chosen with no DC input and no communication mode chosen: the modes follow the
// flags the monitor cycle last read (mbus here), and the write sends them with the code.
TEST_F(Form1Configuration, UnchosenModesFollowTheFlagsLastRead)
{
    registers[0xC081] = 0x4011;
    Connect();
    ChooseCountry(1);
    EXPECT_EQ(Shown(ui().Text7[0]), "275");
    EXPECT_EQ(Shown(ui().Text8), "45");
    Tick({2});
    const auto frames = Write();
    ASSERT_EQ(frames.size(), 2u) << around.shown.front().toStdString();
    EXPECT_EQ(frames[0], "FF 10 C0 81 00 01 02 40 11");
    EXPECT_TRUE(ui().Check2[1]->isChecked());
    EXPECT_TRUE(ui().Option1[0]->Value() && ui().Option2[1]->Value());
}

struct Refusal
{
    const char *name;
    std::function<void(Form1Controls &)> edit;
    int message, caption; // caption 0: the message alone
    std::function<QWidget *(Form1Controls &)> focused;
    bool emptied;
};

class Form1Refusal : public Form1Configuration, public ::testing::WithParamInterface<Refusal>
{
};

TEST_P(Form1Refusal, ShowsTheMessageEmptiesAndFocusesAndSendsNothing)
{
    const Refusal &r = GetParam();
    Connect();
    FillValidEntries(ui());
    Tick({0, 1, 2, 3});
    r.edit(ui());
    auto *entry = qobject_cast<QLineEdit *>(r.focused(ui()));
    const QString before = entry ? entry->text() : QString();
    EXPECT_TRUE(Write().empty());
    const QString message = Text(r.message) + (r.caption ? Text(r.caption) : QString());
    EXPECT_EQ(around.shown, std::vector<QString>{message});
    EXPECT_EQ(form->focusWidget(), r.focused(ui()));
    if (entry) {
        EXPECT_EQ(entry->text(), r.emptied ? QString() : before);
    }
    EXPECT_EQ(form->Machine().State(), ExchangeState::Monitor);
}

const Refusal Refusals[] = {
    {"RatedPowerEmpty", [](Form1Controls &u) { u.Text6->clear(); }, 133, 50,
     [](Form1Controls &u) { return u.Text6; }, false},
    {"Fmin60HalfWithComma", [](Form1Controls &u) { u.Text7[11]->setText("0,5"); }, 133, 59,
     [](Form1Controls &u) { return u.Text7[11]; }, true},
    {"VmaxL2TimeEmpty", [](Form1Controls &u) { u.Text7[4]->clear(); }, 133, 66,
     [](Form1Controls &u) { return u.Text7[4]; }, false},
    {"VminL2Of99", [](Form1Controls &u) { u.Text7[3]->setText("99"); }, 132, 0,
     [](Form1Controls &u) { return u.Text7[3]; }, true},
    {"VminL1PastedNonNumber", [](Form1Controls &u) { u.Text7[2]->setText("2x0"); }, 132, 0,
     [](Form1Controls &u) { return u.Text7[2]; }, true},
    {"RetryTime601", [](Form1Controls &u) { u.Text8->setText("601"); }, 132, 0,
     [](Form1Controls &u) { return u.Text8; }, true},
    {"CountryNotChosen", [](Form1Controls &u) { u.Combo2->SetText("L1-51"); }, 138, 0,
     [](Form1Controls &u) { return u.Combo2; }, false},
};

INSTANTIATE_TEST_SUITE_P(Form1, Form1Refusal, ::testing::ValuesIn(Refusals), RowName);

TEST_F(Form1Configuration, LanguageChangeChoosesTheCountryAgainAndRefillsTheEntries)
{
    Connect();
    ChooseCountry(2);
    ui().Text7[0]->setText("299");
    ui().Text8->setText("1");
    form->LanguagePicked(2);
    EXPECT_EQ(ui().Combo2->Text(), "L3-186");
    EXPECT_EQ(Shown(ui().Text7[0]), "274");
    EXPECT_EQ(Shown(ui().Text8), "20");
}

} // namespace
} // namespace pv
