// The main window's captions in the chosen language, and the language it starts in.

#include "support/form1_fixture.h"

#include <QSignalSpy>

namespace pv {
namespace {

using namespace test;

TEST_F(Form1Test, ChosenPortAndCountryKeepTheirPositionAcrossALanguageChange)
{
    ASSERT_TRUE(Start());
    ChoosePort(1);
    ui().Combo2->setCurrentIndex(2);
    ui().Text7[0]->setText("299");
    QSignalSpy changes(ui().Combo2, &QComboBox::currentIndexChanged);
    form->LanguagePicked(2);
    EXPECT_EQ(ui().Combo1->Text(), QStringLiteral("COM2"));
    EXPECT_EQ(ui().Combo2->currentIndex(), 2);
    EXPECT_EQ(ui().Combo2->Text(), QStringLiteral("L3-186"));
    EXPECT_EQ(ui().Label1->text(), QStringLiteral("L3-126")) << "the status caption follows";
    EXPECT_EQ(changes.count(), 0) << "the position never moves";
    // The country is chosen again: record 0 ("R0", then a last field) fills the presets.
    EXPECT_EQ(ui().Text7[0]->text(), QStringLiteral("0"));
}

// The hint text takes the width its language needs and the check box never covers it.
TEST_F(Form1Test, Check3FollowsTheHintText)
{
    ASSERT_TRUE(Start());
    for (int picked : {0, 10}) {
        form->LanguagePicked(picked);
        EXPECT_EQ(ui().Label10->width(), ui().Label10->sizeHint().width());
        EXPECT_GT(ui().Check3->x(), ui().Label10->geometry().right());
    }
}

// The language a stored choice starts in: one the picker offers, when its texts load.
struct StoredLanguage
{
    const char *name;
    const char *stored; // LanguageSet.txt, null: missing
    int lastColumn;     // the table's last language column
    const char *title;
};

using Form1StartLanguage = Form1With<StoredLanguage>;

TEST_P(Form1StartLanguage, IsTheStoredChoiceWhenItLoads)
{
    around.lastColumn = GetParam().lastColumn;
    ASSERT_TRUE(Start("1,1,1,1,0,X", true, GetParam().stored));
    EXPECT_EQ(form->windowTitle().toStdString(), GetParam().title);
}

const StoredLanguage StoredLanguages[] = {
    {"KoreanStoredStartsInKorean", "12\r\n", 12, "L12-0 X"},
    {"TraditionalChineseStored", "2\r\n", 12, "L2-0 X"},
    {"NineIsNoPickerLanguage", "9\r\n", 12, "L1-0 X"},
    {"ZeroIsNoLanguage", "0\r\n", 12, "L1-0 X"},
    {"TextIsNoNumber", "Korean\r\n", 12, "L1-0 X"},
    {"EmptyFile", "", 12, "L1-0 X"},
    {"MissingFile", nullptr, 12, "L1-0 X"},
    {"ColumnMissingFallsBackToEnglish", "12\r\n", 8, "L1-0 X"},
};

INSTANTIATE_TEST_SUITE_P(Form1, Form1StartLanguage, ::testing::ValuesIn(StoredLanguages), RowName);

} // namespace
} // namespace pv
