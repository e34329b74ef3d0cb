// The lines of a recording and the file they go to: exact texts, locale-free numbers that read
// back to the same value, and a file that ends with whole lines whatever fails. The failures the
// window reports (no folder, a full device, a removed file, a disk full between lines) are the
// recording window tests'; here a line that the disk cuts short.

#include "monitor/recording_csv.h"
#include "platform/record_file.h"

#include <gtest/gtest.h>

#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <charconv>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

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
    ASSERT_EQ(file.Create(path), FileOpening::Opened);
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
    ASSERT_EQ(file.Create(path), FileOpening::Opened);
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

TEST_F(RecordFileTest, OnlyAPlainFileIsCreatedAndAFifoIsNeverWaitedOn)
{
    const fs::path fifo = folder / "fifo.csv";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    RecordFile file;
    EXPECT_EQ(file.Create(fifo), FileOpening::NotPlainFile);
    EXPECT_EQ(file.Create("/dev/full"), FileOpening::NotPlainFile);
    EXPECT_EQ(file.Create(folder), FileOpening::NotPlainFile);
    EXPECT_EQ(file.Create(folder / "missing" / "run.csv"), FileOpening::Failed);
    EXPECT_FALSE(file.IsOpen());
}

// A medium that stops taking lines: a FIFO whose reader reads nothing, so that a write blocks
// once the pipe is full. The test goes on only because Take never waits for the medium.
class StuckMedium : public LineSink
{
public:
    StuckMedium()
    {
        int ends[2];
        EXPECT_EQ(::pipe(ends), 0);
        reader = ends[0];
        writer = ends[1];
    }
    ~StuckMedium() override { ::close(writer); }
    bool Append(std::string_view line) override
    {
        for (std::size_t done = 0; done < line.size();) {
            const ssize_t n = ::write(writer, line.data() + done, line.size() - done);
            if (n <= 0)
                return false;
            done += static_cast<std::size_t>(n);
        }
        return true;
    }
    int reader = -1, writer = -1;
};

// Bytes waiting in the pipe.
int Waiting(int reader)
{
    int bytes = 0;
    ::ioctl(reader, FIONREAD, &bytes);
    return bytes;
}

// Reads what has been written so far, until `total` bytes have come.
std::string Drain(int reader, std::size_t total)
{
    std::string taken;
    char buffer[65536];
    while (taken.size() < total) {
        const ssize_t n = ::read(reader, buffer, sizeof buffer);
        if (n <= 0)
            break;
        taken.append(buffer, static_cast<std::size_t>(n));
    }
    return taken;
}

TEST(RecordWriter, AStuckMediumFillsTheQueueAndEveryLineTakenIsWrittenOnceItMovesAgain)
{
    constexpr std::size_t QueueLines = 4;
    auto medium = std::make_unique<StuckMedium>();
    const int reader = medium->reader;
    int failures = 0;
    RecordWriter writer(QueueLines);
    writer.Start(std::move(medium), [&failures] { ++failures; });
    // More than a pipe holds: the writer is stuck in this line.
    const std::string stuck(1 << 20, 's');
    ASSERT_EQ(writer.Take(stuck), RecordWriter::Taking::Queued);
    while (Waiting(reader) == 0)
        std::this_thread::yield();
    for (std::size_t i = 0; i < QueueLines; ++i)
        EXPECT_EQ(writer.Take(std::to_string(i)), RecordWriter::Taking::Queued) << i;
    EXPECT_EQ(writer.Take("late"), RecordWriter::Taking::QueueFull);
    EXPECT_FALSE(writer.WaitUntilWritten(0));

    // Stopped while stuck: the lines taken still go out, in order, once the medium moves.
    writer.Stop();
    EXPECT_EQ(writer.Take("after"), RecordWriter::Taking::NotRunning);
    const std::string taken = Drain(reader, stuck.size() + 4);
    EXPECT_EQ(taken, stuck + "0123");
    ::close(reader);
    EXPECT_EQ(failures, 0) << "no report once stopped";
}

TEST(RecordWriter, AFailedLineIsReportedOnceAndTheLinesAfterItAreDropped)
{
    auto medium = std::make_unique<StuckMedium>();
    ::close(medium->reader); // the write fails with EPIPE (SIGPIPE is ignored by the tool)
    const auto previous = std::signal(SIGPIPE, SIG_IGN);
    std::atomic<int> failures = 0;
    RecordWriter writer;
    writer.Start(std::move(medium), [&failures] { ++failures; });
    EXPECT_EQ(writer.Take("a\r\n"), RecordWriter::Taking::Queued);
    EXPECT_TRUE(writer.WaitUntilWritten(10'000));
    EXPECT_EQ(failures, 1);
    EXPECT_EQ(writer.Take("b\r\n"), RecordWriter::Taking::NotRunning);
    EXPECT_TRUE(writer.IsRunning()) << "until the window stops it";
    writer.Stop();
    std::signal(SIGPIPE, previous);
}

} // namespace
} // namespace pv
