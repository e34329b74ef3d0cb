#include "app/settings_files.h"

#include <gtest/gtest.h>

#include <fstream>
#include <unistd.h>
#include <string>
#include <vector>

namespace pv {
namespace {

namespace fs = std::filesystem;

// Parameterised test names carry "/", which a folder name cannot.
std::string SafeName(std::string name)
{
    for (char &c : name) {
        if (c == '/')
            c = '_';
    }
    return name;
}

// A fresh program folder per test, removed afterwards.
class ProgramFolder
{
public:
    ProgramFolder()
    {
        const auto *test = ::testing::UnitTest::GetInstance()->current_test_info();
        path_ = fs::temp_directory_path()
                / SafeName("pv_settings_" + std::string(test->test_suite_name()) + "_"
                           + test->name() + "_" + std::to_string(::getpid()));
        fs::remove_all(path_);
        fs::create_directories(path_);
    }
    ~ProgramFolder() { fs::remove_all(path_); }
    const fs::path &Path() const { return path_; }
    void Write(const std::string &name, const std::string &bytes) const
    {
        std::ofstream(path_ / name, std::ios::binary) << bytes;
    }

private:
    fs::path path_;
};

// ---------------------------------------------------------------------------------------------
// Presence: only the exact name found by walking the folder counts.

struct PresenceCase
{
    const char *label;
    const char *stored; // name the file is stored under, nullptr: no file
    const char *asked;
    bool present;
};

class FilePresence : public ::testing::TestWithParam<PresenceCase>
{};

TEST_P(FilePresence, ExactNameOnly)
{
    const ProgramFolder folder;
    if (GetParam().stored)
        folder.Write(GetParam().stored, "1");
    EXPECT_EQ(FileIsPresent(folder.Path(), GetParam().asked), GetParam().present);
}

const PresenceCase presenceCases[] = {
    {"ExactName", "InitSet.txt", "InitSet.txt", true},
    {"LowerCaseStored", "initset.txt", "InitSet.txt", false},
    {"UpperCaseStored", "INITSET.TXT", "InitSet.txt", false},
    {"NoFile", nullptr, "InitSet.txt", false},
    {"OtherFileOnly", "LanguageSet.txt", "InitSet.txt", false},
    {"LongerNameStored", "InitSet.txt.bak", "InitSet.txt", false},
};

INSTANTIATE_TEST_SUITE_P(Settings, FilePresence, ::testing::ValuesIn(presenceCases),
                         [](const auto &info) { return std::string(info.param.label); });

TEST(FilePresenceFolder, MissingFolderHasNoFiles)
{
    EXPECT_FALSE(FileIsPresent("/nonexistent/pv/folder", InitSetFile));
}

// ---------------------------------------------------------------------------------------------
// Whole-file reading: bytes in the code page, "N" for nothing.

struct ReadCase
{
    const char *label;
    std::string bytes;
    std::string text;
};

class WholeFile : public ::testing::TestWithParam<ReadCase>
{};

TEST_P(WholeFile, ReadsBytesAsText)
{
    const ProgramFolder folder;
    folder.Write("file.txt", GetParam().bytes);
    EXPECT_EQ(ReadWholeFile(folder.Path() / "file.txt"), GetParam().text);
}

const ReadCase readCases[] = {
    {"PlainText", "1,1,1,1,0,1.0", "1,1,1,1,0,1.0"},
    {"LineBreaksKept", "a\r\nb\nc\r", "a\r\nb\nc\r"},
    {"EmptyFileReadsN", "", "N"},
    {"CodePageLetters", "K\xF6ln \xE9t\xE9 \x80", "K\xC3\xB6ln \xC3\xA9t\xC3\xA9 \xE2\x82\xAC"},
    {"ZeroByteKept", std::string("a\0b", 3), std::string("a\0b", 3)},
};

INSTANTIATE_TEST_SUITE_P(Settings, WholeFile, ::testing::ValuesIn(readCases),
                         [](const auto &info) { return std::string(info.param.label); });

TEST(WholeFileMissing, MissingFileReadsN)
{
    const ProgramFolder folder;
    EXPECT_EQ(ReadWholeFile(folder.Path() / "absent.txt"), "N");
}

TEST(WholeFileMissing, FolderReadsN)
{
    const ProgramFolder folder;
    EXPECT_EQ(ReadWholeFile(folder.Path()), "N");
}

// ---------------------------------------------------------------------------------------------
// Start-up switches: split at every comma, nothing else.

struct SplitCase
{
    const char *label;
    std::string content;
    std::vector<std::string> fields;
};

class InitSplit : public ::testing::TestWithParam<SplitCase>
{};

TEST_P(InitSplit, Fields)
{
    EXPECT_EQ(SplitInitSettings(GetParam().content), GetParam().fields);
}

const SplitCase splitCases[] = {
    {"SixFields", "1,0,1,1,0,X", {"1", "0", "1", "1", "0", "X"}},
    {"TrailingLineBreakStaysInLastField", "1,1,1,1,0,X\r\n", {"1", "1", "1", "1", "0", "X\r\n"}},
    {"LineBreakIsNoSeparator", "1\r\n0,1", {"1\r\n0", "1"}},
    {"BlanksKept", " 0,1 ", {" 0", "1 "}},
    {"EmptyFieldsCount", "1,,,", {"1", "", "", ""}},
    {"UnreadableFileGivesOneField", "N", {"N"}},
    {"SeventhFieldKept", "1,1,1,1,0,X,extra", {"1", "1", "1", "1", "0", "X", "extra"}},
};

INSTANTIATE_TEST_SUITE_P(Settings, InitSplit, ::testing::ValuesIn(splitCases),
                         [](const auto &info) { return std::string(info.param.label); });

// ---------------------------------------------------------------------------------------------
// Stored language number: start-up loads language 1 whatever is stored.

struct LanguageCase
{
    const char *label;
    const char *stored; // nullptr: no file
};

class LanguageSetting : public ::testing::TestWithParam<LanguageCase>
{};

TEST_P(LanguageSetting, AlwaysFirstLanguage)
{
    const ProgramFolder folder;
    if (GetParam().stored)
        folder.Write(LanguageSetFile, GetParam().stored);
    EXPECT_EQ(ReadLanguageSetting(folder.Path()), 1);
}

const LanguageCase languageCases[] = {
    {"One", "1\r\n"},       {"Three", "3\r\n"},   {"Two", "2"},
    {"Zero", "0"},          {"Negative", "-4"},   {"NotANumber", "English"},
    {"Empty", ""},          {"TooLarge", "70000"}, {"Missing", nullptr},
};

INSTANTIATE_TEST_SUITE_P(Settings, LanguageSetting, ::testing::ValuesIn(languageCases),
                         [](const auto &info) { return std::string(info.param.label); });

TEST(LanguageSettingName, LowerCaseFileIsMissing)
{
    const ProgramFolder folder;
    folder.Write("languageset.txt", "3");
    EXPECT_EQ(ReadLanguageSetting(folder.Path()), 1);
}

// ---------------------------------------------------------------------------------------------
// Country records: lines 3 onward, CR LF only.

struct CountryCase
{
    const char *label;
    const char *stored;
    bool read;
    std::vector<std::string> records;
};

class CountryRecords : public ::testing::TestWithParam<CountryCase>
{};

TEST_P(CountryRecords, Records)
{
    const ProgramFolder folder;
    folder.Write(CountryParameterFile, GetParam().stored);
    std::vector<std::string> records{"before"};
    EXPECT_EQ(ReadCountryRecords(folder.Path(), records), GetParam().read);
    // A failed read leaves the records as they were.
    const std::vector<std::string> expected
        = GetParam().read ? GetParam().records : std::vector<std::string>{"before"};
    EXPECT_EQ(records, expected);
}

const CountryCase countryCases[] = {
    {"ThreeRecords", "h1\r\nh2\r\nA\tuk\r\nB\tde\r\nC\tau", true, {"A\tuk", "B\tde", "C\tau"}},
    {"FinalLineBreakCountsEmptyRecord", "h1\r\nh2\r\nA\r\nB\r\n", true, {"A", "B", ""}},
    {"HeadersAndEmptyThirdLine", "h1\r\nh2\r\n", true, {""}},
    {"LoneLineFeedDoesNotSplit", "h1\r\nh2\r\nA\nB\r\nC", true, {"A\nB", "C"}},
    {"LoneCarriageReturnDoesNotSplit", "h1\r\nh2\r\nA\rB", true, {"A\rB"}},
    {"TwoLinesOnly", "h1\r\nh2", false, {}},
    {"LineFeedsOnly", "h1\nh2\nA\nB\nC", false, {}},
    {"EmptyFileReadsAsN", "", false, {}},
};

INSTANTIATE_TEST_SUITE_P(Settings, CountryRecords, ::testing::ValuesIn(countryCases),
                         [](const auto &info) { return std::string(info.param.label); });

TEST(CountryRecordsName, MissingFileFailsAndKeepsRecords)
{
    const ProgramFolder folder;
    folder.Write("countryparameter.txt", "h1\r\nh2\r\nA");
    std::vector<std::string> records{"before"};
    EXPECT_FALSE(ReadCountryRecords(folder.Path(), records));
    EXPECT_EQ(records, std::vector<std::string>{"before"});
}

TEST(CountryRecordsName, CodePageNamesDecoded)
{
    const ProgramFolder folder;
    folder.Write(CountryParameterFile, "h1\r\nh2\r\n1\tK\xF6ln");
    std::vector<std::string> records;
    ASSERT_TRUE(ReadCountryRecords(folder.Path(), records));
    EXPECT_EQ(records, std::vector<std::string>{"1\tK\xC3\xB6ln"});
}

// ---------------------------------------------------------------------------------------------
// The files shipped beside the program, as copied into the build's program folder.

struct PresetLimit
{
    const char *column;
    double low, high;
};

// Column order of a country record and the ranges the configuration entries accept.
const PresetLimit presetLimits[15] = {
    {"Vmax_L2", 100, 300},      {"Vmax_L1", 150, 300},      {"Vmin_L1", 150, 300},
    {"Vmin_L2", 100, 300},      {"Vmax_L2 time", 1, 65535}, {"Vmax_L1 time", 1, 65535},
    {"Vmin_L1 time", 1, 65535}, {"Vmin_L2 time", 1, 65535}, {"Fmax50", 50.1, 54.9},
    {"Fmin50", 45.1, 49.9},     {"Fmax60", 60.1, 65.0},     {"Fmin60", 55.1, 59.9},
    {"Fmax time", 1, 65535},    {"Fmin time", 1, 65535},    {"Retry", 1, 600},
};

// Only the four frequencies carry decimals; everything else goes to the inverter as entered.
bool IsFrequencyColumn(std::size_t column) { return column >= 8 && column <= 11; }

std::vector<std::string> SplitTabs(const std::string &record)
{
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (std::size_t at; (at = record.find('\t', start)) != std::string::npos; start = at + 1)
        fields.push_back(record.substr(start, at - start));
    fields.push_back(record.substr(start));
    return fields;
}

TEST(ShippedFiles, StartupSwitchesHaveSixFieldsAndNoLineBreak)
{
    ASSERT_TRUE(FileIsPresent(PV_PROGRAM_DIR, InitSetFile));
    const auto fields = SplitInitSettings(ReadWholeFile(fs::path(PV_PROGRAM_DIR) / InitSetFile));
    ASSERT_EQ(fields.size(), 6u);
    EXPECT_EQ(fields[5].find_first_of("\r\n"), std::string::npos);
}

TEST(ShippedFiles, LanguageIsFirst)
{
    ASSERT_TRUE(FileIsPresent(PV_PROGRAM_DIR, LanguageSetFile));
    EXPECT_EQ(ReadWholeFile(fs::path(PV_PROGRAM_DIR) / LanguageSetFile), "1\r\n");
}

TEST(ShippedFiles, CountryPresetsPassTheEntryChecks)
{
    std::vector<std::string> records;
    ASSERT_TRUE(ReadCountryRecords(PV_PROGRAM_DIR, records));
    // Exactly three: a final line break would add an empty record and shift the own-settings
    // position of the country list.
    ASSERT_EQ(records.size(), 3u);
    const char *names[] = {"United Kingdom", "Germany", "Australia"};
    for (std::size_t r = 0; r < records.size(); ++r) {
        const auto fields = SplitTabs(records[r]);
        ASSERT_EQ(fields.size(), 16u) << names[r];
        EXPECT_EQ(fields[15], names[r]);
        for (std::size_t i = 0; i < 15; ++i) {
            std::size_t used = 0;
            const double value = std::stod(fields[i], &used);
            EXPECT_EQ(used, fields[i].size()) << names[r] << " " << presetLimits[i].column;
            EXPECT_GE(value, presetLimits[i].low) << names[r] << " " << presetLimits[i].column;
            EXPECT_LE(value, presetLimits[i].high) << names[r] << " " << presetLimits[i].column;
            if (!IsFrequencyColumn(i)) {
                EXPECT_EQ(fields[i].find('.'), std::string::npos) << names[r] << " " << i;
            }
        }
    }
}

} // namespace
} // namespace pv
