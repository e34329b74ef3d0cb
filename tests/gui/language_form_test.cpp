// The language picker: its ten pictures and the index a click reports; and the stored choice,
// LanguageSet.txt, rewritten only when it is already there.

#include "language/language_choice.h"
#include "language/language_form.h"

#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

namespace pv {
namespace {

TEST(LanguageForm, TenPicturesReportTheirIndexAndTheWindowStaysOpen)
{
    std::vector<int> picked, indexes;
    LanguageForm form([&](int index) { picked.push_back(index); });
    form.show();
    for (const auto &[index, button] : form.Picture1()) {
        indexes.push_back(index);
        EXPECT_FALSE(button->Picture().isNull()) << index;
        QTest::mouseClick(button, Qt::LeftButton);
    }
    EXPECT_EQ(indexes, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 10, 11}));
    EXPECT_EQ(picked, indexes);
    EXPECT_EQ(form.findChildren<PictureButton *>().size(), 10);
    EXPECT_TRUE(form.isVisible());
}

// The folder holds `present` (null: nothing) with a longer old choice before 12 is picked.
struct ChoiceCase
{
    const char *name;
    const char *present;
    std::map<std::string, std::string> after;
};

using SavedChoice = ::testing::TestWithParam<ChoiceCase>;

TEST_P(SavedChoice, KoreanIsStoredOnlyInAnExistingLanguageSet)
{
    QTemporaryDir dir;
    const std::filesystem::path folder = dir.path().toStdString();
    if (GetParam().present)
        std::ofstream(folder / GetParam().present, std::ios::binary) << "1\r\n\r\n";
    SaveLanguageChoice(folder, 11);
    std::map<std::string, std::string> files;
    for (const auto &entry : std::filesystem::directory_iterator(folder)) {
        std::ifstream in(entry.path(), std::ios::binary);
        files[entry.path().filename().string()] = {std::istreambuf_iterator<char>(in), {}};
    }
    EXPECT_EQ(files, GetParam().after);
}

INSTANTIATE_TEST_SUITE_P(
    Folder, SavedChoice,
    ::testing::Values(
        ChoiceCase{"Present", "LanguageSet.txt", {{"LanguageSet.txt", "12\r\n"}}},
        ChoiceCase{"Absent", nullptr, {}},
        ChoiceCase{"OtherLetterCase", "languageset.txt", {{"languageset.txt", "1\r\n\r\n"}}}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
} // namespace pv
