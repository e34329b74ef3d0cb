// The configuration panel against the inverter-sim program: a read, a write of every group, and
// a fresh read that finds exactly the words written held by the simulated inverter.
#include "support/e2e_fixture.h"

namespace pv {
namespace {

using namespace test;

class ConfigurationLinkTest : public Form1LinkTest
{
protected:
    // Presses Read and waits for the exchange to end; the panel is emptied at once.
    bool Read()
    {
        form_->Command1_Click(3);
        const bool emptied = ui().Text5->text().isEmpty() && ui().Text7[0]->text().isEmpty()
                             && ui().Combo2->Text().isEmpty();
        return emptied
               && QTest::qWaitFor([&] { return Idle() && !ui().Text5->text().isEmpty(); }, LimitMs);
    }
    bool Idle() { return form_->Machine().State() == ExchangeState::Monitor; }
};

TEST_F(ConfigurationLinkTest, EveryGroupWrittenIsReadBackFromTheInverter)
{
    StartSimulator();
    ASSERT_TRUE(WaitGoodWithReadings()) << Seen();
    form_->Label16_MouseDown(MenuConfigurations, LeftButton, 0, 0, 0);

    // The simulated unit as it comes: country 6 (the first position), 5 %, 3.6 kW, 60 s.
    ASSERT_TRUE(Read()) << Seen();
    EXPECT_EQ(ui().Combo2->currentIndex(), 0);
    EXPECT_EQ(ui().Text5->text(), "5");
    EXPECT_EQ(ui().Text6->text(), "3.6");
    EXPECT_EQ(ui().Text8->text(), "60");
    EXPECT_EQ(Limits(),
              (std::vector<std::string>{"264", "253", "195", "184", "200", "2000", "2000", "200",
                                        "50.2", "47.5", "60.5", "59.5", "200", "200"}));
    EXPECT_EQ(Flags(), "00000000");

    // Every group changed: Australia's preset with a longer Fmin disconnect time, mbus and
    // flag bit 2, 7 %, 4.2 kW entered with a comma, 120 s.
    ui().Combo2->setCurrentIndex(1);
    emit ui().Combo2->activated(1);
    ui().Text7[13]->setText("1500");
    ui().Option2[1]->click();
    ui().Check2[5]->click();
    ui().Text5->setText("7");
    ui().Text6->setText("4,2");
    ui().Text8->setText("120");
    for (QCheckBox *group : ui().Check1)
        group->setChecked(true);
    form_->Command1_Click(2);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !stand_.shown.empty() && Idle(); }, LimitMs))
        << Seen();
    EXPECT_EQ(stand_.shown, std::vector<QString>{form_->LanguageText(text::WriteDone)});

    // A fresh read shows what the inverter now holds.
    ASSERT_TRUE(Read()) << Seen();
    EXPECT_EQ(ui().Combo2->currentIndex(), 1);
    EXPECT_EQ(ui().Text5->text(), "7");
    EXPECT_EQ(ui().Text6->text(), "4.2");
    EXPECT_EQ(ui().Text8->text(), "120");
    EXPECT_EQ(Limits(),
              (std::vector<std::string>{"275", "265", "180", "150", "200", "1000", "10000", "2000",
                                        "52", "47", "62.4", "57", "200", "1500"}));
    EXPECT_EQ(Flags(), "01000100");
    EXPECT_TRUE(ui().Option1[0]->Value() && ui().Option2[1]->Value());
    EXPECT_EQ(stand_.shown.size(), 1u) << "both reads passed without a message";
}

} // namespace
} // namespace pv
