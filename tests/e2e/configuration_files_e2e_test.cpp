// A unit replaced on site, against the inverter-sim program: the old unit's configuration is read
// and saved, a unit with other settings takes its place on the line, Load and a Write of every
// group give the new unit the saved settings, and a fresh read finds them there. What Compare
// marks and what Load says are the window tests' (form1_configuration_files_test).
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
        return QTest::qWaitFor([&] { return Monitoring() && !ui().Text5->text().isEmpty(); },
                               LimitMs);
    }
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
    form_->CommandLoad_Click();
    EXPECT_EQ(Panel(), unitA);
    stand_.shown.clear();
    for (QCheckBox *group : ui().Check1)
        group->setChecked(true);
    form_->Command1_Click(2);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !stand_.shown.empty() && Monitoring(); }, LimitMs))
        << Seen();
    EXPECT_EQ(stand_.shown, std::vector<QString>{form_->LanguageText(text::WriteDone)});

    // What the replacement now holds, read afresh.
    ASSERT_TRUE(Read()) << Seen();
    EXPECT_EQ(Panel(), unitA);
}

} // namespace
} // namespace pv
