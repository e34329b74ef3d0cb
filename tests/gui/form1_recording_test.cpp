// Recording the readings to a CSV file: one row per accepted reply of the readings block with
// the simulator's values, read back by a standard CSV reader under either locale, and a file
// that fails stopping the recording with a message while the monitor cycle goes on.

#include "trend_fixture.h"

#include <QDateTime>
#include <QProcess>
#include <QStandardPaths>

#include <sys/resource.h>

#include <charconv>
#include <csignal>

namespace pv {
namespace {

using namespace test;
namespace fs = std::filesystem;

// The ten readings of the panel as the simulator holds them, in column order, and the time.
struct Row
{
    std::int64_t timeMs;
    std::array<float, MonitorLabelCount> values;
};

class RecordingTest : public TrendTest
{
protected:
    // Records `replies` accepted replies, one per cycle, and what the simulator sent in each.
    std::vector<Row> RecordReplies(int replies)
    {
        std::vector<Row> rows;
        for (int cycle = 0; cycle < replies; ++cycle) {
            Ticks(2);
            rows.push_back(
                {clockMs,
                 {Scaled(reg::InputAVoltage), Scaled(reg::InputBVoltage), Scaled(reg::DcBusVoltage),
                  Scaled(reg::AcVoltage), Scaled(reg::AcFrequency, 10),
                  Scaled(reg::InputACurrent, 10), Scaled(reg::InputBCurrent, 10),
                  Scaled(reg::AcCurrent, 10), static_cast<float>(inverter.EnergyTotal()),
                  EfficiencyPercent(Scaled(reg::OutputPower, 100), Scaled(reg::InputAPower, 100),
                                    Scaled(reg::InputBPower, 100))}});
            Ticks(MonitorCycleTicks - 2);
        }
        return rows;
    }
    static float Number(const std::string &text)
    {
        float value = -12345.0f;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
        EXPECT_TRUE(error == std::errc() && end == text.data() + text.size()) << text;
        return value;
    }
};

TEST_F(RecordingTest, OneRowPerAcceptedReplyWithTheSimulatorsValuesAndNoneForAFailedOne)
{
    Connect();
    Record(recording);
    ASSERT_TRUE(form->IsRecording());
    // Link column of each row: the first reply arrives while the version is checked; one failed
    // reply of the block is no loss, two in a row are.
    std::vector<std::string> links{"checking", "connected", "connected"};
    std::vector<Row> rows = RecordReplies(3);
    const auto more = [&](const std::vector<SimFault> &faults, const char *link) {
        for (SimFault fault : faults) {
            SpoilNextReadings(fault);
            Cycles(1);
        }
        rows.push_back(RecordReplies(1).front());
        links.push_back(link);
    };
    more({SimFault::NoReply}, "connected");
    more({SimFault::Exception}, "connected");
    more({SimFault::WrongCrc, SimFault::NoReply}, "resumed");
    more({}, "connected");

    const std::vector<std::string> lines = Lines(recording);
    ASSERT_EQ(lines.size(), rows.size() + 1);
    EXPECT_EQ(Fields(lines[0]).size(), CsvColumnCount);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(lines[i + 1]);
        EXPECT_TRUE(lines[i + 1].ends_with("\r")) << "CR LF";
        const std::vector<std::string> fields = Fields(lines[i + 1]);
        ASSERT_EQ(fields.size(), CsvColumnCount);
        EXPECT_EQ(QDateTime::fromString(QString::fromStdString(fields[0]), Qt::ISODateWithMs)
                      .toMSecsSinceEpoch(),
                  rows[i].timeMs);
        for (int v = 0; v < MonitorLabelCount; ++v)
            EXPECT_EQ(Number(fields[1 + v]), rows[i].values[v]) << "column " << v + 1;
        EXPECT_EQ(fields.back(), links[i]);
    }
}

TEST_F(RecordingTest, FileReadsBackThroughAStandardCsvReader)
{
    QString python = QStandardPaths::findExecutable(QStringLiteral("python3"), {"/usr/bin"});
    if (python.isEmpty())
        python = QStandardPaths::findExecutable(QStringLiteral("python3"));
    if (python.isEmpty())
        GTEST_SKIP() << "python3 is not installed (scripts/setup.sh installs it)";
    Connect();
    Record(recording);
    const std::vector<Row> rows = RecordReplies(4);
    form->CommandRecord_Click(); // stops
    ASSERT_FALSE(form->IsRecording());

    // Python's csv module and datetime read the file; every field but the last as a number.
    const QString script = QStringLiteral(
        "import csv, sys, datetime\n"
        "rows = list(csv.reader(open(sys.argv[1], newline='', encoding='utf-8')))\n"
        "print(len(rows[0]), *rows[0], sep='|')\n"
        "for row in rows[1:]:\n"
        "    assert len(row) == len(rows[0]), row\n"
        "    ms = round(datetime.datetime.fromisoformat(row[0]).timestamp() * 1000)\n"
        "    print(ms, *[repr(float(x)) for x in row[1:-1]], row[-1], sep='|')\n");
    QProcess reader;
    reader.start(python,
                 {QStringLiteral("-c"), script, QString::fromStdString(recording.string())});
    ASSERT_TRUE(reader.waitForFinished(30000));
    ASSERT_EQ(reader.exitCode(), 0) << reader.readAllStandardError().toStdString();
    const QStringList out = QString::fromUtf8(reader.readAllStandardOutput()).trimmed().split('\n');
    ASSERT_EQ(out.size(), static_cast<int>(rows.size()) + 1);
    const QStringList header = out[0].split('|');
    EXPECT_EQ(header[0].toInt(), CsvColumnCount);
    for (int c = 1; c < header.size() - 1; ++c)
        EXPECT_TRUE(header[c].contains('[') && header[c].endsWith(']')) << "unit of " << c;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const QStringList fields = out[static_cast<int>(i) + 1].split('|');
        ASSERT_EQ(fields.size(), CsvColumnCount);
        EXPECT_EQ(fields[0].toLongLong(), rows[i].timeMs);
        for (int v = 0; v < MonitorLabelCount; ++v)
            EXPECT_EQ(Number(fields[1 + v].toStdString()), rows[i].values[v]) << "column " << v + 1;
    }
}

