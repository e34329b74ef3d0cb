// Recording the readings to a CSV file: one row per accepted reply of the readings block with
// the simulator's values, read back by a standard CSV reader under either locale, and a file
// that fails stopping the recording with a message while the monitor cycle goes on.

#include "trend_fixture.h"

#include <QDateTime>
#include <QProcess>
#include <QStandardPaths>

#include <charconv>

#include <sys/stat.h>

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
    // Records the next accepted reply of the readings block, a cycle, and what the simulator
    // sent in it.
    Row RecordReply()
    {
        Ticks(2);
        const Row row{
            clockMs,
            {Scaled(reg::InputAVoltage), Scaled(reg::InputBVoltage), Scaled(reg::DcBusVoltage),
             Scaled(reg::AcVoltage), Scaled(reg::AcFrequency, 10), Scaled(reg::InputACurrent, 10),
             Scaled(reg::InputBCurrent, 10), Scaled(reg::AcCurrent, 10),
             static_cast<float>(inverter.EnergyTotal()),
             EfficiencyPercent(Scaled(reg::OutputPower, 100), Scaled(reg::InputAPower, 100),
                               Scaled(reg::InputBPower, 100))}};
        Ticks(MonitorCycleTicks - 2);
        return row;
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
    // The link column of each row: the first reply arrives while the version is checked; one
    // failed reply of the block is no loss, two in a row are.
    std::vector<Row> rows;
    std::vector<std::string> links;
    const auto after = [&](const std::vector<SimFault> &faults, const char *link) {
        for (SimFault fault : faults) {
            SpoilNextReadings(fault);
            Cycles(1);
        }
        rows.push_back(RecordReply());
        links.push_back(link);
    };
    after({}, "checking");
    after({}, "connected");
    after({SimFault::NoReply}, "connected");
    after({SimFault::Exception}, "connected");
    after({SimFault::WrongCrc, SimFault::NoReply}, "resumed");
    after({}, "connected");

    Written();
    const std::vector<std::string> lines = Lines(recording);
    ASSERT_EQ(lines.size(), rows.size() + 1);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(lines[i + 1]);
        const std::vector<std::string> fields = Fields(lines[i + 1]);
        ASSERT_EQ(fields.size(), CsvColumnCount);
        EXPECT_EQ(QDateTime::fromString(QString::fromStdString(fields[0]), Qt::ISODateWithMs)
                      .toMSecsSinceEpoch(),
                  rows[i].timeMs);
        for (int v = 0; v < MonitorLabelCount; ++v)
            EXPECT_EQ(Number(fields[1 + v]), rows[i].values[v]) << "column " << v + 1;
        EXPECT_EQ(fields.back(), links[i]);
    }

    // Python's csv module and datetime read every row whole, every field but the last a number.
    QString python = QStandardPaths::findExecutable(QStringLiteral("python3"), {"/usr/bin"});
    if (python.isEmpty())
        GTEST_SKIP() << "python3 is not installed (scripts/setup.sh installs it)";
    const QString script = QStringLiteral(
        "import csv, sys, datetime\n"
        "rows = list(csv.reader(open(sys.argv[1], newline='', encoding='utf-8')))\n"
        "for row in rows[1:]:\n"
        "    assert len(row) == len(rows[0]), row\n"
        "    datetime.datetime.fromisoformat(row[0]), [float(x) for x in row[1:-1]]\n"
        "print(len(rows))\n");
    QProcess reader;
    reader.start(python,
                 {QStringLiteral("-c"), script, QString::fromStdString(recording.string())});
    ASSERT_TRUE(reader.waitForFinished(30000));
    EXPECT_EQ(reader.exitCode(), 0) << reader.readAllStandardError().toStdString();
    EXPECT_EQ(reader.readAllStandardOutput().trimmed().toInt(), static_cast<int>(lines.size()));
}

// A file that cannot be had at all, or a name that is no plain file: the message at once, no
// recording, and nothing waited on.
struct StartFailure
{
    const char *name;
    const char *file; // beside the program unless absolute
    int message;      // %1: the path
    bool fifo = false;
};

using RecordingStart = Form1With<StartFailure>;

TEST_P(RecordingStart, FailsWithItsMessageAndLeavesTheButtonAsItWas)
{
    ASSERT_TRUE(Start());
    const fs::path path = program / GetParam().file; // an absolute file replaces the folder
    if (GetParam().fifo) {
        ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
    }
    around.files.push_back(path);
    form->CommandRecord_Click();
    EXPECT_FALSE(form->IsRecording());
    EXPECT_EQ(around.shown,
              std::vector<QString>{
                  Text(GetParam().message)
                      .replace(QStringLiteral("%1"), QString::fromStdString(path.string()))});
    EXPECT_EQ(ui().CommandRecord->text(), Text(267));
    EXPECT_TRUE(ui().LabelRecord->text().isEmpty());
}

const StartFailure StartFailures[] = {
    {"FolderMissing", "missing/run.csv", 272},
    {"Device", "/dev/full", 281},
    {"Fifo", "run.csv", 281, true}, // nobody reads it: opening it would wait
    {"Folder", "/tmp", 281},
};

INSTANTIATE_TEST_SUITE_P(Recording, RecordingStart, ::testing::ValuesIn(StartFailures), RowName);

TEST_F(RecordingTest, AFileThatFailsStopsWithAMessageOnceTheTickIsOverAndPollingGoesOn)
{
    Connect();
    Record(recording);
    RecordReply();
    Written();
    const fs::path kept = program / "kept.csv";
    fs::create_hard_link(recording, kept); // reads the file whatever becomes of its name
    const std::vector<std::string> before = Lines(kept);
    ASSERT_EQ(before.size(), 2u);

    fs::remove(recording);
    Ticks(2); // the next readings are accepted and their row fails, on the writer's thread
    Written();
    EXPECT_TRUE(around.shown.empty()) << "not inside the tick";
    LetTheTickReturn();
    LetTheTickReturn();
    EXPECT_FALSE(form->IsRecording());
    EXPECT_EQ(around.shown, std::vector<QString>{Text(273)});
    EXPECT_EQ(ui().CommandRecord->text(), Text(267));
    EXPECT_EQ(Lines(kept), before) << "the rows written so far, whole";

    // The monitor cycle goes on: requests and trend points as before.
    port.ClearRecord();
    const std::size_t points = form->Trend().Size();
    Ticks(MonitorCycleTicks);
    EXPECT_EQ(port.written.size(), 3u);
    EXPECT_EQ(form->Trend().Size(), points + 1);
}

} // namespace
} // namespace pv
