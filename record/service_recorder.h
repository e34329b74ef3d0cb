#pragma once
// The service record as a client of the session: it hears every exchange a technician starts
// end, builds its record from the session's decoded values and hands it to the record store.
// Taking a record never waits on the database; the store's answers come back on this object's
// thread as signals.

#include "record_store.h"
#include "service_record.h"

#include "session/service_session.h"

#include <QObject>

#include <chrono>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace pv {

// How long an acknowledged write waits for its record before the window says it was done but
// not recorded: a healthy disk commits in milliseconds, a hung one must not hold the message.
inline constexpr auto RecordWaitLimit = std::chrono::seconds{5};

class ServiceRecorder : public QObject
{
    Q_OBJECT
public:
    // Records into the database file (made when missing) for as long as the recorder lives.
    ServiceRecorder(ServiceSession &session, const std::filesystem::path &databaseFile,
                    std::size_t queueRecords = RecordQueueRecords, QObject *parent = nullptr);
    ~ServiceRecorder() override;

    // The identity of the unit as last read on this link.
    const UnitIdentity &Identity() const { return identity_; }
    // The database the records go to.
    const std::filesystem::path &DatabaseFile() const { return databaseFile_; }
    // The records committed since the recorder started, oldest first: what a report of this
    // run is made from.
    const std::vector<ServiceRecord> &CommittedSinceStart() const { return committed_; }
    // Waits for the store (tests and tools).
    bool WaitUntilWritten(int milliseconds) const { return store_->WaitUntilWritten(milliseconds); }

signals:
    // A record was handed to the store under this ticket.
    void RecordTaken(quint64 ticket, const pv::ServiceRecord &record);
    // The store committed it (ok) or could not.
    void RecordCommitted(quint64 ticket, qint64 rowId, bool ok);
    // Said once per kind of trouble in the recorder's life.
    void RecordTrouble(pv::StoreTrouble trouble);
    // A write the unit acknowledged, once per write: recorded (its record committed) or not
    // (not taken, not committed, or not committed within RecordWaitLimit).
    void WriteRecorded(pv::ExchangeState exchange, bool recorded);

private:
    void OnReadDone(ExchangeState exchange);
    void OnReadFailed(ExchangeState exchange);
    void OnWriteEnded(ExchangeState exchange, bool done);
    void OnFirmwareRefused();
    void OnReadingsStartOver();
    std::optional<quint64> Record(RecordedExchange exchange, ExchangeOutcome outcome,
                                  std::vector<RecordedValue> values);
    void OnCommitted(quint64 ticket, bool ok);
    void OnWaitOver(quint64 ticket);

    ServiceSession &session_;
    std::filesystem::path databaseFile_;
    UnitIdentity identity_;
    // Every value this link's reads gave, by key: the "before" of a later write.
    ValueSnapshot lastRead_;
    // Records taken and not yet answered by the store, by ticket; and the acknowledged writes
    // among them whose message still waits.
    std::map<quint64, ServiceRecord> taken_;
    std::map<quint64, ExchangeState> awaitedWrites_;
    std::vector<ServiceRecord> committed_;
    std::unique_ptr<RecordStore> store_;
};

} // namespace pv