// A file that cannot be had at all: the message at once, no recording.
struct StartFailure
{
    const char *name;
    const char *file; // beside the program unless absolute
    int message;
};

class RecordingStart : public RecordingTest, public ::testing::WithParamInterface<StartFailure>
{
};

TEST_P(RecordingStart, FailsWithItsMessageAndLeavesTheButtonAsItWas)
{
    Connect();
    const fs::path file = fs::path(GetParam().file).is_absolute() ? fs::path(GetParam().file)
                                                                  : program / GetParam().file;
    Record(file);
    EXPECT_FALSE(form->IsRecording());
    EXPECT_EQ(around.shown, std::vector<QString>{Text(GetParam().message)});
    EXPECT_EQ(ui().CommandRecord->text(), Text(267));
    EXPECT_TRUE(ui().LabelRecord->text().isEmpty());
}

const StartFailure StartFailures[] = {
    {"FolderMissing", "missing/run.csv", 272},
    {"DeviceFull", "/dev/full", 273},
};

INSTANTIATE_TEST_SUITE_P(Recording, RecordingStart, ::testing::ValuesIn(StartFailures), RowName);

// A file that fails while rows go into it.
struct WriteFailure
{
    const char *name;
    void (*spoil)(const fs::path &file, const fs::path &kept);
    void (*mend)();
};

rlimit savedLimit{};

class RecordingWrite : public RecordingTest, public ::testing::WithParamInterface<WriteFailure>
{
};

TEST_P(RecordingWrite, StopsWithAMessageOnceTheTickIsOverKeepsItsRowsAndPollingGoesOn)
{
    Connect();
    Record(recording);
    RecordReplies(2);
    const fs::path kept = program / "kept.csv";
    fs::create_hard_link(recording, kept); // reads the file whatever becomes of its name
    const std::vector<std::string> before = Lines(kept);
    ASSERT_EQ(before.size(), 3u);

    GetParam().spoil(recording, kept);
    Ticks(2); // the next readings are accepted and their row fails
    GetParam().mend();
    EXPECT_FALSE(form->IsRecording());
    EXPECT_TRUE(around.shown.empty()) << "not inside the tick";
    LetTheTickReturn();
    EXPECT_EQ(around.shown, std::vector<QString>{Text(273)});
    EXPECT_EQ(ui().CommandRecord->text(), Text(267));
    EXPECT_EQ(Lines(kept), before) << "the rows written so far, whole";

    // The monitor cycle goes on: requests, readings and trend points as before.
    EXPECT_TRUE(ui().Timer1->isActive());
    port.ClearRecord();
    const std::size_t points = form->Trend().Size();
    Ticks(MonitorCycleTicks);
    EXPECT_EQ(port.written.size(), 3u);
    EXPECT_EQ(form->Trend().Size(), points + 1);
}

const WriteFailure WriteFailures[] = {
    {"FileRemoved", [](const fs::path &file, const fs::path &) { fs::remove(file); }, [] {}},
    // A file size limit at the current size stands in for a disk that has just filled up.
    {"DiskFull",
     [](const fs::path &file, const fs::path &) {
         ::getrlimit(RLIMIT_FSIZE, &savedLimit);
         std::signal(SIGXFSZ, SIG_IGN);
         rlimit full = savedLimit;
         full.rlim_cur = static_cast<rlim_t>(fs::file_size(file));
         ::setrlimit(RLIMIT_FSIZE, &full);
     },
     [] {
         ::setrlimit(RLIMIT_FSIZE, &savedLimit);
         std::signal(SIGXFSZ, SIG_DFL);
     }},
};

INSTANTIATE_TEST_SUITE_P(Recording, RecordingWrite, ::testing::ValuesIn(WriteFailures), RowName);

} // namespace
} // namespace pv
