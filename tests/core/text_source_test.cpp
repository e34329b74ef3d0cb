// The text files the language database is built from: escapes and line rules.

#include "language/text_source.h"

#include <gtest/gtest.h>

#include <sstream>
#include <utility>

namespace pv {
namespace {

TEST(UnescapeText, ResolvesTheFourEscapesAndRefusesOthers)
{
    EXPECT_EQ(UnescapeText("a\\tb\\nc\\sd\\\\e"), "a\tb\nc d\\e");
    EXPECT_EQ(UnescapeText("\\\\n"), "\\n");
    EXPECT_EQ(UnescapeText("a\\qb"), std::nullopt);
    EXPECT_EQ(UnescapeText("abc\\"), std::nullopt);
}

TEST(ParseTextFile, ReadsNumberedTextsAndSkipsComments)
{
    std::istringstream in("# heading\n\n0\tTitle\r\n133\tPlease enter:\\s\n52\t\n5\ta\tb");
    std::map<int, std::string> texts;
    std::string error;
    ASSERT_TRUE(ParseTextFile(in, "en.txt", texts, error)) << error;
    EXPECT_EQ(texts, (std::map<int, std::string>{
                         {0, "Title"}, {5, "a\tb"}, {52, ""}, {133, "Please enter: "}}));
}

TEST(ParseTextFile, NamesTheFirstFaultyLine)
{
    const std::pair<const char *, const char *> faults[]
        = {{"1\tok\n2 no tab\n", "fr.txt:2: no TAB after the text number"},
           {"# c\n32768\ttext\n", "fr.txt:2: text number is not a number from 0 to 32767"}};
    for (const auto &[content, message] : faults) {
        std::istringstream in(content);
        std::map<int, std::string> texts;
        std::string error;
        EXPECT_FALSE(ParseTextFile(in, "fr.txt", texts, error));
        EXPECT_EQ(error, message);
    }
}

} // namespace
} // namespace pv
