// The main window's captions after a language is applied, and the caption target flags.

#include "app/form1_controls.h"
#include "language/captions.h"
#include "language/language_table.h"

#include <QSignalSpy>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace pv {
namespace {

// A table whose text n reads "<prefix><n>", so every caption tells which number it came from.
LanguageTable NumberedTexts(const QString &prefix)
{
    std::vector<QString> texts;
    for (int n = 0; n <= 200; ++n)
        texts.push_back(prefix + QString::number(n));
    LanguageTable table;
    table.SetTexts(std::move(texts));
    return table;
}

class MainCaptions : public ::testing::Test
{
protected:
    MainCaptions() { BuildForm1Controls(&form_, ui_); }

    void Apply(const LanguageTable &texts, int status = 121)
    {
        ApplyMainCaptions(texts, form_, ui_, QStringLiteral("X"), status);
    }

    QWidget form_;
    Form1Controls ui_;
};

struct CaptionCase
{
    std::string name;
    std::function<QString(const Form1Controls &)> caption;
    int number;
};

class MainCaptionTable : public MainCaptions, public ::testing::WithParamInterface<CaptionCase>
{
};

TEST_P(MainCaptionTable, ShowsItsText)
{
    Apply(NumberedTexts(QStringLiteral("T")));
    EXPECT_EQ(GetParam().caption(ui_), QStringLiteral("T%1").arg(GetParam().number));
}

std::vector<CaptionCase> CaptionCases()
{
    std::vector<CaptionCase> cases;
    const auto add
        = [&](std::string name, std::function<QString(const Form1Controls &)> get, int number) {
              cases.push_back({std::move(name), std::move(get), number});
          };
    for (int i = 0; i < 6; ++i)
        add(
            "Label16_" + std::to_string(i), [i](auto &ui) { return ui.Label16[i]->text(); },
            10 + i);
    for (int i = 0; i < 3; ++i)
        add(
            "Frame1_" + std::to_string(i), [i](auto &ui) { return ui.Frame1[i]->title(); }, 44 + i);
    for (int i = 0; i < 9; ++i)
        add(
            "Frame2_" + std::to_string(i), [i](auto &ui) { return ui.Frame2[i]->title(); }, 35 + i);
    add(
        "Frame2_9_Efficiency", [](auto &ui) { return ui.Frame2[9]->title(); }, 89);
    add(
        "Label3_ComPort", [](auto &ui) { return ui.Label3->text(); }, 47);
    add(
        "Combo1_NoPortChosen", [](auto &ui) { return ui.Combo1->Text(); }, 48);
    add(
        "Label10_Hint", [](auto &ui) { return ui.Label10->text(); }, 139);
    const int writeGroups[4] = {49, 50, 51, 87};
    for (int i = 0; i < 4; ++i)
        add(
            "Check1_" + std::to_string(i), [i](auto &ui) { return ui.Check1[i]->text(); },
            writeGroups[i]);
    add(
        "Combo2_NoCountryChosen", [](auto &ui) { return ui.Combo2->Text(); }, 51);
    add(
        "Frame3_DcInput", [](auto &ui) { return ui.Frame3->title(); }, 86);
    add(
        "Option1_0_Standard", [](auto &ui) { return ui.Option1[0]->text(); }, 84);
    add(
        "Option1_1_Parallel", [](auto &ui) { return ui.Option1[1]->text(); }, 85);
    add(
        "Frame4_Communication", [](auto &ui) { return ui.Frame4->title(); }, 105);
    add(
        "Option2_0_jbus", [](auto &ui) { return ui.Option2[0]->text(); }, 103);
    add(
        "Option2_1_mbus", [](auto &ui) { return ui.Option2[1]->text(); }, 104);
    for (int i = 0; i < 14; ++i)
        add(
            "Label8_" + std::to_string(i), [i](auto &ui) { return ui.Label8[i]->text(); }, 53 + i);
    add(
        "Label4_KWH", [](auto &ui) { return ui.Label4->text(); }, 67);
    add(
        "Label5_ID", [](auto &ui) { return ui.Label5->text(); }, 68);
    add(
        "Label6_ModelName", [](auto &ui) { return ui.Label6->text(); }, 69);
    add(
        "Label7_Company", [](auto &ui) { return ui.Label7->text(); }, 70);
    add(
        "Command1_0_IdentifyWrite", [](auto &ui) { return ui.Command1[0]->text(); }, 16);
    add(
        "Command1_1_IdentifyRead", [](auto &ui) { return ui.Command1[1]->text(); }, 17);
    add(
        "Command1_2_ConfigurationWrite", [](auto &ui) { return ui.Command1[2]->text(); }, 16);
    add(
        "Command1_3_ConfigurationRead", [](auto &ui) { return ui.Command1[3]->text(); }, 17);
    add(
        "Label11_Note", [](auto &ui) { return ui.Label11->text(); }, 150);
    add(
        "Label1_Status", [](auto &ui) { return ui.Label1->text(); }, 121);
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Form1, MainCaptionTable, ::testing::ValuesIn(CaptionCases()),
                         [](const auto &info) { return info.param.name; });

TEST_F(MainCaptions, TitleIsTextZeroABlankAndTheSuffix)
{
    ApplyMainCaptions(NumberedTexts(QStringLiteral("T")), form_, ui_, QStringLiteral("V1.0\r\n"),
                      121);
    EXPECT_EQ(form_.windowTitle(), QStringLiteral("T0 V1.0\r\n"));
}

TEST_F(MainCaptions, StatusCaptionFollowsTheStatusNumber)
{
    Apply(NumberedTexts(QStringLiteral("T")), 126);
    EXPECT_EQ(ui_.Label1->text(), QStringLiteral("T126"));
}

TEST_F(MainCaptions, SelfTestEntryAndLimitsFrameKeepTheirDesignCaptions)
{
    const QString selfTest = ui_.Label16[6]->text();
    const QString limitsFrame = ui_.Frame1[3]->title();
    Apply(NumberedTexts(QStringLiteral("T")));
    EXPECT_EQ(ui_.Label16[6]->text(), selfTest);
    EXPECT_EQ(ui_.Frame1[3]->title(), limitsFrame);
}

TEST_F(MainCaptions, ChosenPortKeepsItsText)
{
    if (ui_.Combo1->count() == 0) {
        for (int n = 1; n <= 16; ++n)
            ui_.Combo1->addItem(QStringLiteral("COM%1").arg(n));
    }
    ui_.Combo1->setCurrentIndex(2);
    Apply(NumberedTexts(QStringLiteral("T")));
    EXPECT_EQ(ui_.Combo1->currentIndex(), 2);
    EXPECT_EQ(ui_.Combo1->Text(), QStringLiteral("COM3"));
}

TEST_F(MainCaptions, CountryListHoldsTheFourEntriesInListOrder)
{
    Apply(NumberedTexts(QStringLiteral("T")));
    Apply(NumberedTexts(QStringLiteral("T"))); // a second language change does not add entries
    ASSERT_EQ(ui_.Combo2->count(), 4);
    EXPECT_EQ(ui_.Combo2->itemText(0), QStringLiteral("T187"));
    EXPECT_EQ(ui_.Combo2->itemText(1), QStringLiteral("T200"));
    EXPECT_EQ(ui_.Combo2->itemText(2), QStringLiteral("T186"));
    EXPECT_EQ(ui_.Combo2->itemText(3), QStringLiteral("T52"));
    EXPECT_EQ(ui_.Combo2->currentIndex(), -1);
}

TEST_F(MainCaptions, ChosenCountryKeepsItsPositionAcrossALanguageChange)
{
    Apply(NumberedTexts(QStringLiteral("T")));
    ui_.Combo2->setCurrentIndex(2);
    QSignalSpy changes(ui_.Combo2, &QComboBox::currentIndexChanged);
    Apply(NumberedTexts(QStringLiteral("U")));
    EXPECT_EQ(ui_.Combo2->currentIndex(), 2);
    EXPECT_EQ(ui_.Combo2->Text(), QStringLiteral("U186"));
    EXPECT_EQ(changes.count(), 0); // no country choice is reported for the refill
}

TEST_F(MainCaptions, NoCountryChosenShowsTheCountryTextInTheNewLanguage)
{
    Apply(NumberedTexts(QStringLiteral("T")));
    Apply(NumberedTexts(QStringLiteral("U")));
    EXPECT_EQ(ui_.Combo2->currentIndex(), -1);
    EXPECT_EQ(ui_.Combo2->Text(), QStringLiteral("U51"));
}

TEST_F(MainCaptions, HintCheckBoxFollowsTheHintText)
{
    LanguageTable shortHint = NumberedTexts(QStringLiteral("T"));
    Apply(shortHint);
    const int shortLeft = LeftTwips(ui_.Check3);
    EXPECT_EQ(ui_.Label10->width(), ui_.Label10->sizeHint().width());
    // 40 twips after the hint's right edge, to the pixel.
    EXPECT_EQ(ui_.Check3->x(), Px(LeftTwips(ui_.Label10) + WidthTwips(ui_.Label10) + 40));

    std::vector<QString> texts;
    for (int n = 0; n <= 200; ++n)
        texts.push_back(n == 139 ? QStringLiteral("A much longer hint sentence than before, please "
                                                  "tick the")
                                 : QString::number(n));
    LanguageTable longHint;
    longHint.SetTexts(texts);
    Apply(longHint);
    EXPECT_GT(LeftTwips(ui_.Check3), shortLeft);
    EXPECT_EQ(ui_.Check3->x(), Px(LeftTwips(ui_.Label10) + WidthTwips(ui_.Label10) + 40));
}

TEST_F(MainCaptions, MissingTextsShowTheirNumbers)
{
    LanguageTable shortTable;
    shortTable.SetTexts({QStringLiteral("Title")});
    Apply(shortTable);
    EXPECT_EQ(ui_.Label11->text(), QStringLiteral("#150"));
    EXPECT_EQ(ui_.Combo2->itemText(1), QStringLiteral("#200"));
}

struct TargetCase
{
    const char *name;
    int before; // target selected first
    int which;
    bool main, calibration, about;
};

class CaptionTargetTable : public ::testing::TestWithParam<TargetCase>
{
};

TEST_P(CaptionTargetTable, SelectsOneWindowOrLeavesThemAlone)
{
    CaptionTargets targets;
    targets.SelectCaptionTarget(GetParam().before);
    targets.SelectCaptionTarget(GetParam().which);
    EXPECT_EQ(targets.Main(), GetParam().main);
    EXPECT_EQ(targets.Calibration(), GetParam().calibration);
    EXPECT_EQ(targets.About(), GetParam().about);
}

INSTANTIATE_TEST_SUITE_P(
    Which, CaptionTargetTable,
    ::testing::Values(TargetCase{"MainOnly", 2, 0, true, false, false},
                      TargetCase{"CalibrationOnly", 0, 1, false, true, false},
                      TargetCase{"AboutOnly", 1, 2, false, false, true},
                      TargetCase{"ThreeLeavesCalibration", 1, 3, false, true, false},
                      TargetCase{"MinusOneLeavesAbout", 2, -1, false, false, true},
                      TargetCase{"NothingSelectedYet", 7, 7, false, false, false}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
} // namespace pv
