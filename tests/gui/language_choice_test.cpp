// The stored language choice: LanguageSet.txt is rewritten only when it is already there.

#include "language/language_choice.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace pv {
namespace {

std::string ReadBytes(const std::filesystem::path &path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const std::filesystem::path &path, const std::string &bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

class ChoiceFolder : public ::testing::Test
{
protected:
    std::filesystem::path Folder() const { return dir_.path().toStdString(); }
    QTemporaryDir dir_;
};

TEST_F(ChoiceFolder, WriteTextFileReplacesTheContentAndEndsWithCrLf)
{
    const auto file = Folder() / "note.txt";
    WriteBytes(file, "a much longer content\r\nwith two lines\r\n");
    EXPECT_TRUE(WriteTextFile(file, "7"));
    EXPECT_EQ(ReadBytes(file), "7\r\n");
}

TEST_F(ChoiceFolder, WriteTextFileCreatesAMissingFile)
{
    EXPECT_TRUE(WriteTextFile(Folder() / "new.txt", ""));
    EXPECT_EQ(ReadBytes(Folder() / "new.txt"), "\r\n");
}

TEST_F(ChoiceFolder, WriteTextFileFailsInAMissingFolder)
{
    EXPECT_FALSE(WriteTextFile(Folder() / "absent" / "note.txt", "1"));
}

struct ChoiceCase
{
    const char *name;
    int index;
    const char *stored;
};

class StoredChoice : public ChoiceFolder, public ::testing::WithParamInterface<ChoiceCase>
{
};

TEST_P(StoredChoice, PresentFileHoldsIndexPlusOne)
{
    const auto file = Folder() / "LanguageSet.txt";
    WriteBytes(file, "1\r\n");
    SaveLanguageChoice(Folder(), GetParam().index);
    EXPECT_EQ(ReadBytes(file), GetParam().stored);
}

INSTANTIATE_TEST_SUITE_P(Picture1, StoredChoice,
                         ::testing::Values(ChoiceCase{"English", 0, "1\r\n"},
                                           ChoiceCase{"German", 5, "6\r\n"},
                                           ChoiceCase{"Dutch", 7, "8\r\n"},
                                           ChoiceCase{"SimplifiedChinese", 10, "11\r\n"},
                                           ChoiceCase{"Korean", 11, "12\r\n"}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(ChoiceFolder, AbsentFileIsNeverCreated)
{
    SaveLanguageChoice(Folder(), 11);
    EXPECT_TRUE(std::filesystem::is_empty(Folder()));
}

TEST_F(ChoiceFolder, OtherLetterCaseCountsAsAbsent)
{
    const auto other = Folder() / "languageset.txt";
    WriteBytes(other, "3\r\n");
    SaveLanguageChoice(Folder(), 11);
    EXPECT_EQ(ReadBytes(other), "3\r\n");
    int files = 0;
    for (const auto &entry : std::filesystem::directory_iterator(Folder())) {
        EXPECT_EQ(entry.path().filename(), "languageset.txt");
        ++files;
    }
    EXPECT_EQ(files, 1);
}

} // namespace
} // namespace pv
