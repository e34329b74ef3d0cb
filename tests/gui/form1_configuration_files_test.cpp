// Configuration files on the panel against a scripted inverter: Save then Load gives the panel
// back, Load ticks nothing and sends nothing, refused files and panels leave everything as it
// was and say which line or entry, Compare marks exactly what differs.

#include "support/form1_fixture.h"

#include <QFile>

#include <iterator>

namespace pv {
namespace {

using namespace test;

// The Australian preset (code 17, the second list position) holds other limits than the unit.
constexpr char Countries[]
    = "header\r\nheader\r\n"
      "274\t262\t200\t184\t500\t1000\t2500\t500\t52.0\t47.5\t62.0\t57.0\t500\t20000\t20\tUK\r\n"
      "264\t253\t184\t104\t100\t200\t3000\t300\t51.5\t47.5\t61.8\t58.2\t100\t100\t60\tDE\r\n"
      "275\t265\t180\t150\t200\t1000\t10000\t2000\t52.0\t47.0\t62.4\t57.0\t200\t1000\t45\tAU";

class Form1Files : public Form1Test
{
protected:
    // Flags 0xC5 (parallel, mbus, bits 2 and 0) and country 17; 5 %, 60 s, 3.6 kW; the limits.
    std::map<int, int> registers{
        {0xC081, 0xC511}, {0xC084, 5},      {0xC085, 60},  {0xC0B1, 36},     {0xC088, 264},
        {0xC089, 253},    {0xC08A, 195},    {0xC08B, 184}, {0xC08C, 200},    {0xC08D, 2000},
        {0xC08E, 2000},   {0xC08F, 200},    {0xC090, 502}, {0xC091, 475},    {0xC092, 605},
        {0xC093, 595},    {0xC094, 200},    {0xC095, 300}, {0xC0BC, 0x5631}, {0xC0BD, 0x3030},
        {0xC0BE, 0x3037}, {0xC0BF, 0x3030},
    };

