// The record database: a writer killed mid-visit leaves every record it committed whole and a
// database that opens; a full queue and a failing database are told once and never hold up
// the caller; the history reads newest first, by unit and by day.

#include "link/numbers.h"
#include "record/record_store.h"

#include <sqlite3.h>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace pv {
namespace {

namespace fs = std::filesystem;

// Record i: unit ID i and i % 7 + 1 values, so a torn record would show.
ServiceRecord NumberedRecord(int i, std::string day = "2026-12-06")
{
    ServiceRecord r;
    r.localTime = day + "T10:00:00+01:00";
    r.port = "COM1";
    r.unit.id = IntegerText(i);
    r.exchange = RecordedExchange::ConfigurationWrite;
    r.outcome = ExchangeOutcome::WriteDone;
    r.textNumber = OutcomeTextNumber(r.outcome);
    for (int v = 0; v <= i % 7; ++v)
        r.values.push_back({"key" + IntegerText(v),
                            v % 2 ? std::optional<std::string>(IntegerText(v)) : std::nullopt,
                            IntegerText(i * 100 + v)});
    return r;
}

class RecordStoreTest : public ::testing::Test
{
protected:
    RecordStoreTest()
    {
        folder = fs::temp_directory_path() / ("record_store_test_" + IntegerText(getpid()));
        fs::remove_all(folder);
        fs::create_directories(folder);
        file = folder / ServiceRecordFile;
    }
    ~RecordStoreTest() override { fs::remove_all(folder); }

    fs::path folder;
    fs::path file;
};

std::string IntegrityCheck(const fs::path &file)
{
    sqlite3 *db = nullptr;
    std::string result;
    if (sqlite3_open_v2(file.string().c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK)
        sqlite3_exec(
            db, "PRAGMA integrity_check",
            [](void *out, int, char **values, char **) {
                *static_cast<std::string *>(out) += values[0] ? values[0] : "";
                return 0;
            },
            &result, nullptr);
    sqlite3_close(db);
    return result;
}

TEST_F(RecordStoreTest, AWriterKilledMidVisitLeavesEveryCommittedRecordWhole)
{
    constexpr int CommittedBeforeKill = 40;
    int pipeEnds[2];
    ASSERT_EQ(pipe(pipeEnds), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // The writer: records without end, telling each commit down the pipe.
        close(pipeEnds[0]);
        const int tell = pipeEnds[1];
        RecordStore store(file,
                          [tell](std::uint64_t, std::int64_t, bool ok) {
                              const char c = ok ? '+' : '-';
                              if (write(tell, &c, 1) != 1)
                                  _exit(2);
                          },
                          {});
        store.Start();
        for (int i = 0;;)
            if (store.Take(NumberedRecord(i)))
                ++i;
    }
    close(pipeEnds[1]);
    int committed = 0;
    char c = 0;
    while (committed < CommittedBeforeKill && read(pipeEnds[0], &c, 1) == 1) {
        ASSERT_EQ(c, '+');
        ++committed;
    }
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    close(pipeEnds[0]);
    ASSERT_TRUE(WIFSIGNALED(status));

    EXPECT_EQ(IntegrityCheck(file), "ok");
    const auto stored = ReadRecords(file);
    ASSERT_TRUE(stored);
    ASSERT_GE(stored->size(), static_cast<std::size_t>(CommittedBeforeKill));
    for (const StoredRecord &s : *stored)
        EXPECT_EQ(s.record, NumberedRecord(std::stoi(s.record.unit.id)));

    // The database takes records again.
    bool ok = false;
    {
        RecordStore store(file, [&ok](std::uint64_t, std::int64_t, bool done) { ok = done; }, {});
        store.Start();
        ASSERT_TRUE(store.Take(NumberedRecord(1)));
        ASSERT_TRUE(store.WaitUntilWritten(10000));
    }
    EXPECT_TRUE(ok);
}

struct TroubleRow
{
    const char *name;
    bool databaseFails;
    std::size_t queueRecords;
    int records;
    int taken;
    StoreTrouble trouble;
};

class RecordTroubleTest : public RecordStoreTest, public ::testing::WithParamInterface<TroubleRow>
{
};

// Records taken before the writer starts wait in the queue: a full queue is the queue's, with
// no race against the writer.
TEST_P(RecordTroubleTest, IsToldOnceAndTheCallerGoesOn)
{
    const TroubleRow &row = GetParam();
    // A folder under the database's name: it cannot be opened as one.
    if (row.databaseFails)
        fs::create_directories(file);
    std::vector<StoreTrouble> told;
    int failedCommits = 0;
    {
        RecordStore store(
            file, [&](std::uint64_t, std::int64_t, bool ok) { failedCommits += ok ? 0 : 1; },
            [&](StoreTrouble trouble) { told.push_back(trouble); }, row.queueRecords);
        int taken = 0;
        for (int i = 0; i < row.records; ++i)
            taken += store.Take(NumberedRecord(i)) ? 1 : 0;
        EXPECT_EQ(taken, row.taken);
        store.Start();
        ASSERT_TRUE(store.WaitUntilWritten(10000));
    }
    EXPECT_EQ(told, std::vector<StoreTrouble>{row.trouble});
    EXPECT_EQ(failedCommits, row.databaseFails ? row.taken : 0);
}

const TroubleRow TroubleRows[] = {
    {"QueueFull", false, 2, 5, 2, StoreTrouble::QueueFull},
    {"DatabaseFails", true, 8, 3, 3, StoreTrouble::DatabaseFailed},
};
INSTANTIATE_TEST_SUITE_P(Troubles, RecordTroubleTest, ::testing::ValuesIn(TroubleRows),
                         [](const auto &info) { return std::string(info.param.name); });

struct FilterRow
{
    const char *name;
    RecordFilter filter;
    std::vector<std::string> unitIds; // newest first
};

class RecordFilterTest : public RecordStoreTest, public ::testing::WithParamInterface<FilterRow>
{
};

TEST_P(RecordFilterTest, ReadsNewestFirst)
{
    {
        RecordStore store(file, {}, {});
        store.Start();
        store.Take(NumberedRecord(1, "2026-12-05"));
        store.Take(NumberedRecord(2, "2026-12-06"));
        store.Take(NumberedRecord(1, "2026-12-06"));
        ASSERT_TRUE(store.WaitUntilWritten(10000));
    }
    const auto stored = ReadRecords(file, GetParam().filter);
    ASSERT_TRUE(stored);
    std::vector<std::string> ids;
    for (const StoredRecord &s : *stored)
        ids.push_back(s.record.unit.id + "@" + s.record.localTime.substr(0, 10));
    EXPECT_EQ(ids, GetParam().unitIds);
}

const FilterRow FilterRows[] = {
    {"All", {}, {"1@2026-12-06", "2@2026-12-06", "1@2026-12-05"}},
    {"ByUnit", {"1", std::nullopt}, {"1@2026-12-06", "1@2026-12-05"}},
    {"ByDay", {std::nullopt, "2026-12-06"}, {"1@2026-12-06", "2@2026-12-06"}},
    {"ByUnitAndDay", {"1", "2026-12-05"}, {"1@2026-12-05"}},
};
INSTANTIATE_TEST_SUITE_P(Filters, RecordFilterTest, ::testing::ValuesIn(FilterRows),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
} // namespace pv
