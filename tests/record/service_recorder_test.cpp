// The service record over the session and the in-process simulated inverter: each exchange a
// technician starts, run through the session as in the session's own tests, leaves one record
// with the values read, or the values written beside those last read.

#include "record/service_recorder.h"
#include "settings/configuration_file.h"
#include "support/session_rig.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace pv {

void PrintTo(const RecordedValue &v, std::ostream *out)
{
    *out << v.key << ": " << v.before.value_or("-") << " -> " << v.value;
}

namespace {

std::string Key(int field)
{
    return std::string(ConfigurationKey(field));
}

class Visit : public test::SessionRig
{
public:
    Visit()
    {
        inverter.SetRegister(reg::SleepPower, 5);
        inverter.SetRegister(reg::RetryTime, 300);
        QObject::connect(&recorder, &ServiceRecorder::RecordTaken, &recorder,
                         [this](quint64, const ServiceRecord &r) { records.push_back(r); });
        Connect();
    }

    static ConfigurationWrite SleepAndRetry()
    {
        ConfigurationWrite write;
        write.groups = {true, false, false, true};
        write.sleepPower = 7;
        write.retryTime = 600;
        return write;
    }

    QTemporaryDir folder;
    ServiceRecorder recorder{session, folder.filePath("records.sqlite").toStdString()};
    std::vector<ServiceRecord> records;
};

struct RecorderRow
{
    const char *name;
    std::function<void(Visit &)> visit;
    RecordedExchange exchange;
    ExchangeOutcome outcome;
    int textNumber;
    // The values of the visit's last record, and the identity's ID it names.
    std::vector<RecordedValue> values;
    std::string unitId;
};

class ServiceRecorderTest : public ::testing::TestWithParam<RecorderRow>
{
};

TEST_P(ServiceRecorderTest, RecordsTheExchange)
{
    const RecorderRow &row = GetParam();
    Visit visit;
    row.visit(visit);
    ASSERT_FALSE(visit.records.empty());
    const ServiceRecord &r = visit.records.back();
    EXPECT_EQ(r.exchange, row.exchange);
    EXPECT_EQ(r.outcome, row.outcome);
    EXPECT_EQ(r.textNumber, row.textNumber);
    EXPECT_EQ(r.values, row.values);
    EXPECT_EQ(r.port, "COM1");
    EXPECT_EQ(r.unit.id, row.unitId);
    EXPECT_EQ(r.unit.operatingFirmware, "V1000700");

    // The record reaches the database whole, newest first.
    ASSERT_TRUE(visit.recorder.WaitUntilWritten(10000));
    const auto stored = ReadRecords(visit.folder.filePath("records.sqlite").toStdString());
    ASSERT_TRUE(stored);
    ASSERT_EQ(stored->size(), visit.records.size());
    EXPECT_EQ(stored->front().record, r);
}

const RecorderRow RecorderRows[] = {
    {"IdentifyRead",
     [](Visit &v) {
         v.session.ReadIdentifiers();
         v.RunExchange();
     },
     RecordedExchange::IdentifyRead,
     ExchangeOutcome::ReadDone,
     0,
     {{"company", std::nullopt, "Sunworks"},
      {"energy_kwh", std::nullopt, "123456"},
      {"id", std::nullopt, "42"},
      {"model", std::nullopt, "PV-4000"}},
     "42"},
    {"WriteAfterReadHasBeforeAndAfter",
     [](Visit &v) {
         v.session.ReadConfiguration();
         v.RunExchange();
         v.session.WriteConfiguration(Visit::SleepAndRetry());
         v.RunExchange();
     },
     RecordedExchange::ConfigurationWrite,
     ExchangeOutcome::WriteDone,
     129,
     {{Key(SleepPowerField), "5", "7"}, {Key(RetryTimeField), "300", "600"}},
     "unknown"},
    {"WriteWithoutReadHasNoBefore",
     [](Visit &v) {
         v.session.WriteConfiguration(Visit::SleepAndRetry());
         v.RunExchange();
     },
     RecordedExchange::ConfigurationWrite,
     ExchangeOutcome::WriteDone,
     129,
     {{Key(SleepPowerField), std::nullopt, "7"}, {Key(RetryTimeField), std::nullopt, "600"}},
     "unknown"},
    {"FailedWriteRecordsWhatItAttempted",
     [](Visit &v) {
         v.session.ReadConfiguration();
         v.RunExchange();
         v.inverter.SetFaultRate(SimFault::NoReply, 1.0);
         v.session.WriteConfiguration(Visit::SleepAndRetry());
         v.RunExchange();
     },
     RecordedExchange::ConfigurationWrite,
     ExchangeOutcome::WriteFailed,
     128,
     {{Key(SleepPowerField), "5", "7"}, {Key(RetryTimeField), "300", "600"}},
     "unknown"},
};
INSTANTIATE_TEST_SUITE_P(Exchanges, ServiceRecorderTest, ::testing::ValuesIn(RecorderRows),
                         [](const auto &info) { return std::string(info.param.name); });

// An acknowledged write is told recorded only once its record is in the database, and told not
// recorded when the record cannot be taken or committed; a failed write is never told.
struct WriteRecordedRow
{
    const char *name;
    bool databaseFails;
    std::size_t queueRecords;
    bool writeAcknowledged;
    std::vector<bool> told;
    std::size_t committed;
};

class WriteRecordedTest : public ::testing::TestWithParam<WriteRecordedRow>
{
};

TEST_P(WriteRecordedTest, AfterTheCommitOnly)
{
    const WriteRecordedRow &row = GetParam();
    QTemporaryDir folder;
    const std::filesystem::path file = folder.filePath("records.sqlite").toStdString();
    // A folder under the database's name: it cannot be opened as one.
    if (row.databaseFails)
        std::filesystem::create_directories(file);
    test::SessionRig rig;
    ServiceRecorder recorder(rig.session, file, row.queueRecords);
    std::vector<bool> told;
    QObject::connect(&recorder, &ServiceRecorder::WriteRecorded, &recorder,
                     [&](ExchangeState exchange, bool recorded) {
                         EXPECT_EQ(exchange, ExchangeState::ConfigurationWrite);
                         told.push_back(recorded);
                     });
    rig.Connect();
    if (!row.writeAcknowledged)
        rig.inverter.SetFaultRate(SimFault::NoReply, 1.0);
    rig.session.WriteConfiguration(Visit::SleepAndRetry());
    rig.RunExchange();
    // A record that could not be taken is said at once; otherwise not before the store answered.
    if (row.queueRecords > 0) {
        EXPECT_TRUE(told.empty());
    }
    ASSERT_TRUE(recorder.WaitUntilWritten(10000));
    QCoreApplication::processEvents();
    EXPECT_EQ(told, row.told);
    EXPECT_EQ(recorder.CommittedSinceStart().size(), row.committed);
}

const WriteRecordedRow WriteRecordedRows[] = {
    {"Committed", false, RecordQueueRecords, true, {true}, 1},
    {"DatabaseFails", true, RecordQueueRecords, true, {false}, 0},
    {"QueueFull", false, 0, true, {false}, 0},
    {"FailedWriteIsNotTold", false, RecordQueueRecords, false, {}, 1},
};
INSTANTIATE_TEST_SUITE_P(Stores, WriteRecordedTest, ::testing::ValuesIn(WriteRecordedRows),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
} // namespace pv
