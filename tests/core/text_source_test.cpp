// The text files the language database is built from: escapes and line rules.

#include "language/text_source.h"

#include <gtest/gtest.h>

#include <sstream>

namespace pv {
namespace {

struct EscapeCase
{
    const char *name;
    const char *escaped;
    std::optional<std::string> text;
};

class Unescape : public ::testing::TestWithParam<EscapeCase>
{
};

TEST_P(Unescape, ResolvesOrRefuses)
{
    EXPECT_EQ(UnescapeText(GetParam().escaped), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Escapes, Unescape,
    ::testing::Values(EscapeCase{"Plain", "Write", "Write"}, EscapeCase{"Empty", "", ""},
                      EscapeCase{"Tab", "a\\tb", "a\tb"}, EscapeCase{"LineBreak", "a\\nb", "a\nb"},
                      EscapeCase{"TrailingBlank", "Please enter:\\s", "Please enter: "},
                      EscapeCase{"Backslash", "C:\\\\tool", "C:\\tool"},
                      EscapeCase{"BackslashBeforeN", "\\\\n", "\\n"},
                      EscapeCase{"Utf8Untouched", "Étalonnage 校正", "Étalonnage 校正"},
                      EscapeCase{"UnknownEscape", "a\\qb", std::nullopt},
                      EscapeCase{"LoneBackslashAtEnd", "abc\\", std::nullopt}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(ParseTextFile, ReadsNumberedTextsAndSkipsComments)
{
    std::istringstream in("# heading\n"
                          "\n"
                          "0\tTitle\r\n"
                          "133\tPlease enter:\\s\n"
                          "52\t\n"
                          "200\tAustralia");
    std::map<int, std::string> texts;
    std::string error;
    ASSERT_TRUE(ParseTextFile(in, "en.txt", texts, error)) << error;
    EXPECT_EQ(texts, (std::map<int, std::string>{
                         {0, "Title"}, {52, ""}, {133, "Please enter: "}, {200, "Australia"}}));
}

TEST(ParseTextFile, TextKeepsFurtherTabsEscapedOrNot)
{
    std::istringstream in("5\ta\tb\n");
    std::map<int, std::string> texts;
    std::string error;
    ASSERT_TRUE(ParseTextFile(in, "x", texts, error));
    EXPECT_EQ(texts.at(5), "a\tb");
}

struct FaultCase
{
    const char *name;
    const char *content;
    const char *error;
};

class FaultyFile : public ::testing::TestWithParam<FaultCase>
{
};

TEST_P(FaultyFile, NamesTheLine)
{
    std::istringstream in(GetParam().content);
    std::map<int, std::string> texts;
    std::string error;
    EXPECT_FALSE(ParseTextFile(in, "fr.txt", texts, error));
    EXPECT_EQ(error, GetParam().error);
}

INSTANTIATE_TEST_SUITE_P(
    Faults, FaultyFile,
    ::testing::Values(
        FaultCase{"NoTab", "1\tok\n2 no tab\n", "fr.txt:2: no TAB after the text number"},
        FaultCase{"NotANumber", "x1\ttext\n",
                  "fr.txt:1: text number is not a number from 0 to 32767"},
        FaultCase{"Negative", "-1\ttext\n",
                  "fr.txt:1: text number is not a number from 0 to 32767"},
        FaultCase{"TooLarge", "32768\ttext\n",
                  "fr.txt:1: text number is not a number from 0 to 32767"},
        FaultCase{"BlankBeforeTab", "1 \ttext\n",
                  "fr.txt:1: text number is not a number from 0 to 32767"},
        FaultCase{"Twice", "# c\n7\ta\n7\tb\n", "fr.txt:3: text 7 is given twice"},
        FaultCase{"BadEscape", "7\ta\\x\n", "fr.txt:1: unknown escape (use \\t \\n \\s \\\\)"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(LanguageFiles, TenLanguagesWithColumnsNineAndTenLeftOut)
{
    std::vector<int> columns;
    for (const auto &file : LanguageFiles)
        columns.push_back(file.column);
    EXPECT_EQ(columns, (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 11, 12}));
}

} // namespace
} // namespace pv
