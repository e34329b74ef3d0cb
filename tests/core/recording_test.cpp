// The lines of a recording and the file they go to: exact texts, locale-free numbers that read
// back to the same value, and a file that ends with whole lines whatever fails. The failures the
// window reports (no folder, a full device, a removed file, a disk full between lines) are the
// recording window tests'; here a line that the disk cuts short.

#include "monitor/recording_csv.h"
#include "platform/record_file.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

#include <charconv>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace pv {
namespace {

namespace fs = std::filesystem;

TEST(RecordingCsv, FieldsAreQuotedOnlyWhereRfc4180NeedsIt)
{
    const std::pair<const char *, const char *> cases[] = {
        {"connected", "connected"},
        {"a,b", "\"a,b\""},
        {"say \"hi\"", "\"say \"\"hi\"\"\""},
        {"two\nlines", "\"two\nlines\""},
        {"cr\r", "\"cr\r\""},
    };
    for (const auto &[text, field] : cases)
        EXPECT_EQ(CsvField(text), field) << text;
}

TEST(RecordingCsv, NumbersAreShortestAndReadBackToTheSameSingle)
{
    const std::pair<float, const char *> cases[]
        = {{49.96f, "49.96"}, {230.0f, "230"}, {-3276.8f, "-3276.8"}};
    for (const auto &[value, text] : cases)
        EXPECT_EQ(NumberField(value), text);
    // Every word a register can hold, in tenths and hundredths as the decoder divides them.
    for (int word = -32768; word <= 32767; word += 7) {
        for (double divisor : {10.0, 100.0}) {
            const auto value = static_cast<float>(word / divisor);
            const std::string text = NumberField(value);
            float back = 0;
            std::from_chars(text.data(), text.data() + text.size(), back);
            ASSERT_EQ(back, value) << text;
            ASSERT_EQ(text.find(','), std::string::npos) << text;
        }
    }
}

TEST(RecordingCsv, TimeIsIso8601LocalWithItsOffset)
{
    const std::pair<LocalTime, const char *> cases[] = {
        {{2024, 5, 1, 14, 3, 22, 350, 120}, "2024-05-01T14:03:22.350+02:00"},
        {{1999, 12, 31, 23, 59, 59, 7, -330}, "1999-12-31T23:59:59.007-05:30"},
    };
    for (const auto &[time, text] : cases)
        EXPECT_EQ(IsoLocalTime(time), text);
}

TEST(RecordingCsv, HeaderNamesEveryColumnWithItsUnitAndARowFillsThemInPanelOrder)
{
    EXPECT_EQ(CsvHeaderLine(), "Time [ISO 8601],InputA_V [V],InputB_V [V],DCBus [V],AC_V [V],"
                               "AC_F [Hz],InputA_C [A],InputB_C [A],AC_C [A],KWH [kWh],"
                               "Efficiency [%],Link\r\n");
    MonitorReadings r;
    r.inputAVoltage = 312, r.inputBVoltage = 298, r.dcBusVoltage = 380, r.acVoltage = 231;
    r.acFrequency = 49.96f, r.inputACurrent = 5.2f, r.inputBCurrent = 4.7f, r.acCurrent = 15.3f;
    r.energyTotal = -1, r.outputPower = 9.6f, r.inputAPower = 5, r.inputBPower = 5;
    const LocalTime at{2024, 5, 1, 14, 3, 22, 350, 120};
    // The link column's names are the recording window test's, which meets each state.
    EXPECT_EQ(
        CsvRowLine(at, r, LinkState::Connected),
        "2024-05-01T14:03:22.350+02:00,312,298,380,231,49.96,5.2,4.7,15.3,-1,96,connected\r\n");
    r.inputAPower = r.inputBPower = 0;
    EXPECT_NE(CsvRowLine(at, r, LinkState::Connected).find(",-1,0,connected"), std::string::npos)
        << "no input power: efficiency 0";
}

std::string Contents(const fs::path &path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

class RecordFileTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        folder = fs::temp_directory_path() / ("record_file_test_" + std::to_string(::getpid()));
        fs::create_directories(folder);
    }
    void TearDown() override { fs::remove_all(folder); }
    fs::path folder;
};

TEST_F(RecordFileTest, EachLineIsInTheFileWhenAppendReturnsAndCreateEmptiesAnOldFile)
{
    const fs::path path = folder / "run.csv";
    std::ofstream(path) << "an older recording\n";
    RecordFile file;
    ASSERT_TRUE(file.Create(path));
    for (const char *line : {"h\r\n", "1\r\n", "2\r\n"}) {
        ASSERT_TRUE(file.Append(line));
        EXPECT_TRUE(Contents(path).ends_with(line)) << "already on the disk";
    }
    file.Close();
    EXPECT_EQ(Contents(path), "h\r\n1\r\n2\r\n");
    EXPECT_FALSE(file.Append("3\r\n")) << "closed";
}

TEST_F(RecordFileTest, LineCutShortByAFullDiskIsTakenBack)
{
    // A file size limit stands in for a disk that fills in the middle of a line.
    const fs::path path = folder / "run.csv";
    RecordFile file;
    ASSERT_TRUE(file.Create(path));
    ASSERT_TRUE(file.Append("header\r\n"));
    rlimit old{};
    ::getrlimit(RLIMIT_FSIZE, &old);
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit tight = old;
    tight.rlim_cur = 12;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &tight), 0);
    const bool appended = file.Append("a longer line\r\n");
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, previous);
    EXPECT_FALSE(appended);
    EXPECT_EQ(Contents(path), "header\r\n");
}

} // namespace
} // namespace pv
