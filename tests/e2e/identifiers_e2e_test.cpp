// The identifiers panel against the inverter-sim program: what a Write sends is held by the
// inverter and comes back through a fresh Read.
#include "support/e2e_fixture.h"

namespace pv {
namespace {

using namespace test;

TEST_F(Form1LinkTest, WrittenIdentifiersAreHeldAndReadBack)
{
    StartSimulator();
    ASSERT_TRUE(WaitGoodWithReadings()) << Seen();
    form_->Label16_MouseDown(MenuIdentifiers, LeftButton, 0, 0, 0);
    const auto boxes = [this] {
        return QStringList{ui().Text1->text(), ui().Text2->text(), ui().Text3->text(),
                           ui().Text4->text()};
    };

    ui().Text1->setText("7");
    ui().Text2->setText("70000");
    ui().Text3->setText("AB12");
    ui().Text4->setText("Sunny Co");
    ui().Command1[0]->click(); // Write
    ASSERT_TRUE(QTest::qWaitFor([&] { return !stand_.shown.empty() && Monitoring(); }, LimitMs))
        << Seen();
    EXPECT_EQ(stand_.shown, std::vector<QString>{form_->LanguageText(text::WriteDone)});

    for (TextBox *box : {ui().Text1, ui().Text2, ui().Text3, ui().Text4})
        box->clear();
    ui().Command1[1]->click(); // Read
    EXPECT_EQ(form_->Machine().State(), ExchangeState::PrepareIdentifyRead);
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return !ui().Text1->text().isEmpty() && Monitoring(); }, LimitMs))
        << Seen();
    // The simulated unit goes on counting from 70000 kWh, a few thousandths of a kWh a second.
    EXPECT_EQ(boxes(), (QStringList{"7", "70000", "AB12", "Sunny Co"}));
    EXPECT_EQ(stand_.shown.size(), 1u) << "the read succeeded";
    EXPECT_TRUE(QTest::qWaitFor([&] { return ui().Label2[8]->text() == "70000"; }, LimitMs))
        << "the CONNECTION panel reads " << ui().Label2[8]->text().toStdString();
}

} // namespace
} // namespace pv
