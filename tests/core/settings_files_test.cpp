#include "app/settings_files.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace pv {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

// A program folder holding at most one file, emptied for every case.
struct Folder
{
    fs::path path = fs::temp_directory_path() / ("pv_settings_" + std::to_string(::getpid()));
    Folder() { Reset(); }
    ~Folder() { fs::remove_all(path); }
    void Reset() const
    {
        fs::remove_all(path);
        fs::create_directories(path);
    }
    void Write(const char *name, const std::string &bytes) const
    {
        Reset();
        if (name)
            std::ofstream(path / name, std::ios::binary) << bytes;
    }
};

TEST(SettingsFiles, PresenceNeedsTheExactName)
{
    const struct
    {
        const char *label, *stored;
        bool present;
    } cases[] = {{"ExactName", "InitSet.txt", true},
                 {"LowerCase", "initset.txt", false},
                 {"UpperCase", "INITSET.TXT", false},
                 {"LongerName", "InitSet.txt.bak", false},
                 {"NoFile", nullptr, false}};
    const Folder folder;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.label);
        folder.Write(c.stored, "1");
        EXPECT_EQ(FileIsPresent(folder.path, InitSetFile), c.present);
    }
    EXPECT_FALSE(FileIsPresent(folder.path / "absent", InitSetFile));
}

TEST(SettingsFiles, WholeFileInCodePageOrN)
{
    const struct
    {
        const char *label;
        std::string bytes, text;
    } cases[] = {{"LineBreaksKept", "a\r\nb\nc\r", "a\r\nb\nc\r"},
                 {"EmptyReadsN", "", "N"},
                 {"CodePageLetters", "K\xF6ln \x80", "K\xC3\xB6ln \xE2\x82\xAC"},
                 {"ZeroByteKept", std::string("a\0b", 3), std::string("a\0b", 3)}};
    const Folder folder;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.label);
        folder.Write("f.txt", c.bytes);
        EXPECT_EQ(ReadWholeFile(folder.path / "f.txt"), c.text);
    }
    EXPECT_EQ(ReadWholeFile(folder.path / "absent.txt"), "N");
    EXPECT_EQ(ReadWholeFile(folder.path), "N") << "a folder";
}

TEST(SettingsFiles, StartupLanguageIsAlwaysTheFirst)
{
    const struct
    {
        const char *label, *name, *stored;
    } cases[] = {{"One", LanguageSetFile, "1\r\n"},
                 {"Three", LanguageSetFile, "3\r\n"},
                 {"Zero", LanguageSetFile, "0"},
                 {"NotANumber", LanguageSetFile, "En"},
                 {"TooLarge", LanguageSetFile, "70000"},
                 {"Empty", LanguageSetFile, ""},
                 {"LowerCaseName", "languageset.txt", "3"},
                 {"Missing", nullptr, ""}};
    const Folder folder;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.label);
        folder.Write(c.name, c.stored);
        EXPECT_EQ(ReadLanguageSetting(folder.path), 1);
    }
}

TEST(SettingsFiles, CountryRecordsFromLineThreeSplitAtCrLf)
{
    const struct
    {
        const char *label, *name, *stored;
        bool read;
        Lines records; // what the list holds afterwards; a failure leaves it as it was
    } cases[] = {
        {"ThreeRecords",
         CountryParameterFile,
         "h\r\nh\r\nA\tuk\r\nB\r\nC",
         true,
         {"A\tuk", "B", "C"}},
        {"FinalCrLfCountsEmptyRecord",
         CountryParameterFile,
         "h\r\nh\r\nA\r\nB\r\n",
         true,
         {"A", "B", ""}},
        {"LoneLfDoesNotSplit", CountryParameterFile, "h\r\nh\r\nA\nB\r\nC", true, {"A\nB", "C"}},
        {"CodePageDecoded", CountryParameterFile, "h\r\nh\r\nK\xF6ln", true, {"K\xC3\xB6ln"}},
        {"TwoLinesFail", CountryParameterFile, "h\r\nh", false, {"old"}},
        {"LfOnlyFails", CountryParameterFile, "h\nh\nA\nB", false, {"old"}},
        {"EmptyReadsNAndFails", CountryParameterFile, "", false, {"old"}},
        {"LowerCaseNameFails", "countryparameter.txt", "h\r\nh\r\nA", false, {"old"}},
    };
    const Folder folder;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.label);
        folder.Write(c.name, c.stored);
        Lines records{"old"};
        EXPECT_EQ(ReadCountryRecords(folder.path, records), c.read);
        EXPECT_EQ(records, c.records);
    }
}

// The files as copied beside the program in the build tree.
TEST(SettingsFiles, ShippedFilesAreUsable)
{
    const fs::path program = PV_PROGRAM_DIR;
    const Lines switches = SplitInitSettings(ReadWholeFile(program / InitSetFile));
    ASSERT_EQ(switches.size(), 6u);
    EXPECT_EQ(switches[5].find_first_of("\r\n"), std::string::npos) << "final line break";
    EXPECT_EQ(ReadWholeFile(program / LanguageSetFile), "1\r\n");

    // Every preset value must pass the entry checks of the configuration panel; only the
    // frequencies (columns 8 to 11) may carry decimals.
    const double low[15] = {100, 150, 150, 100, 1, 1, 1, 1, 50.1, 45.1, 60.1, 55.1, 1, 1, 1};
    const double high[15] = {300,  300,  300,  300,  65535, 65535, 65535, 65535,
                             54.9, 49.9, 65.0, 59.9, 65535, 65535, 600};
    const char *names[] = {"United Kingdom", "Germany", "Australia"};
    Lines records;
    ASSERT_TRUE(ReadCountryRecords(program, records));
    ASSERT_EQ(records.size(), 3u) << "a final line break would add an empty record";
    for (std::size_t r = 0; r < 3; ++r) {
        Lines fields{""};
        for (const char c : records[r]) {
            if (c == '\t')
                fields.emplace_back();
            else
                fields.back().push_back(c);
        }
        ASSERT_EQ(fields.size(), 16u);
        EXPECT_EQ(fields[15], names[r]);
        for (std::size_t i = 0; i < 15; ++i) {
            SCOPED_TRACE(std::string(names[r]) + " column " + std::to_string(i));
            std::size_t used = 0;
            const double value = std::stod(fields[i], &used);
            EXPECT_EQ(used, fields[i].size());
            EXPECT_TRUE(value >= low[i] && value <= high[i]) << value;
            EXPECT_TRUE((i >= 8 && i <= 11) || fields[i].find('.') == std::string::npos);
        }
    }
}

} // namespace
} // namespace pv
