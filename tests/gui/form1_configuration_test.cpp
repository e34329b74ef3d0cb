// The configuration panel: what Read shows, what Write takes from the panel and shows, what a
// refused entry does, and the country list. The frames of each step, the checks and the order of
// the groups are pinned by the configuration and exchange machine core tests.

#include "form1_panel_fixture.h"

#include <QCoreApplication>

namespace pv {
namespace {

using namespace test;

class Form1Configuration : public Form1Panel
{
protected:
    void Connect(const std::string &countries = Countries)
    {
        registers.insert({{0xC081, 0x0006}, {0xC084, 5}, {0xC085, 60}, {0xC0B1, 36}});
        Form1Panel::Connect(MenuConfigurations, countries);
    }
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
};

// Every group, with the sleep power left empty and "3,5" kW in a format whose comma groups
// thousands: one frame per group, the rated power with the names as they were read, and the
// empty entry shown as the 0 that was sent.
TEST_F(Form1Configuration, WriteSendsEveryTickedGroupWithTheNamesAsRead)
{
    format = NumberFormat{'.', ','};
    registers[0xC0B2] = 0x5056; // model name "PV"
    Connect();
    ChooseCountry(1);
    ui().Text5->clear();
    ui().Text6->setText("3,5");
    ui().Text8->setText("600");
    Tick({0, 1, 2, 3});
    const auto frames = Run(2);
    ASSERT_EQ(frames.size(), 5u);
    EXPECT_EQ(frames[1].substr(0, 38), "FF 10 C0 B0 00 0C 18 00 23 00 23 50 56") << "names as read";
    EXPECT_EQ(around.shown, std::vector<QString>{Text(129)});
    EXPECT_EQ(TimersActive(), (Timers{true, false, false}));
    EXPECT_EQ(ui().Text5->text(), "0");
}

// With a service record kept, an acknowledged write says "done" only once its record is in the
// database, and says it was done but not recorded when the database cannot take it (which is
// also said once, naming the database).
struct RecordedWriteRow
{
    const char *name;
    bool databaseFails;
    std::vector<int> shown;
};

class Form1RecordedWrite : public Form1Configuration,
                           public ::testing::WithParamInterface<RecordedWriteRow>
{
};

TEST_P(Form1RecordedWrite, SaysDoneOnceRecorded)
{
    const RecordedWriteRow &row = GetParam();
    const std::filesystem::path file = program / "records.sqlite";
    if (row.databaseFails)
        std::filesystem::create_directories(file);
    around.ownTexts[text::ServiceRecordFailed] = "cannot record in %1";
    KeepRecorder(file);
    Connect();
    ASSERT_TRUE(recorder->WaitUntilWritten(10000));
    around.shown.clear();
    ui().Text8->setText("600");
    Tick({3});
    ASSERT_EQ(Run(2).size(), 1u);
    ASSERT_TRUE(recorder->WaitUntilWritten(10000));
    EXPECT_TRUE(around.shown.empty()) << "nothing before the record's answer";
    QCoreApplication::processEvents();
    std::vector<QString> expected;
    for (int number : row.shown)
        expected.push_back(number == text::ServiceRecordFailed
                               ? "cannot record in " + QString::fromStdString(file.string())
                               : Text(number));
    EXPECT_EQ(around.shown, expected);
}

const RecordedWriteRow RecordedWriteRows[] = {
    {"Recorded", false, {text::WriteDone}},
    {"DatabaseFails", true, {text::ServiceRecordFailed, text::WriteNotRecorded}},
};
INSTANTIATE_TEST_SUITE_P(Records, Form1RecordedWrite, ::testing::ValuesIn(RecordedWriteRows),
                         RowName);

// The checks send a 50 Hz lower limit of 49.95 as 47.5: once the write is done, the entries of the
// written group show what the inverter got; an entry of a group not written keeps its text.
TEST_F(Form1Configuration, WriteDoneShowsWhatWasSentInTheGroupsWritten)
{
    Connect();
    ChooseCountry(1);
    ui().Text7[9]->setText("49.95");
    ui().Text5->setText("77");
    Tick({2});
    ASSERT_EQ(Run(2).size(), 2u);
    EXPECT_EQ(around.shown, std::vector<QString>{Text(129)});
    EXPECT_EQ(ui().Text7[9]->text(), "47.5");
    EXPECT_EQ(ui().Text5->text(), "77");
}

// The controls lock at the Write click, not at the hand-over a monitor tick later: a group ticked
// or a Read clicked in between can neither change the write nor drop it.
TEST_F(Form1Configuration, AClickBeforeTheHandOverChangesNothing)
{
    Connect();
    ChooseCountry(1);
    Tick({0});
    ui().Text5->setText("20");
    form->Command1_Click(2);
    ui().Check1[3]->click();
    ui().Command1[3]->click();
    EXPECT_FALSE(ui().Label16[MenuCalibration]->isEnabled());
    EXPECT_EQ(Finish(), std::vector<std::string>{"FF 10 C0 84 00 01 02 00 14"});
    EXPECT_EQ(around.shown, std::vector<QString>{Text(129)});
}

// A read with code 17 moves the list to position 1, whose preset is then overwritten by the
// values read; the flag byte 0x80 ticks box 0 alone, with Parallel and jbus. (What each entry
// shows of a read is seen against the simulated inverter in the end-to-end test.)
TEST_F(Form1Configuration, ReadShowsTheValuesReadOverThePresetOfItsCountry)
{
    Connect();
    registers[0xC081] = 0x8011;
    registers[0xC085] = 30;
    ui().Check2[3]->setChecked(true);
    ui().Check1[2]->setChecked(false);
    form->Command1_Click(3);
    EXPECT_EQ(ui().Text5->text(), "") << "the panel is emptied at once";
    EXPECT_FALSE(ui().Check2[3]->isChecked());
    EXPECT_EQ(ui().Combo2->currentIndex(), -1) << "no country, not the first one";
    EXPECT_EQ(Finish().size(), 2u);
    EXPECT_TRUE(around.shown.empty());
    EXPECT_EQ(TimersActive(), (Timers{true, false, false}));

    EXPECT_EQ(ui().Combo2->currentIndex(), 1);
    EXPECT_EQ(ui().Text8->text(), "30") << "not the preset's 45";
    EXPECT_EQ(Ticked(ui().Check2), "10000000");
    EXPECT_TRUE(ui().Option1[1]->Value() && ui().Option2[0]->Value());
    EXPECT_FALSE(ui().Option1[0]->Value() || ui().Option2[1]->Value());
    EXPECT_FALSE(ui().Check1[2]->isChecked()) << "a read ticks no write group";
}

// After the read the panel says which code the unit reports; a write of the Country group that
// would replace it with 255 asks first, and a No sends nothing. Other groups do not ask.
TEST_F(Form1Configuration, CodeWithoutPresetShowsOwnSettingsAndIsReplacedOnlyAfterAYes)
{
    around.ownTexts.insert({{277, "unlisted %1"}, {278, "replace %1 by %2?"}});
    Connect();
    registers[0xC081] = 0x0009;
    HoldLimits({264, 253, 195, 184, 1, 2, 3, 4, 502, 475, 605, 595, 5, 6});
    Run(3);
    EXPECT_TRUE(around.shown.empty()) << "said once the read has ended";
    QCoreApplication::processEvents();
    EXPECT_EQ(around.shown, std::vector<QString>{"unlisted 9"});
    EXPECT_EQ(ui().Combo2->currentIndex(), 3);
    EXPECT_EQ(ui().Combo2->Text(), Text(52));
    EXPECT_EQ(HeightTwips(form.get()), 11205) << "own settings show the whole grid";
    Tick({2});
    around.answers = {false};
    EXPECT_TRUE(Run(2).empty());
    EXPECT_EQ(form->Machine().State(), ExchangeState::Monitor);
    Tick({0});
    EXPECT_EQ(Run(2).size(), 1u) << "sleep power alone, without a question";
    Tick({2});
    around.answers = {true};
    const auto frames = Run(2);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0], "FF 10 C0 81 00 01 02 00 FF");
    EXPECT_EQ(around.asked, (std::vector<QString>{"replace 9 by 255?", "replace 9 by 255?"}));
    EXPECT_EQ(around.shown.size(), 3u) << "the two writes' own results";
}

