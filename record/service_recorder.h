#pragma once
// The service record as a client of the session: it hears every exchange a technician starts
// end, builds its record from the session's decoded values and hands it to the record store.
// Taking a record never waits on the database; the store's answers come back on this object's
// thread as signals.

#include "record_store.h"
#include "service_record.h"

#include "session/service_session.h"

#include <QObject>

#include <filesystem>
#include <memory>

namespace pv {

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
    // Waits for the store (tests and tools).
    bool WaitUntilWritten(int milliseconds) const { return store_->WaitUntilWritten(milliseconds); }

signals:
    // A record was handed to the store under this ticket.
    void RecordTaken(quint64 ticket, const pv::ServiceRecord &record);
    // The store committed it (ok) or could not.
    void RecordCommitted(quint64 ticket, qint64 rowId, bool ok);
    // Said once per kind of trouble in the recorder's life.
    void RecordTrouble(pv::StoreTrouble trouble);

private:
    void OnReadDone(ExchangeState exchange);
    void OnReadFailed(ExchangeState exchange);
    void OnWriteEnded(ExchangeState exchange, bool done);
    void OnFirmwareRefused();
    void OnReadingsStartOver();
    void Record(RecordedExchange exchange, ExchangeOutcome outcome,
                std::vector<RecordedValue> values);

    ServiceSession &session_;
    UnitIdentity identity_;
    // Every value this link's reads gave, by key: the "before" of a later write.
    ValueSnapshot lastRead_;
    std::unique_ptr<RecordStore> store_;
};

} // namespace pv
