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

// The tool refuses a table with a text of more than 1000 characters, so the build never makes
// one: characters are counted, not bytes.
TEST(ParseTextFile, RefusesATextLongerThanTheToolTakes)
{
    std::string longest;
    for (int i = 0; i < 1000; ++i)
        longest += "\xC3\xBC"; // ü, two bytes
    std::map<int, std::string> texts;
    std::string error;
    std::istringstream fits("1\t" + longest + "\n");
    EXPECT_TRUE(ParseTextFile(fits, "de.txt", texts, error)) << error;
    texts.clear();
    std::istringstream tooLong("1\tok\n2\t" + longest + "x\n");
    EXPECT_FALSE(ParseTextFile(tooLong, "de.txt", texts, error));
    EXPECT_EQ(error, "de.txt:2: text is longer than 1000 characters");
}

} // namespace
} // namespace pv
