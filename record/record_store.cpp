#include "record_store.h"

#include <sqlite3.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <utility>

namespace pv {

namespace {

// WAL with synchronous=FULL syncs the log at every commit: a commit that returned is on the
// disk, and a transaction cut short is never seen by the next opening.
constexpr const char *Schema = R"(
PRAGMA journal_mode=WAL;
PRAGMA synchronous=FULL;
PRAGMA foreign_keys=ON;
CREATE TABLE IF NOT EXISTS records (
  id INTEGER PRIMARY KEY,
  local_time TEXT NOT NULL,
  local_date TEXT NOT NULL,
  port TEXT NOT NULL,
  unit_id TEXT NOT NULL,
  model TEXT NOT NULL,
  company TEXT NOT NULL,
  operating_firmware TEXT NOT NULL,
  certificate_firmware TEXT NOT NULL,
  exchange TEXT NOT NULL,
  outcome TEXT NOT NULL,
  text_number INTEGER NOT NULL);
CREATE INDEX IF NOT EXISTS records_by_unit ON records (unit_id, local_date);
CREATE INDEX IF NOT EXISTS records_by_date ON records (local_date);
CREATE TABLE IF NOT EXISTS record_values (
  record_id INTEGER NOT NULL REFERENCES records (id),
  position INTEGER NOT NULL,
  key TEXT NOT NULL,
  before TEXT,
  value TEXT NOT NULL,
  PRIMARY KEY (record_id, position));
)";

// How long a writer waits for a reader holding the file (the history window) before a record
// counts as failed.
constexpr int BusyTimeoutMs = 2000;
constexpr std::size_t LocalDateLength = 10; // "2026-12-06"
// How long the store's end waits for the records still queued.
constexpr int CloseWaitMs = 10000;

class Statement
{
public:
    Statement(sqlite3 *db, const char *sql) { sqlite3_prepare_v2(db, sql, -1, &s_, nullptr); }
    ~Statement() { sqlite3_finalize(s_); }
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;
    explicit operator bool() const { return s_ != nullptr; }
    void Text(int index, const std::string &text)
    {
        sqlite3_bind_text(s_, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
    }
    void Text(int index, std::string_view text) { Text(index, std::string(text)); }
    void Null(int index) { sqlite3_bind_null(s_, index); }
    void Int(int index, std::int64_t value) { sqlite3_bind_int64(s_, index, value); }
    int Step() { return sqlite3_step(s_); }
    std::string Column(int index) const
    {
        const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(s_, index));
        return text ? std::string(text, static_cast<std::size_t>(sqlite3_column_bytes(s_, index)))
                    : std::string();
    }
    bool ColumnIsNull(int index) const { return sqlite3_column_type(s_, index) == SQLITE_NULL; }
    std::int64_t ColumnInt(int index) const { return sqlite3_column_int64(s_, index); }

private:
    sqlite3_stmt *s_ = nullptr;
};

bool Execute(sqlite3 *db, const char *sql)
{
    return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

sqlite3 *OpenForWriting(const std::filesystem::path &file)
{
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(file.string().c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                        nullptr)
            != SQLITE_OK
        || sqlite3_busy_timeout(db, BusyTimeoutMs) != SQLITE_OK || !Execute(db, Schema)) {
        sqlite3_close(db);
        return nullptr;
    }
    return db;
}

// One record, one transaction: its row and its values stand or fall together.
std::int64_t Insert(sqlite3 *db, const ServiceRecord &r)
{
    if (!Execute(db, "BEGIN IMMEDIATE"))
        return 0;
    bool ok = false;
    std::int64_t rowId = 0;
    {
        Statement row(db, "INSERT INTO records (local_time, local_date, port, unit_id, model, "
                          "company, operating_firmware, certificate_firmware, exchange, outcome, "
                          "text_number) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11)");
        if (row) {
            row.Text(1, r.localTime);
            row.Text(2, r.localTime.substr(0, LocalDateLength));
            row.Text(3, r.port);
            row.Text(4, r.unit.id);
            row.Text(5, r.unit.model);
            row.Text(6, r.unit.company);
            row.Text(7, r.unit.operatingFirmware);
            row.Text(8, r.unit.certificateFirmware);
            row.Text(9, ExchangeName(r.exchange));
            row.Text(10, OutcomeName(r.outcome));
            row.Int(11, r.textNumber);
            ok = row.Step() == SQLITE_DONE;
        }
        rowId = sqlite3_last_insert_rowid(db);
        for (std::size_t i = 0; ok && i < r.values.size(); ++i) {
            const RecordedValue &v = r.values[i];
            Statement one(db, "INSERT INTO record_values (record_id, position, key, before, value) "
                              "VALUES (?1, ?2, ?3, ?4, ?5)");
            one.Int(1, rowId);
            one.Int(2, static_cast<std::int64_t>(i));
            one.Text(3, v.key);
            if (v.before)
                one.Text(4, *v.before);
            else
                one.Null(4);
            one.Text(5, v.value);
            ok = one.Step() == SQLITE_DONE;
        }
    }
    if (ok && Execute(db, "COMMIT"))
        return rowId;
    Execute(db, "ROLLBACK");
    return 0;
}

} // namespace

struct RecordStore::State
{
    std::filesystem::path file;
    CommittedCallback committed;
    TroubleCallback trouble;
    std::size_t queueRecords = 0;

    mutable std::mutex mutex;
    mutable std::condition_variable changed;
    std::deque<std::pair<std::uint64_t, ServiceRecord>> queue;
    std::uint64_t nextTicket = 1;
    std::size_t inHand = 0; // taken off the queue, not yet handled
    bool stopping = false;
    std::thread writer;

