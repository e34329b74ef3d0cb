// The text files the language database is built from: escapes and line rules.

#include "language/text_source.h"

#include <gtest/gtest.h>

#include <sstream>

namespace pv {
namespace {

TEST(UnescapeText, ResolvesTheFourEscapesAndRefusesOthers)
{
    EXPECT_EQ(UnescapeText("a\\tb\\nc\\sd\\\\e"), "a\tb\nc d\\e");
    EXPECT_EQ(UnescapeText("\\\\n"), "\\n");
    EXPECT_EQ(UnescapeText("a\\qb"), std::nullopt);
    EXPECT_EQ(UnescapeText("abc\\"), std::nullopt);
}

TEST(ParseTextFile, ReadsNumberedTextsSkipsCommentsAndNamesTheFirstFaultyLine)
{
    std::istringstream in("# heading\n\n0\tTitle\r\n133\tPlease enter:\\s\n52\t\n5\ta\tb");
    std::map<int, std::string> texts;
    std::string error;
    ASSERT_TRUE(ParseTextFile(in, "en.txt", texts, error)) << error;
    EXPECT_EQ(texts, (std::map<int, std::string>{
                         {0, "Title"}, {5, "a\tb"}, {52, ""}, {133, "Please enter: "}}));
    std::istringstream faulty("# c\n1\tok\n2 no tab\n32768\ttext\n");
    EXPECT_FALSE(ParseTextFile(faulty, "fr.txt", texts, error));
    EXPECT_EQ(error, "fr.txt:3: no TAB after the text number");
}

} // namespace
} // namespace pv
