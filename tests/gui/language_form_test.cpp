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

TEST(LanguageForm, HasExactlyTheTenPictures)
{
    LanguageForm form([](int) {});
    std::vector<int> indexes;
    for (const auto &[index, button] : form.Picture1()) {
        indexes.push_back(index);
        EXPECT_FALSE(button->Picture().isNull()) << index;
    }
    EXPECT_EQ(indexes, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 10, 11}));
    EXPECT_EQ(form.findChildren<PictureButton *>().size(), 10);
}

TEST(LanguageForm, ClickReportsTheIndexAndTheWindowStaysOpen)
{
    std::vector<int> picked;
    LanguageForm form([&](int index) { picked.push_back(index); });
    form.show();
    for (int index : {11, 0, 10})
        QTest::mouseClick(form.Picture1().at(index), Qt::LeftButton);
    EXPECT_EQ(picked, (std::vector<int>{11, 0, 10}));
    EXPECT_TRUE(form.isVisible());
}

// Every file of the folder with its bytes.
std::map<std::string, std::string> Files(const std::filesystem::path &folder)
{
    std::map<std::string, std::string> files;
    for (const auto &entry : std::filesystem::directory_iterator(folder)) {
        std::ifstream in(entry.path(), std::ios::binary);
        files[entry.path().filename().string()] = {std::istreambuf_iterator<char>(in), {}};
    }
    return files;
}

TEST(WriteTextFile, ReplacesTheContentAndEndsWithCrLf)
{
    QTemporaryDir dir;
    const std::filesystem::path folder = dir.path().toStdString();
    std::ofstream(folder / "note.txt", std::ios::binary) << "a much longer content\r\n";
    EXPECT_TRUE(WriteTextFile(folder / "note.txt", "7"));
    EXPECT_EQ(Files(folder), (std::map<std::string, std::string>{{"note.txt", "7\r\n"}}));
}

struct ChoiceCase
{
    const char *name;
    const char *present; // file there before, holding "1\r\n"; null: none
    std::map<std::string, std::string> after;
};

class SavedChoice : public ::testing::TestWithParam<ChoiceCase>
{
};

TEST_P(SavedChoice, KoreanIsStoredOnlyInAnExistingLanguageSet)
{
    QTemporaryDir dir;
    const std::filesystem::path folder = dir.path().toStdString();
    if (GetParam().present)
        std::ofstream(folder / GetParam().present, std::ios::binary) << "1\r\n";
    SaveLanguageChoice(folder, 11);
    EXPECT_EQ(Files(folder), GetParam().after);
}

INSTANTIATE_TEST_SUITE_P(
    Folder, SavedChoice,
    ::testing::Values(ChoiceCase{"Present", "LanguageSet.txt", {{"LanguageSet.txt", "12\r\n"}}},
                      ChoiceCase{"Absent", nullptr, {}},
                      ChoiceCase{
                          "OtherLetterCase", "languageset.txt", {{"languageset.txt", "1\r\n"}}}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
} // namespace pv