    std::atomic<bool> queueFullTold{false};
    std::atomic<bool> databaseFailedTold{false};
    // Held while a callback runs, and by the store's end while it lets go of them: a writer
    // left behind on a hung disk never calls into what the store's owner has ended.
    std::mutex callbackMutex;

    void Tell(StoreTrouble kind)
    {
        auto &told = kind == StoreTrouble::QueueFull ? queueFullTold : databaseFailedTold;
        std::lock_guard lock(callbackMutex);
        if (!told.exchange(true) && trouble)
            trouble(kind);
    }
    void Committed(std::uint64_t ticket, std::int64_t rowId)
    {
        std::lock_guard lock(callbackMutex);
        if (committed)
            committed(ticket, rowId, rowId != 0);
    }

    void Run()
    {
        sqlite3 *db = OpenForWriting(file);
        if (!db)
            Tell(StoreTrouble::DatabaseFailed);
        for (;;) {
            std::pair<std::uint64_t, ServiceRecord> next;
            {
                std::unique_lock lock(mutex);
                changed.wait(lock, [this] { return stopping || !queue.empty(); });
                if (queue.empty())
                    break;
                next = std::move(queue.front());
                queue.pop_front();
                ++inHand;
            }
            // A database that failed to open is tried again at the next record: the stick may
            // be back.
            if (!db)
                db = OpenForWriting(file);
            const std::int64_t rowId = db ? Insert(db, next.second) : 0;
            if (rowId == 0)
                Tell(StoreTrouble::DatabaseFailed);
            Committed(next.first, rowId);
            {
                std::lock_guard lock(mutex);
                --inHand;
            }
            changed.notify_all();
        }
        sqlite3_close(db);
    }
};

RecordStore::RecordStore(std::filesystem::path file, CommittedCallback committed,
                         TroubleCallback trouble, std::size_t queueRecords)
    : state_(std::make_shared<State>())
{
    state_->file = std::move(file);
    state_->committed = std::move(committed);
    state_->trouble = std::move(trouble);
    state_->queueRecords = queueRecords;
}

RecordStore::~RecordStore()
{
    {
        std::lock_guard lock(state_->mutex);
        state_->stopping = true;
    }
    state_->changed.notify_all();
    if (!state_->writer.joinable())
        return;
    if (WaitUntilWritten(CloseWaitMs)) {
        state_->writer.join();
        return;
    }
    // A disk that hangs must not hold the tool's end: the writer is left to finish on its own
    // (its state is shared), told nothing more. What it had not committed is lost, as with a
    // pulled plug; every earlier record is whole.
    {
        std::lock_guard lock(state_->callbackMutex);
        state_->committed = nullptr;
        state_->trouble = nullptr;
    }
    state_->writer.detach();
}

void RecordStore::Start()
{
    if (!state_->writer.joinable())
        state_->writer = std::thread([state = state_] { state->Run(); });
}

std::optional<std::uint64_t> RecordStore::Take(ServiceRecord record)
{
    std::uint64_t ticket = 0;
    {
        std::lock_guard lock(state_->mutex);
        if (state_->queue.size() < state_->queueRecords) {
            ticket = state_->nextTicket++;
            state_->queue.emplace_back(ticket, std::move(record));
        }
    }
    if (ticket == 0) {
        state_->Tell(StoreTrouble::QueueFull);
        return std::nullopt;
    }
    state_->changed.notify_all();
    return ticket;
}

bool RecordStore::WaitUntilWritten(int milliseconds) const
{
    std::unique_lock lock(state_->mutex);
    return state_->changed.wait_for(lock, std::chrono::milliseconds(milliseconds), [this] {
        return state_->queue.empty() && state_->inHand == 0;
    });
}

std::optional<std::vector<StoredRecord>> ReadRecords(const std::filesystem::path &file,
                                                     const RecordFilter &filter)
{
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(file.string().c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return std::nullopt;
    }
    sqlite3_busy_timeout(db, BusyTimeoutMs);
    std::optional<std::vector<StoredRecord>> records;
    {
        Statement rows(db, "SELECT id, local_time, port, unit_id, model, company, "
                           "operating_firmware, certificate_firmware, exchange, outcome, "
                           "text_number FROM records WHERE (?1 IS NULL OR unit_id = ?1) AND "
                           "(?2 IS NULL OR local_date = ?2) ORDER BY id DESC");
        if (rows) {
            if (filter.unitId)
                rows.Text(1, *filter.unitId);
            if (filter.localDate)
                rows.Text(2, *filter.localDate);
            records.emplace();
            int step = SQLITE_ROW;
            while ((step = rows.Step()) == SQLITE_ROW) {
                StoredRecord s;
                s.rowId = rows.ColumnInt(0);
                ServiceRecord &r = s.record;
                r.localTime = rows.Column(1);
                r.port = rows.Column(2);
                r.unit = {rows.Column(3), rows.Column(4), rows.Column(5), rows.Column(6),
                          rows.Column(7)};
                r.exchange = ExchangeNamed(rows.Column(8)).value_or(RecordedExchange::IdentifyRead);
                r.outcome = OutcomeNamed(rows.Column(9)).value_or(ExchangeOutcome::ReadDone);
                r.textNumber = static_cast<int>(rows.ColumnInt(10));
                Statement one(db, "SELECT key, before, value FROM record_values WHERE "
                                  "record_id = ?1 ORDER BY position");
                one.Int(1, s.rowId);
                while (one.Step() == SQLITE_ROW)
                    r.values.push_back(
                        {one.Column(0),
                         one.ColumnIsNull(1) ? std::nullopt : std::optional(one.Column(1)),
                         one.Column(2)});
                records->push_back(std::move(s));
            }
            if (step != SQLITE_DONE)
                records.reset();
        }
    }
    sqlite3_close(db);
    return records;
}

} // namespace pv
