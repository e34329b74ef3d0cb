#include "app/settings_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
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
    ~Folder() { fs::remove_all(path); }
    void Write(const char *name, const std::string &bytes) const
    {
        fs::remove_all(path);
        fs::create_directories(path);
        std::ofstream(path / name, std::ios::binary) << bytes;
    }
};

TEST(SettingsFiles, EmptyOrUnreadableReadsN)
{
    const Folder folder;
    folder.Write("f.txt", "");
    EXPECT_EQ(ReadWholeFile(folder.path / "f.txt"), "N");
    EXPECT_EQ(ReadWholeFile(folder.path / "absent.txt"), "N");
}

TEST(SettingsFiles, StoredLanguageIsOneThePickerOffers)
{
    const Folder folder;
    const std::pair<const char *, int> cases[]
        = {{"3\r\n", 3},  {" 11\r\n", 11}, {"12", 12},    {"9\r\n", 1}, {"10\r\n", 1},
           {"13\r\n", 1}, {"-2\r\n", 1},   {"7a\r\n", 1}, {"70000", 1}};
    for (const auto &[stored, language] : cases) {
        folder.Write(LanguageSetFile, stored);
        EXPECT_EQ(ReadLanguageSetting(folder.path), language) << stored;
    }
}

TEST(SettingsFiles, CountryRecordsFromLineThreeSplitAtCrLf)
{
    const Folder folder;
    const auto read = [&folder](const char *stored) {
        folder.Write(CountryParameterFile, stored);
        Lines records{"old"}; // a failure leaves the list as it was
        const bool ok = ReadCountryRecords(folder.path, records);
        return std::pair(ok, records);
    };
    EXPECT_EQ(read("h\r\nh\r\nA\tK\xF6ln\r\nB\r\n"), std::pair(true, Lines{"A\tK\xC3\xB6ln", "B"}))
        << "a final CR LF ends the last record and starts none";
    EXPECT_EQ(read("h\r\nh\r\nA\nB\r\nC"), std::pair(true, Lines{"A", "B", "C"})) << "a lone LF";
    EXPECT_EQ(read("h\nh\nA\tK\xF6ln\nB\n"), std::pair(true, Lines{"A\tK\xC3\xB6ln", "B"}))
        << "a file saved with LF line ends reads as with CR LF";
    EXPECT_EQ(read("h\r\nh\r\nA\r\r\n"), std::pair(true, Lines{"A\r"})) << "one CR per line end";
    EXPECT_EQ(read("h\r\nh\r\nA\r\n\r\n"), std::pair(true, Lines{"A", ""}))
        << "an empty line before the final line break is a record";
    EXPECT_EQ(read("h\r\nh\r\n"), std::pair(false, Lines{"old"})) << "two lines, no record";
    EXPECT_EQ(read("h\r\nh"), std::pair(false, Lines{"old"})) << "two lines";
}

TEST(SettingsFiles, InitSetSplitsIntoNoMoreFieldsThanAreRead)
{
    EXPECT_EQ(SplitInitSettings("1,0,1,1,0,X"), (Lines{"1", "0", "1", "1", "0", "X"}));
    EXPECT_EQ(SplitInitSettings("1,0,1,1,0,X,7,8"), (Lines{"1", "0", "1", "1", "0", "X", "7,8"}));
    // A damaged file of ten million commas.
    const Lines fields = SplitInitSettings(std::string(10'000'000, ','));
    ASSERT_EQ(fields.size(), 7u);
    EXPECT_EQ(fields[5], "");
    EXPECT_EQ(fields[6].size(), 10'000'000u - 6);
}

// The files as copied beside the program in the build tree.
TEST(SettingsFiles, ShippedFilesAreValid)
{
    const fs::path program = PV_PROGRAM_DIR;
    const Lines switches = SplitInitSettings(ReadWholeFile(program / InitSetFile));
    ASSERT_EQ(switches.size(), 6u);
    EXPECT_EQ(switches[5].find_first_of("\r\n"), std::string::npos) << "final line break";
    Lines records;
    ASSERT_TRUE(ReadCountryRecords(program, records));
    ASSERT_EQ(records.size(), 3u);
    for (const std::string &record : records)
        EXPECT_EQ(std::count(record.begin(), record.end(), '\t'), 15) << record;
}

// Most editors end the file with a line break when it is saved: the shipped records stay three,
// so own settings keep their place after them.
TEST(SettingsFiles, ShippedCountriesSavedByAnEditorKeepThreeRecords)
{
    const fs::path program = PV_PROGRAM_DIR;
    std::ifstream shipped(program / CountryParameterFile, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(shipped), {}};
    const Folder folder;
    folder.Write(CountryParameterFile, bytes + "\r\n");
    Lines records;
    ASSERT_TRUE(ReadCountryRecords(folder.path, records));
    EXPECT_EQ(records.size(), 3u);
}

} // namespace
} // namespace pv