// Most editors end CountryParameter.txt with a line break: own settings keep their place after
// the three records, and a write sends them as 255 rather than refusing the list.
TEST_F(Form1Configuration, AFinalLineBreakKeepsOwnSettingsInTheirPlace)
{
    Connect(std::string(Countries) + "\r\n");
    registers[0xC081] = 0x0009;
    HoldLimits({264, 253, 195, 184, 1, 2, 3, 4, 502, 475, 605, 595, 5, 6});
    Run(3);
    EXPECT_EQ(ui().Combo2->currentIndex(), 3);
    EXPECT_EQ(ui().Combo2->Text(), Text(52));
    // Code 9 is none of the three records, so replacing it asks first.
    around.answers = {true};
    Tick({2});
    const auto frames = Run(2);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0], "FF 10 C0 81 00 01 02 00 FF");
}

// A country chosen with no DC input and no communication mode chosen: the modes follow the
// flags the monitor cycle last read (mbus here), and the write sends them with the code.
TEST_F(Form1Configuration, UnchosenModesFollowTheFlagsLastRead)
{
    registers[0xC081] = 0x4011;
    Connect();
    ChooseCountry(1);
    Tick({2});
    const auto frames = Run(2);
    ASSERT_EQ(frames.size(), 2u) << around.shown.front().toStdString();
    EXPECT_EQ(frames[0], "FF 10 C0 81 00 01 02 40 11");
    EXPECT_TRUE(ui().Check2[1]->isChecked());
    EXPECT_TRUE(ui().Option1[0]->Value() && ui().Option2[1]->Value());
}

// A refusal of each kind of control, every group ticked: its message (with the entry's caption
// when the check asks for it), the entry emptied when the check asks for that, the focus there.
TEST_F(Form1Configuration, ARefusedWriteShowsWhyEmptiesAndFocusesTheEntry)
{
    Connect();
    const Form1Controls &u = ui();
    const struct
    {
        QWidget *entry;
        const char *text;
        QString message;
    } refusals[] = {
        {u.Text5, "21", Text(132)},
        {u.Text6, "", Text(133) + Text(50)},
        {u.Text7[11], "0,5", Text(133) + Text(59)}, // the caption of its row
        {u.Text8, "", Text(133) + Text(87)},
        {u.Combo2, "L1-51", Text(138)}, // its own caption: no country
    };
    for (const auto &r : refusals) {
        SCOPED_TRACE(r.entry->objectName().toStdString());
        ChooseCountry(0);
        u.Text5->setText("5");
        u.Text6->setText("3.6");
        Tick({0, 1, 2, 3});
        auto *box = qobject_cast<TextBox *>(r.entry);
        box ? box->setText(r.text) : u.Combo2->SetText(r.text);
        around.shown.clear();
        EXPECT_TRUE(Run(2).empty());
        EXPECT_EQ(around.shown, std::vector<QString>{r.message});
        EXPECT_EQ(form->focusWidget(), r.entry);
        EXPECT_TRUE(box == nullptr || box->text().isEmpty());
        EXPECT_EQ(form->Machine().State(), ExchangeState::Monitor);
    }
}

} // namespace
} // namespace pv