    // Started with messages that show their markers, monitoring, the CONFIGURATIONS panel open.
    void Connect()
    {
        around.ownTexts.insert({{238, "NotSaved %1: %2"},
                                {241, "Line %1: %2"},
                                {242, "Compare line %1: %2"},
                                {243, "unknown %1"},
                                {245, "missing %1"},
                                {247, "NaN %1=%2"},
                                {249, "%2 not in %3..%4"},
                                {253, "not text"},
                                {254, "empty"},
                                {255, "over %3 KiB"},
                                {258, "differ: %1"}});
        std::ofstream(program / "CountryParameter.txt") << Countries;
        ASSERT_TRUE(Start("1,1,1,1,0,Test", false));
        port.responder = [this](ByteView request) { return Answer(registers, request); };
        ChoosePort(0);
        for (int tick = 0; tick < 6; ++tick)
            form->Timer1_Timer();
        ASSERT_EQ(form->Machine().State(), ExchangeState::Monitor);
        Press(MenuConfigurations);
    }
    void Read()
    {
        form->Command1_Click(3);
        form->Timer1_Timer();
        for (int tick = 0; tick < 4; ++tick)
            form->Timer3_Timer();
        ASSERT_EQ(form->Machine().State(), ExchangeState::Monitor);
    }
    // What the panel shows: entries, list, flag boxes and options (not the write groups).
    std::string Panel()
    {
        std::string shown = ui().Combo2->Text().toStdString() + "|";
        for (TextBox *box : ui().Text7)
            shown += box->text().toStdString() + " ";
        for (TextBox *box : {ui().Text5, ui().Text6, ui().Text8})
            shown += box->text().toStdString() + " ";
        for (QAbstractButton *box : ui().Check2)
            shown += box->isChecked() ? '1' : '0';
        for (OptionButton *option :
             {ui().Option1[0], ui().Option1[1], ui().Option2[0], ui().Option2[1]})
            shown += option->Value() ? 'o' : '-';
        return shown;
    }
    std::string Groups()
    {
        std::string ticked;
        for (QCheckBox *box : ui().Check1)
            ticked += box->isChecked() ? '1' : '0';
        return ticked;
    }
    std::filesystem::path Path(const char *name) { return program / name; }
    std::string Contents(const std::filesystem::path &path)
    {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    void Save(const std::filesystem::path &path)
    {
        around.files.push_back(path);
        form->CommandSave_Click();
    }
    void Load(const std::filesystem::path &path)
    {
        around.files.push_back(path);
        form->CommandLoad_Click();
    }
    void Compare(const std::filesystem::path &path)
    {
        around.files.push_back(path);
        form->CommandCompare_Click();
    }
    // Every entry, the country, the flags and options changed by hand.
    void ChangeEverything()
    {
        for (TextBox *box : ui().Text7)
            box->setText("1");
        for (TextBox *box : {ui().Text5, ui().Text6, ui().Text8})
            box->setText("2");
        ui().Combo2->setCurrentIndex(2);
        form->Combo2_Click();
        for (QCheckBox *box : ui().Check2)
            box->setChecked(!box->isChecked());
    }
    std::vector<std::string> Marked()
    {
        std::vector<std::string> marked;
        for (QWidget *w : ui().Frame1[1]->findChildren<QWidget *>())
            if (w->property(DiffersFromFileProperty).toBool())
                marked.push_back(w->objectName().toStdString());
        for (TextBox *box : ui().Text7)
            if (box->property(DiffersFromFileProperty).toBool())
                marked.push_back(box->objectName().toStdString());
        std::sort(marked.begin(), marked.end());
        return marked;
    }
};

class Form1FilesFormat : public Form1Files, public ::testing::WithParamInterface<NumberFormat>
{
};

TEST_P(Form1FilesFormat, SaveThenLoadGivesThePanelBackAndTicksAndSendsNothing)
{
    format = GetParam();
    Connect();
    Read();
    const std::string read = Panel();
    const char point = format.decimalSeparator;
    EXPECT_NE(read.find(std::string("50") + point + "2 "), std::string::npos) << read;
    Save(Path("unit.pvcfg"));
    EXPECT_TRUE(around.shown.empty());

    ChangeEverything();
    ui().Check1[0]->setChecked(true);
    ui().Check1[2]->setChecked(false);
    port.ClearRecord();
    Load(Path("unit.pvcfg"));
    EXPECT_EQ(Panel(), read);
    EXPECT_EQ(Groups(), "1000") << "a loaded file ticks no write group";
    EXPECT_TRUE(port.written.empty());
    EXPECT_EQ(form->Machine().State(), ExchangeState::Monitor);
    EXPECT_EQ(around.shown, std::vector<QString>{Text(256)});
}

INSTANTIATE_TEST_SUITE_P(Form1, Form1FilesFormat,
                         ::testing::Values(NumberFormat{'.', ','}, NumberFormat{',', '.'}),
                         [](const auto &info) {
                             return info.param.decimalSeparator == '.' ? "Point" : "Comma";
                         });

TEST_F(Form1Files, SavedFileWritesPointsAndNamesTheInverterOnlyAfterARead)
{
    format = NumberFormat{',', '.'};
    Connect();
    Read();
    Save(Path("read.pvcfg"));
    const std::string saved = Contents(Path("read.pvcfg"));
    for (const char *line :
         {"\n# read from inverter ID 1, model \"\", operating firmware V1000700\n",
          "\nfmax_50hz_grid_hz = 50.2\n", "\nrated_power_kw = 3.6\n", "\ncountry_code = 17\n",
          "\ndc_input = parallel\n", "\ncommunication = mbus\n", "\nflag_bit_2 = 1\n"})
        EXPECT_NE(saved.find(line), std::string::npos) << line;
    // A loaded panel holds no inverter's values.
    Load(Path("read.pvcfg"));
    Save(Path("loaded.pvcfg"));
    EXPECT_EQ(Contents(Path("loaded.pvcfg")).find("# read from"), std::string::npos);
}

// A panel Save refuses, and the message.
struct SaveCase
{
    const char *name;
    bool read;
    std::function<void(Form1Controls &, Form1 &)> edit;
    QString message;
};

class Form1FilesSave : public Form1Files, public ::testing::WithParamInterface<SaveCase>
{
};

TEST_P(Form1FilesSave, RefusesBeforeAskingForAFile)
{
    Connect();
    if (GetParam().read)
        Read();
    GetParam().edit(ui(), *form);
    around.shown.clear();
    Save(Path("refused.pvcfg"));
    EXPECT_EQ(around.shown, std::vector<QString>{GetParam().message});
    EXPECT_EQ(around.files.size(), 1u) << "no file dialog";
    EXPECT_FALSE(std::filesystem::exists(Path("refused.pvcfg")));
}

const SaveCase SaveCases[] = {
    {"EmptyPanel", false, [](Form1Controls &, Form1 &) {}, QStringLiteral("L1-237")},
    {"OneEntryEmpty", true, [](Form1Controls &u, Form1 &) { u.Text8->clear(); },
     QStringLiteral("L1-133L1-87")},
    {"NoCountry", true,
     [](Form1Controls &u, Form1 &f) {
         u.Combo2->SetText(QString());
         f.Combo2_Click();
     },
     QStringLiteral("L1-138")},
    {"LimitOutsideItsCheck", true, [](Form1Controls &u, Form1 &) { u.Text7[2]->setText("149"); },
     QStringLiteral("NotSaved L1-53: 149 not in 150..300")},
};

INSTANTIATE_TEST_SUITE_P(Form1, Form1FilesSave, ::testing::ValuesIn(SaveCases), RowName);

// A file Load refuses: its bytes and the message.
struct LoadCase
{
    const char *name;
    std::function<std::string(std::string)> file; // from a valid file
    QString message;
};

class Form1FilesLoad : public Form1Files, public ::testing::WithParamInterface<LoadCase>
{
};

TEST_P(Form1FilesLoad, RefusesTheWholeFileAndLeavesThePanelAsItWas)
{
    Connect();
    Read();
    Save(Path("good.pvcfg"));
    std::ofstream(Path("bad.pvcfg"), std::ios::binary)
        << GetParam().file(Contents(Path("good.pvcfg")));
    ui().Check1[3]->setChecked(true);
    const std::string panel = Panel(), groups = Groups();
    port.ClearRecord();
    Load(Path("bad.pvcfg"));
    EXPECT_EQ(around.shown, std::vector<QString>{GetParam().message});
    EXPECT_EQ(Panel(), panel);
    EXPECT_EQ(Groups(), groups);
    EXPECT_TRUE(port.written.empty());
}

std::string Replace(std::string file, const std::string &from, const std::string &to)
{
    return file.replace(file.find(from), from.size(), to);
}

// The saved file: three header lines, then vmax_l2_v on line 4.
const LoadCase LoadCases[] = {
    {"UnknownKey", [](std::string f) { return Replace(f, "vmin_l2_v", "vmin_l3_v"); },
     QStringLiteral("Line 7: unknown vmin_l3_v")},
    {"MissingKey", [](std::string f) { return Replace(f, "sleep_power_percent = 5\n", ""); },
     QStringLiteral("Line 29: missing sleep_power_percent")},
    {"LettersAsALimit", [](std::string f) { return Replace(f, "= 253", "= abc"); },
     QStringLiteral("Line 5: NaN vmax_l1_v=abc")},
    {"LimitOutsideItsCheck", [](std::string f) { return Replace(f, "= 60.5", "= 65.1"); },
     QStringLiteral("Line 14: 65.1 not in 60.1..65")},
    {"TenMegabytes", [](std::string) { return std::string(10 << 20, '\n'); },
     QStringLiteral("Line 65537: over 64 KiB")},
    {"Binary", [](std::string f) { return Replace(f, "retry", std::string("\0\x01\xFF", 3)); },
     QStringLiteral("Line 20: not text")},
    {"Empty", [](std::string) { return std::string(); }, QStringLiteral("Line 1: empty")},
};

INSTANTIATE_TEST_SUITE_P(Form1, Form1FilesLoad, ::testing::ValuesIn(LoadCases), RowName);

// A file Compare finds the read panel different from (made from the saved one), and the
// controls marked.
struct CompareCase
{
    const char *name;
    std::function<std::string(std::string)> file;
    std::vector<std::string> marked;
    QString message;
};

class Form1FilesCompare : public Form1Files, public ::testing::WithParamInterface<CompareCase>
{
};

TEST_P(Form1FilesCompare, MarksExactlyTheEntriesThatDiffer)
{
    format = NumberFormat{',', '.'};
    Connect();
    Read();
    Save(Path("read.pvcfg"));
    std::ofstream(Path("other.pvcfg")) << GetParam().file(Contents(Path("read.pvcfg")));
    // The same value in another text of the comma format is no difference.
    ui().Text7[9]->setText("47,50");
    Compare(Path("other.pvcfg"));
    EXPECT_EQ(Marked(), GetParam().marked);
    EXPECT_EQ(around.shown, std::vector<QString>{GetParam().message});
}

const CompareCase CompareCases[] = {
    {"None", [](std::string f) { return f; }, {}, QStringLiteral("L1-259")},
    {"OneLimit",
     [](std::string f) { return Replace(f, "vmin_l1_v = 195", "vmin_l1_v = 196"); },
     {"Text7(2)"},
     QStringLiteral("differ: 1")},
    {"Several",
     [](std::string f) {
         f = Replace(f, "= 47.5", "= 47.6");
         f = Replace(f, "sleep_power_percent = 5", "sleep_power_percent = 6");
         f = Replace(f, "country_code = 17", "country_code = 6");
         return Replace(f, "communication = mbus", "communication = jbus");
     },
     {"Check2(1)", "Combo2", "Option2(0)", "Option2(1)", "Text5", "Text7(9)"},
     QStringLiteral("differ: 4")},
};

INSTANTIATE_TEST_SUITE_P(Form1, Form1FilesCompare, ::testing::ValuesIn(CompareCases), RowName);

TEST_F(Form1Files, MarksGoWithAnEditOfTheirEntryALoadAndARead)
{
    Connect();
    Read();
    Save(Path("read.pvcfg"));
    std::string other = Contents(Path("read.pvcfg"));
    other = Replace(other, "vmin_l1_v = 195", "vmin_l1_v = 196");
    other = Replace(other, "vmax_l1_v = 253", "vmax_l1_v = 254");
    std::ofstream(Path("other.pvcfg"))
        << Replace(other, "dc_input = parallel", "dc_input = standard");
    Compare(Path("other.pvcfg"));
    ASSERT_EQ(Marked(), (std::vector<std::string>{"Check2(0)", "Option1(0)", "Option1(1)",
                                                  "Text7(1)", "Text7(2)"}));
    // A refused file says where and leaves the marks as they were.
    std::ofstream(Path("empty.pvcfg")) << "";
    around.shown.clear();
    Compare(Path("empty.pvcfg"));
    EXPECT_EQ(around.shown, std::vector<QString>{"Compare line 1: empty"});
    EXPECT_EQ(Marked().size(), 5u);
    ui().Text7[2]->setText("196");
    ui().Option1[0]->click();
    EXPECT_EQ(Marked(), std::vector<std::string>{"Text7(1)"});
    Compare(Path("other.pvcfg"));
    Load(Path("read.pvcfg"));
    EXPECT_TRUE(Marked().empty()) << "after a load";
    Read();
    around.shown.clear();
    Compare(Path("other.pvcfg"));
    Read();
    EXPECT_TRUE(Marked().empty()) << "after a read";
}

TEST_F(Form1Files, CompareNeedsAReadFirst)
{
    Connect();
    around.files.push_back(Path("never-opened.pvcfg"));
    form->CommandCompare_Click();
    EXPECT_EQ(around.shown, std::vector<QString>{Text(257)});
    around.files.clear();
    Read();
    Save(Path("read.pvcfg"));
    Load(Path("read.pvcfg")); // the panel now shows the file, not the inverter
    around.shown.clear();
    Compare(Path("read.pvcfg"));
    EXPECT_EQ(around.shown, std::vector<QString>{Text(257)});
    EXPECT_EQ(around.files.size(), 1u) << "no file dialog";
}

TEST_F(Form1Files, AFileThatCannotBeWrittenOrReadIsSaidSoAndChangesNothing)
{
    around.ownTexts = {{239, "not written %1"}, {240, "not read %1"}};
    Connect();
    Read();
    const std::string panel = Panel();
    const auto nowhere = program / "no such folder" / "unit.pvcfg";
    Save(nowhere);
    Load(nowhere);
    const QString shownPath = QString::fromStdString(nowhere.string());
    EXPECT_EQ(around.shown,
              (std::vector<QString>{"not written " + shownPath, "not read " + shownPath}));
    EXPECT_EQ(Panel(), panel);
}

TEST_F(Form1Files, ButtonsStandInFreeSpaceAndRestWhileAnExchangeRuns)
{
    Connect();
    const QWidget *frame = ui().Frame1[1];
    for (QPushButton *button : {ui().CommandSave, ui().CommandLoad, ui().CommandCompare}) {
        SCOPED_TRACE(button->objectName().toStdString());
        EXPECT_TRUE(frame->rect().contains(button->geometry()));
        for (const QObject *child : frame->children()) {
            const auto *other = qobject_cast<const QWidget *>(child);
            if (other != nullptr && other != button) {
                EXPECT_FALSE(other->geometry().intersects(button->geometry()))
                    << other->objectName().toStdString();
            }
        }
    }
    EXPECT_EQ(ui().CommandCompare->text(), Text(232));
    form->Command1_Click(3);
    form->Timer1_Timer();
    EXPECT_FALSE(ui().CommandLoad->isEnabled());
    for (int tick = 0; tick < 4; ++tick)
        form->Timer3_Timer();
    EXPECT_TRUE(ui().CommandLoad->isEnabled());
}

} // namespace
} // namespace pv
