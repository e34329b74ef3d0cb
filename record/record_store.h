#pragma once
// The service records' database: one SQLite file in the tool's writable folder, written on a
// thread of its own through a bounded queue, so that taking a record never waits on the disk.
// Each record is one transaction, with the journal synced before the commit returns: a pulled
// plug or a killed process loses at most the record in flight and leaves every record committed
// before it whole.

#include "service_record.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace pv {

// The database file's name in the writable folder.
inline constexpr const char *ServiceRecordFile = "service_records.sqlite";

// Records waiting for the writer: a visit starts a handful of exchanges, so 32 records are far
// more than a slow medium should ever hold back.
inline constexpr std::size_t RecordQueueRecords = 32;

enum class StoreTrouble {
    QueueFull,      // a record was not taken: the writer is that far behind
    DatabaseFailed, // the database could not be opened, or a record could not be committed
};

class RecordStore
{
public:
    // ticket: what Take gave for the record; rowId: its id in the database (0 when not written).
    using CommittedCallback
        = std::function<void(std::uint64_t ticket, std::int64_t rowId, bool ok)>;
    using TroubleCallback = std::function<void(StoreTrouble trouble)>;

    // Both callbacks run on the writer's thread. Each kind of trouble is reported once in the
    // store's life; the service work goes on, and later records are still tried.
    RecordStore(std::filesystem::path file, CommittedCallback committed, TroubleCallback trouble,
                std::size_t queueRecords = RecordQueueRecords);
    RecordStore(const RecordStore &) = delete;
    RecordStore &operator=(const RecordStore &) = delete;
    // Writes what is queued, then closes the database; a writer that has not done so within
    // ten seconds (a hung disk) is left behind, no longer calling back.
    ~RecordStore();

    // Opens (or creates) the database on the writer's thread and writes what is queued. Records
    // may be taken before: they wait in the queue.
    void Start();

    // Queues the record; nothing when the queue is full (reported as QueueFull). Never waits on
    // the writer.
    std::optional<std::uint64_t> Take(ServiceRecord record);

    // Waits until every record queued so far is handled (tests and tools; the window never
    // waits). False when that has not happened after `milliseconds`.
    bool WaitUntilWritten(int milliseconds) const;

private:
    struct State;
    std::shared_ptr<State> state_;
};

// What the history asks for: one unit, one local day ("2026-12-06"), or both.
struct RecordFilter
{
    std::optional<std::string> unitId;
    std::optional<std::string> localDate;
};

struct StoredRecord
{
    std::int64_t rowId = 0;
    ServiceRecord record;
};

// The records of the database, newest first; nothing when it cannot be read. Opens the file
// read-only, beside a writer that may be running.
std::optional<std::vector<StoredRecord>> ReadRecords(const std::filesystem::path &file,
                                                     const RecordFilter &filter = {});

} // namespace pv
