// Configuration files on the panel: Save then Load gives the panel back, Load ticks nothing and
// sends nothing, refused files and panels leave everything as it was and say which line or
// entry, Compare marks exactly what differs and names the fingerprint of the file's settings. The
// file format, its checks and the comparison are pinned by the configuration file core tests.

#include "form1_panel_fixture.h"

#include "link/sha256.h"

#include <QCoreApplication>

#include <functional>
#include <iterator>
#include <sys/stat.h>

namespace pv {
namespace {

using namespace test;

std::string Replace(std::string file, const std::string &from, const std::string &to)
{
    return file.replace(file.find(from), from.size(), to);
}

class Form1Files : public Form1Panel
{
protected:
    // Messages that show their markers; flags 0xC5 (parallel, mbus, bits 2 and 0), country 17
    // (whose preset holds other limits), 5 %, 60 s, 3.6 kW and the limits.
    void Connect()
    {
        around.ownTexts.insert({
            {238, "NotSaved %1: %2"},
            {239, "not written %1"},
            {240, "not read %1"},
            {241, "Line %1: %2"},
            {247, "NaN %1=%2"},
            {249, "%2 not in %3..%4"},
            {255, "over %3 KiB"},
            {258, "differ: %1"},
            {279, "not loaded: %1"},
            {280, "not compared: %1"},
            {281, "not plain %1"},
            {285, "fingerprint %1"},
        });
        registers.insert({{0xC081, 0xC511}, {0xC084, 5}, {0xC085, 60}, {0xC0B1, 36}});
        HoldLimits({264, 253, 195, 184, 200, 2000, 2000, 200, 502, 475, 605, 595, 200, 300});
        Form1Panel::Connect(MenuConfigurations, Countries);
    }
    // What the panel shows: entries, list, flag boxes and options (not the write groups).
    std::string Panel()
    {
        std::string shown = ui().Combo2->Text().toStdString() + "|" + Ticked(ui().Check2);
        for (TextBox *box : ui().Text7)
            shown += " " + box->text().toStdString();
        for (TextBox *box : {ui().Text5, ui().Text6, ui().Text8})
            shown += " " + box->text().toStdString();
        for (OptionButton *option :
             {ui().Option1[0], ui().Option1[1], ui().Option2[0], ui().Option2[1]})
            shown += option->Value() ? 'o' : '-';
        return shown;
    }
    // Files in the program folder; the file dialog a button opens answers with the name given.
    std::string Contents(const char *name)
    {
        std::ifstream in(program / name, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    void Put(const char *name, const std::string &bytes)
    {
        std::ofstream(program / name, std::ios::binary) << bytes;
    }
    void Click(void (Form1::*button)(), const char *name)
    {
        around.files.push_back(program / name);
        (form.get()->*button)();
    }
    void Save(const char *name) { Click(&Form1::CommandSave_Click, name); }
    void Load(const char *name) { Click(&Form1::CommandLoad_Click, name); }
    void Compare(const char *name) { Click(&Form1::CommandCompare_Click, name); }
    std::vector<std::string> Marked()
    {
        std::vector<std::string> marked;
        for (QWidget *w : form->findChildren<QWidget *>())
            if (w->property(DiffersFromFileProperty).toBool())
                marked.push_back(w->objectName().toStdString());
        std::sort(marked.begin(), marked.end());
        return marked;
    }
};

// In the comma format, which the panel shows and a file never holds.
TEST_F(Form1Files, SaveThenLoadGivesThePanelBackAndTicksAndSendsNothing)
{
    format = NumberFormat{',', '.'};
    Connect();
    Run(3);
    const std::string read = Panel();
    EXPECT_NE(read.find(" 50,2 "), std::string::npos) << read;
    Save("unit.pvcfg");
    EXPECT_TRUE(around.shown.empty());
    // The file names the inverter its values were read from.
    EXPECT_NE(Contents("unit.pvcfg")
                  .find("\n# read from inverter ID 1, model \"\", operating firmware V1000700\n"),
              std::string::npos);

    // Every entry, the country and the flags changed by hand; the first group ticked alone.
    for (TextBox *box : ui().Text7)
        box->setText("1");
    for (TextBox *box : {ui().Text5, ui().Text6, ui().Text8})
        box->setText("2");
    ui().Combo2->setCurrentIndex(2);
    form->Combo2_Click();
    for (QCheckBox *box : ui().Check2)
        box->setChecked(!box->isChecked());
    ui().Check1[0]->setChecked(true);
    ui().Check1[2]->setChecked(false);
    port.ClearRecord();
    Load("unit.pvcfg");
    EXPECT_EQ(Panel(), read);
    EXPECT_EQ(Ticked(ui().Check1), "1000") << "a loaded file ticks no write group";
    EXPECT_TRUE(port.written.empty());
    EXPECT_EQ(form->Machine().State(), ExchangeState::Monitor);
    EXPECT_EQ(around.shown, std::vector<QString>{Text(256)});
    // A loaded panel holds no inverter's values.
    Save("loaded.pvcfg");
    EXPECT_EQ(Contents("loaded.pvcfg").find("# read from"), std::string::npos);
}

// The header names the unit as it was at the read, with its ID as the panel shows it, while the
// panel holds what the read showed: not after the country's preset refilled it (as a language
// change does), nor after another port was chosen, whatever unit answers by then.
TEST_F(Form1Files, HeaderNamesTheUnitOnlyWhileThePanelHoldsItsRead)
{
    registers.insert({{0xC080, 39999}, {0xC0B2, 0x5056}}); // ID 40000, model "PV"
    Connect();
    Run(3);
    registers[0xC0B2] = 0x5859; // another model answers from here on
    for (int tick = 0; tick < 6; ++tick)
        form->Timer1_Timer();
    const std::string unit = " inverter ID 40000, model \"PV\", operating firmware V1000700\n";
    Save("read.pvcfg");
    EXPECT_NE(Contents("read.pvcfg").find("\n# read from" + unit), std::string::npos);
    form->Combo2_Click();
    Save("refilled.pvcfg");
    EXPECT_NE(Contents("refilled.pvcfg").find("\n# edited after reading from" + unit),
              std::string::npos);
    Run(3);
    ChoosePort(1);
    Save("other-port.pvcfg");
    EXPECT_EQ(Contents("other-port.pvcfg").find("inverter ID"), std::string::npos);
    EXPECT_TRUE(around.shown.empty());
}

// A unit reporting a code the list does not offer: the panel says so after the read and shows
// own settings; the file keeps the code, and loads again while that unit is connected.
TEST_F(Form1Files, ACodeTheListDoesNotOfferIsSavedAndLoadedAsReported)
{
    around.ownTexts.insert({277, "unlisted %1"});
    Connect();
    registers[0xC081] = 0xC503;
    Run(3);
    QCoreApplication::processEvents();
    EXPECT_EQ(around.shown, std::vector<QString>{"unlisted 3"});
    EXPECT_EQ(ui().Combo2->Text(), Text(52));
    const std::string read = Panel();
    Save("unit.pvcfg");
    EXPECT_NE(Contents("unit.pvcfg").find("\ncountry_code = 3\n"), std::string::npos);
    ui().Combo2->setCurrentIndex(0);
    form->Combo2_Click();
    Load("unit.pvcfg");
    EXPECT_EQ(Panel(), read);
    EXPECT_EQ(around.shown, (std::vector<QString>{"unlisted 3", Text(256), "unlisted 3"}));
    Run(3);
    QCoreApplication::processEvents();
    Compare("unit.pvcfg");
    EXPECT_TRUE(around.shown.back().startsWith(Text(259) + "\n"))
        << "own settings stand for the code reported";
}

// An empty panel, then a read one with one fault each time: said as the write says it, or with
// the entry's caption and the reason, before any file dialog.
TEST_F(Form1Files, SaveRefusesAPanelThatCouldNotBeLoaded)
{
    Connect();
    Save("refused.pvcfg");
    const Form1Controls &u = ui();
    const std::function<void()> faults[] = {
        [&u] { u.Text8->clear(); },
        [&u, this] { u.Combo2->SetText(QString()), form->Combo2_Click(); },
        [&u] { u.Text7[2]->setText("149"); },
    };
    for (const auto &fault : faults) {
        Run(3);
        fault();
        Save("refused.pvcfg");
    }
    EXPECT_EQ(around.shown, (std::vector<QString>{Text(237), Text(133) + Text(87), Text(138),
                                                  "NotSaved L1-53: 149 not in 150..300"}));
    EXPECT_EQ(around.files.size(), 4u) << "no file dialog";
    EXPECT_FALSE(std::filesystem::exists(program / "refused.pvcfg"));
}

// Refused files, whose reasons fill the markers of the message, and a file that cannot be read
// or written: each is said so, and the panel, its groups and the wire are left as they were.
TEST_F(Form1Files, LoadRefusesTheWholeFileAndLeavesThePanelAsItWas)
{
    Connect();
    Run(3);
    Save("good.pvcfg");
    const std::string good = Contents("good.pvcfg"); // vmax_l2_v on line 5
    ui().Check1[3]->setChecked(true);
    const std::string panel = Panel(), groups = Ticked(ui().Check1);
    port.ClearRecord();
    for (const std::string &bad :
         {Replace(good, "= 253", "= abc"), Replace(good, "= 60.5", "= 65.1"),
          std::string(10 << 20, '\n')}) {
        Put("bad.pvcfg", bad);
        Load("bad.pvcfg");
    }
    const char *nowhere = "no such folder/unit.pvcfg";
    Save(nowhere);
    Load(nowhere);
    // Names that stand for no plain file: refused at once, never waited on or read forever.
    ASSERT_EQ(::mkfifo((program / "fifo.pvcfg").c_str(), 0600), 0);
    Load("fifo.pvcfg");
    Save("fifo.pvcfg");
    around.files.push_back("/dev/zero");
    form->CommandLoad_Click();
    const auto shownPath
        = [this](const char *name) { return QString::fromStdString((program / name).string()); };
    const QString path = shownPath(nowhere);
    EXPECT_EQ(around.shown, (std::vector<QString>{
                                "Line 6: NaN vmax_l1_v=abc", "Line 15: 65.1 not in 60.1..65",
                                "not loaded: over 64 KiB", "not written " + path,
                                "not read " + path, "not plain " + shownPath("fifo.pvcfg"),
                                "not plain " + shownPath("fifo.pvcfg"), "not plain /dev/zero"}));
    EXPECT_EQ(std::filesystem::status(program / "fifo.pvcfg").type(),
              std::filesystem::file_type::fifo)
        << "left as it was";
    EXPECT_EQ(Panel(), panel);
    EXPECT_EQ(Ticked(ui().Check1), groups);
    EXPECT_TRUE(port.written.empty());
}

// Compare needs values read from the inverter, marks exactly the controls of the fields that
// differ and says how many; a refused file leaves the marks, an edit takes away those of its
// field, a load or a read all of them.
TEST_F(Form1Files, CompareMarksWhatDiffersFromAReadUntilAnEditALoadOrARead)
{
    Connect();
    Compare("never-opened.pvcfg");
    around.files.clear();
    Run(3);
    Save("read.pvcfg");
    Compare("read.pvcfg");
    EXPECT_TRUE(Marked().empty());
    std::string other = Contents("read.pvcfg");
    const std::string read = Sha256Hex(other.substr(other.find("\nvmax_l2_v") + 1));
    EXPECT_NE(other.find("\n# fingerprint sha256:" + read + "\n"), std::string::npos);
    for (const auto &[from, to] : {std::pair{"vmin_l1_v = 195", "vmin_l1_v = 196"},
                                   {"sleep_power_percent = 5", "sleep_power_percent = 6"},
                                   {"dc_input = parallel", "dc_input = standard"}})
        other = Replace(other, from, to);
    Put("other.pvcfg", other);
    Compare("other.pvcfg");
    // The fingerprint of what the file holds, not the header line it kept from read.pvcfg.
    const std::string changed = Sha256Hex(other.substr(other.find("\nvmax_l2_v") + 1));
    const std::vector<std::string> all{"Check2(0)", "Option1(0)", "Option1(1)", "Text5",
                                       "Text7(2)"};
    EXPECT_EQ(Marked(), all);
    Put("empty.pvcfg", "");
    Compare("empty.pvcfg");
    EXPECT_EQ(Marked(), all);
    Put("huge.pvcfg", std::string(100'000, '#'));
    Compare("huge.pvcfg");
    EXPECT_EQ(Marked(), all);
    ui().Text7[2]->setText("196");
    ui().Option1[0]->click();
    EXPECT_EQ(Marked(), std::vector<std::string>{"Text5"});
    Load("read.pvcfg");
    EXPECT_TRUE(Marked().empty()) << "after a load";
    Compare("other.pvcfg"); // the panel now shows the file, not the inverter
    EXPECT_EQ(around.shown,
              (std::vector<QString>{Text(257), Text(259) + "\nfingerprint " + read.c_str(),
                                    "differ: 3\nfingerprint " + QString::fromStdString(changed),
                                    Text(242), "not compared: over 64 KiB", Text(256), Text(257)}));
    EXPECT_EQ(around.files.size(), 1u) << "no file dialog without a read";
    Run(3);
    around.files.clear();
    Compare("other.pvcfg");
    Run(3);
    EXPECT_TRUE(Marked().empty()) << "after a read";
}

TEST_F(Form1Files, ButtonsStandInFreeSpace)
{
    Connect();
    const QWidget *frame = ui().Frame1[1];
    for (QPushButton *button :
         {ui().CommandSave, ui().CommandLoad, ui().CommandCompare, ui().CommandReport}) {
        EXPECT_TRUE(frame->rect().contains(button->geometry()));
        for (const QWidget *other : frame->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
            EXPECT_TRUE(other == button || !other->geometry().intersects(button->geometry()))
                << button->objectName().toStdString() << " over "
                << other->objectName().toStdString();
    }
}

} // namespace
} // namespace pv
