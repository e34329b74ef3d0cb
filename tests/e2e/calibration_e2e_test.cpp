// The calibration window against the inverter-sim program over the real serial adapter: read,
// write the settings and the AC current offset, read back what the inverter now holds, close,
// and monitoring picks up again.
#include "support/e2e_fixture.h"

#include "calibration/form2.h"

namespace pv {
namespace {

using namespace test;

// Reply byte of each register's high byte in a read of the calibration block.
constexpr std::size_t ReplyByteOf(std::uint16_t reg)
{
    return 3 + 2 * static_cast<std::size_t>(reg - reg::CalibrationFirst);
}

TEST_F(Form1LinkTest, CalibrationReadsWritesReadsBackAndHandsTheLinkBack)
{
    StartSimulator();
    ASSERT_TRUE(WaitGoodWithReadings()) << Seen();
    bool opened = false;
    Bytes readBack;
    stand_.whileOpen = [&](QDialog &window) {
        opened = true;
        auto &calibration = dynamic_cast<Form2 &>(window);
        Form2Controls &u = calibration.Controls();
        // Each exchange ends with the window unlocked and its timer stopped.
        const auto run = [&](void (Form2::*click)()) {
            (calibration.*click)();
            EXPECT_TRUE(u.Timer1->isActive());
            return QTest::qWaitFor([&] { return !u.Timer1->isActive(); }, LimitMs);
        };

        ASSERT_TRUE(run(&Form2::Command2_Click));
        EXPECT_EQ(u.Text1[0]->text(), "128") << "0xCF00 high byte, mid-scale";
        EXPECT_EQ(u.Text1[1]->text(), "1") << "0xCF05 high byte: 300 V";

        // String A measured 150 V and 300 V where the display said 148 V and 297 V; the DC bus
        // meter read 301 V.
        u.Text3[1]->setText("148");
        u.Text3[3]->setText("297");
        u.Text5->setText("301");
        ASSERT_TRUE(run(&Form2::Command1_Click));
        EXPECT_EQ(u.Text8[0]->text(), "135");
        EXPECT_EQ(u.Text8[1]->text(), "129");
        u.Text2->setText("130");
        ASSERT_TRUE(run(&Form2::Command5_Click));

        ASSERT_TRUE(run(&Form2::Command2_Click));
        EXPECT_EQ(u.Text1[8]->text(), "135") << "string A voltage gain, 0xCF03 high";
        EXPECT_EQ(u.Text1[10]->text(), "129") << "string A voltage offset, 0xCF03 low";
        readBack = form_->Session().CalibrationReply();
        window.reject();
        EXPECT_EQ(form_->Machine().State(), ExchangeState::Monitor);
        EXPECT_EQ(form_->Machine().MonitorStep(), 0);
        EXPECT_TRUE(ui().Timer1->isActive());
    };
    form_->Label16_MouseDown(MenuCalibration, LeftButton, 0, 0, 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return opened; }, LimitMs));
    EXPECT_EQ(stand_.shown, (std::vector<QString>{form_->LanguageText(text::WriteDone),
                                                  form_->LanguageText(text::WriteDone)}));

    // The inverter holds what was written: the DC bus meter voltage and the offset as words.
    ASSERT_GE(readBack.size(), ReplyByteOf(reg::AcCurrentOffset) + 2);
    const auto word = [&](std::uint16_t reg) {
        return readBack[ReplyByteOf(reg)] << 8 | readBack[ReplyByteOf(reg) + 1];
    };
    EXPECT_EQ(word(reg::CalibrationSettings), 135 << 8 | 129);
    EXPECT_EQ(word(reg::CalibrationSettings + 2), 301);
    EXPECT_EQ(word(reg::AcCurrentOffset), 130);
    EXPECT_TRUE(WaitGoodWithReadings()) << Seen();
}

} // namespace
} // namespace pv
