// The main window's captions after a language is applied.

#include "app/form1_controls.h"
#include "language/captions.h"
#include "language/language_table.h"

#include <QSignalSpy>
#include <QWidget>

#include <gtest/gtest.h>

#include <utility>

namespace pv {
namespace {

class MainCaptions : public ::testing::Test
{
protected:
    MainCaptions() { BuildForm1Controls(&form_, ui_); }

    // Applies a table whose text n reads "<prefix><n>", so every caption tells its number.
    void Apply(const QString &prefix, int status = 121)
    {
        std::vector<QString> texts;
        for (int n = 0; n <= 200; ++n)
            texts.push_back(prefix + QString::number(n));
        LanguageTable table;
        table.SetTexts(std::move(texts));
        ApplyMainCaptions(table, form_, ui_, QStringLiteral("V1.0"), status);
    }

    QWidget form_;
    Form1Controls ui_;
};

TEST_F(MainCaptions, RepresentativeControlsShowTheirTexts)
{
    Apply(QStringLiteral("T"), 126);
    EXPECT_EQ(form_.windowTitle(), QStringLiteral("T0 V1.0"));
    const std::pair<QString, int> shown[]
        = {{ui_.Label16[0]->text(), 10},   {ui_.Frame2[9]->title(), 89},
           {ui_.Label8[13]->text(), 66},   {ui_.Command1[2]->text(), 16},
           {ui_.Command1[3]->text(), 17},  {ui_.Label1->text(), 126},
           {ui_.Combo1->Text(), 48},       {ui_.Combo2->Text(), 51},
           {ui_.Combo2->itemText(0), 187}, {ui_.Label11->text(), 150}};
    for (const auto &[caption, number] : shown)
        EXPECT_EQ(caption, QStringLiteral("T%1").arg(number));
}

TEST_F(MainCaptions, ChosenPortAndCountryKeepTheirPositionAcrossALanguageChange)
{
    ui_.Combo1->addItems({QStringLiteral("COM1"), QStringLiteral("COM2")});
    ui_.Combo1->setCurrentIndex(1);
    Apply(QStringLiteral("T"));
    ui_.Combo2->setCurrentIndex(2);
    QSignalSpy changes(ui_.Combo2, &QComboBox::currentIndexChanged);
    Apply(QStringLiteral("U"));
    EXPECT_EQ(ui_.Combo1->Text(), QStringLiteral("COM2"));
    EXPECT_EQ(ui_.Combo2->currentIndex(), 2);
    EXPECT_EQ(ui_.Combo2->Text(), QStringLiteral("U186"));
    EXPECT_EQ(changes.count(), 0); // the refill reports no country choice
}

TEST_F(MainCaptions, Check3FollowsTheHintText)
{
    for (const QString &prefix : {QStringLiteral("T"), QStringLiteral("A much longer hint ")}) {
        Apply(prefix);
        EXPECT_EQ(ui_.Label10->width(), ui_.Label10->sizeHint().width());
        EXPECT_EQ(ui_.Check3->x(), Px(LeftTwips(ui_.Label10) + WidthTwips(ui_.Label10) + 40));
    }
}

} // namespace
} // namespace pv
