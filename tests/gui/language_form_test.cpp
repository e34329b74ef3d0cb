// The language picker: its ten pictures, the index a click reports, and a pick carried through
// to the main window's captions and the stored choice.

#include "app/controls.h"
#include "app/form1_controls.h"
#include "language/captions.h"
#include "language/language_choice.h"
#include "language/language_form.h"
#include "language/language_table.h"
#include "platform/language_store.h"

#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <vector>

namespace pv {
namespace {

TEST(LanguageForm, HasExactlyTheTenPictures)
{
    LanguageForm form([](int) {});
    std::vector<int> indexes;
    for (const auto &[index, button] : form.Picture1()) {
        indexes.push_back(index);
        ASSERT_NE(button, nullptr);
        EXPECT_FALSE(button->Picture().isNull()) << index;
        EXPECT_EQ(button->Picture().size(), button->size()) << index;
    }
    EXPECT_EQ(indexes, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 10, 11}));
    EXPECT_EQ(form.findChildren<PictureButton *>().size(), 10);
    ASSERT_NE(form.BackPic(), nullptr);
    EXPECT_FALSE(form.BackPic()->Picture().isNull());
}

TEST(LanguageForm, PicturesDoNotOverlap)
{
    LanguageForm form([](int) {});
    for (const auto &[a, first] : form.Picture1()) {
        EXPECT_TRUE(form.rect().contains(first->geometry())) << a;
        EXPECT_FALSE(first->geometry().intersects(form.BackPic()->geometry())) << a;
        for (const auto &[b, second] : form.Picture1()) {
            if (a != b) {
                EXPECT_FALSE(first->geometry().intersects(second->geometry())) << a << " " << b;
            }
        }
    }
}

struct NameCase
{
    int index;
    const char *ownName;
    const char *englishName;
};

void PrintTo(const NameCase &c, std::ostream *os)
{
    *os << "Picture1(" << c.index << ")";
}

class PictureNames : public ::testing::TestWithParam<NameCase>
{
};

TEST_P(PictureNames, ShowTheLanguageInItsOwnScriptOrInEnglish)
{
    const QString name = LanguagePictureName(GetParam().index);
    EXPECT_TRUE(name == QString::fromUtf8(GetParam().ownName)
                || name == QString::fromUtf8(GetParam().englishName))
        << name.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Picture1, PictureNames,
    ::testing::Values(NameCase{0, "English", "English"},
                      NameCase{1, "繁體中文", "Chinese (Traditional)"},
                      NameCase{2, "Français", "Français"}, NameCase{3, "Español", "Español"},
                      NameCase{4, "Português", "Português"}, NameCase{5, "Deutsch", "Deutsch"},
                      NameCase{6, "Italiano", "Italiano"}, NameCase{7, "Nederlands", "Nederlands"},
                      NameCase{10, "简体中文", "Chinese (Simplified)"},
                      NameCase{11, "한국어", "Korean"}),
    [](const auto &info) { return "Index" + std::to_string(info.param.index); });

TEST(LanguageForm, NoPicturesForEightAndNine)
{
    EXPECT_TRUE(LanguagePictureName(8).isEmpty());
    EXPECT_TRUE(LanguagePictureName(9).isEmpty());
}

TEST(LanguageForm, ClickReportsTheIndexAndTheWindowStaysOpen)
{
    std::vector<int> picked;
    LanguageForm form([&](int index) { picked.push_back(index); });
    form.show();
    for (int index : {11, 0, 5, 10})
        QTest::mouseClick(form.Picture1().at(index), Qt::LeftButton);
    EXPECT_EQ(picked, (std::vector<int>{11, 0, 5, 10}));
    EXPECT_TRUE(form.isVisible());
    form.Picture1_Click(7);
    EXPECT_EQ(picked.back(), 7);
}

// A pick as the main window makes it: load column index + 1, apply the captions, store it.
TEST(LanguagePick, GermanPictureSwitchesTheCaptionsAndStoresSix)
{
    QTemporaryDir dir;
    const std::filesystem::path folder = dir.path().toStdString();
    std::ofstream(folder / "LanguageSet.txt", std::ios::binary) << "1\r\n";

    auto store = MakeSqliteLanguageStore(PV_LANGUAGE_DB);
    LanguageTable texts;
    ASSERT_TRUE(texts.LoadLanguage(*store, 1));
    QWidget window;
    Form1Controls ui;
    BuildForm1Controls(&window, ui);
    ApplyMainCaptions(texts, window, ui, QString(), 121);
    ASSERT_EQ(ui.Label16[0]->text(), QStringLiteral("CONNECTION"));

    LanguageForm form([&](int index) {
        texts.LoadLanguage(*store, index + 1);
        ApplyMainCaptions(texts, window, ui, QString(), 121);
        SaveLanguageChoice(folder, index);
    });
    form.Picture1().at(5)->click();

    EXPECT_EQ(ui.Label16[0]->text(), QStringLiteral("VERBINDUNG"));
    EXPECT_EQ(ui.Combo2->itemText(0), QStringLiteral("Deutschland"));
    std::ifstream in(folder / "LanguageSet.txt", std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "6\r\n");
}

} // namespace
} // namespace pv
