// A unit replaced on site, against the inverter-sim program: the old unit's configuration is read
// and saved, a unit with other settings takes its place on the line, Compare marks what differs,
// Load and a Write of every group give the new unit the saved settings, and a fresh read finds
// them there.
#include "support/e2e_fixture.h"

#include <QFile>

namespace pv {
namespace {

using namespace test;

class ConfigurationFilesLinkTest : public Form1LinkTest
{
protected:
    bool Read()
    {
        form_->Command1_Click(3);
        return QTest::qWaitFor([&] { return Idle() && !ui().Text5->text().isEmpty(); }, LimitMs);
    }
    bool Idle() { return form_->Machine().State() == ExchangeState::Monitor; }
    // Entries, country, flag boxes and options as the panel shows them.
    std::string Panel()
    {
        std::string shown = ui().Combo2->Text().toStdString() + "|";
        for (TextBox *box : ui().Text7)
            shown += box->text().toStdString() + " ";
        for (TextBox *box : {ui().Text5, ui().Text6, ui().Text8})
            shown += box->text().toStdString() + " ";
        for (QCheckBox *box : ui().Check2)
            shown += box->isChecked() ? '1' : '0';
        for (OptionButton *option :
             {ui().Option1[0], ui().Option1[1], ui().Option2[0], ui().Option2[1]})
            shown += option->Value() ? 'o' : '-';
        return shown;
    }
    std::vector<std::string> Marked()
    {
        std::vector<std::string> marked;
        for (QWidget *w : form_->findChildren<QWidget *>()) {
            if (w->property(DiffersFromFileProperty).toBool())
                marked.push_back(w->objectName().toStdString());
        }
        std::sort(marked.begin(), marked.end());
        return marked;
    }
};

TEST_F(ConfigurationFilesLinkTest, ASavedUnitIsComparedWithAndWrittenToItsReplacement)
{
    StartSimulator();
    ASSERT_TRUE(WaitGoodWithReadings()) << Seen();
    form_->Label16_MouseDown(MenuConfigurations, LeftButton, 0, 0, 0);
    ASSERT_TRUE(Read()) << Seen();
    const std::string unitA = Panel();
    const fs::path file = program_ / "unit-a.pvcfg";
    stand_.file = file;
    form_->CommandSave_Click();
    ASSERT_TRUE(fs::exists(file));
    EXPECT_TRUE(stand_.shown.empty());

    // The replacement: mbus and Australia, other limits, sleep power, rated power, retry time.
    StopSimulator();
    ASSERT_TRUE(QTest::qWaitFor([&] { return Shows(text::NoReply, false); }, LimitMs)) << Seen();
    StartSimulator({"--set", "C081=0x4011", "--set", "C088=270", "--set", "C08A=200", "--set",
                    "C091=470", "--set", "C084=7", "--set", "C0B0=42", "--set", "C0B1=42", "--set",
                    "C085=120"},
                   false);
    ASSERT_TRUE(WaitGoodWithReadings()) << Seen();
    ASSERT_TRUE(Read()) << Seen();
    ASSERT_NE(Panel(), unitA);

    stand_.file = file;
    form_->CommandCompare_Click();
    EXPECT_EQ(Marked(),
              (std::vector<std::string>{"Check2(1)", "Combo2", "Option2(0)", "Option2(1)", "Text5",
                                        "Text6", "Text7(0)", "Text7(2)", "Text7(9)", "Text8"}));
    EXPECT_EQ(stand_.shown,
              std::vector<QString>{form_->LanguageText(258).replace(QStringLiteral("%1"), "8")});

    stand_.shown.clear();
    stand_.file = file;
    form_->CommandLoad_Click();
    EXPECT_EQ(Panel(), unitA);
    EXPECT_TRUE(Marked().empty());
    EXPECT_EQ(stand_.shown, std::vector<QString>{form_->LanguageText(256)});
    for (QCheckBox *group : ui().Check1)
        EXPECT_FALSE(group->isChecked()) << "a loaded file ticks no group";

    stand_.shown.clear();
    for (QCheckBox *group : ui().Check1)
        group->setChecked(true);
    form_->Command1_Click(2);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !stand_.shown.empty() && Idle(); }, LimitMs))
        << Seen();
    EXPECT_EQ(stand_.shown, std::vector<QString>{form_->LanguageText(text::WriteDone)});

    // What the replacement now holds, read afresh.
    ASSERT_TRUE(Read()) << Seen();
    EXPECT_EQ(Panel(), unitA);
}

} // namespace
} // namespace pv
