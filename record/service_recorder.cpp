#include "service_recorder.h"

#include "link/line_recorder.h"
#include "settings/configuration_file.h"

#include <QDateTime>
#include <QTimer>

#include <optional>

namespace pv {

namespace {

std::optional<RecordedExchange> RecordedOf(ExchangeState exchange)
{
    switch (exchange) {
    case ExchangeState::IdentifyRead:
        return RecordedExchange::IdentifyRead;
    case ExchangeState::IdentifyWrite:
        return RecordedExchange::IdentifyWrite;
    case ExchangeState::ConfigurationRead:
        return RecordedExchange::ConfigurationRead;
    case ExchangeState::ConfigurationWrite:
        return RecordedExchange::ConfigurationWrite;
    case ExchangeState::CalibrationRead:
        return RecordedExchange::CalibrationRead;
    case ExchangeState::CalibrationWrite:
        return RecordedExchange::CalibrationWrite;
    default:
        return std::nullopt;
    }
}

std::string NowText()
{
    const QDateTime now = QDateTime::currentDateTime();
    const QDate d = now.date();
    const QTime t = now.time();
    return IsoLocalTime(d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second(),
                        now.offsetFromUtc());
}

std::string KnownOr(const std::string &text)
{
    return text.empty() ? std::string(UnknownText) : text;
}

// The data bytes of a read reply: after address, function and byte count, before the CRC.
constexpr std::size_t ReplyHeadBytes = 3;
constexpr std::size_t CrcBytes = 2;

} // namespace

ServiceRecorder::ServiceRecorder(ServiceSession &session, const std::filesystem::path &databaseFile,
                                 std::size_t queueRecords, QObject *parent)
    : QObject(parent), session_(session), databaseFile_(databaseFile)
{
    // The store answers on its own thread; the answers are told on this object's thread.
    store_ = std::make_unique<RecordStore>(
        databaseFile,
        [this](std::uint64_t ticket, std::int64_t rowId, bool ok) {
            QMetaObject::invokeMethod(
                this,
                [this, ticket, rowId, ok] {
                    OnCommitted(ticket, ok);
                    emit RecordCommitted(ticket, rowId, ok);
                },
                Qt::QueuedConnection);
        },
        [this](StoreTrouble trouble) {
            QMetaObject::invokeMethod(
                this, [this, trouble] { emit RecordTrouble(trouble); }, Qt::QueuedConnection);
        },
        queueRecords);
    store_->Start();

    ServiceSession *s = &session_;
    connect(s, &ServiceSession::ReadDone, this, &ServiceRecorder::OnReadDone);
    connect(s, &ServiceSession::ReadFailed, this, &ServiceRecorder::OnReadFailed);
    connect(s, &ServiceSession::WriteDone, this,
            [this](ExchangeState exchange) { OnWriteEnded(exchange, true); });
    connect(s, &ServiceSession::WriteFailed, this,
            [this](ExchangeState exchange) { OnWriteEnded(exchange, false); });
    connect(s, &ServiceSession::FirmwareRefused, this, &ServiceRecorder::OnFirmwareRefused);
    connect(s, &ServiceSession::ReadingsStartOver, this, &ServiceRecorder::OnReadingsStartOver);
}

// The store writes what is queued before it lets go.
ServiceRecorder::~ServiceRecorder() = default;

void ServiceRecorder::OnReadingsStartOver()
{
    // Another port, or the link back after a loss: maybe another unit.
    identity_ = {};
    lastRead_.clear();
}

void ServiceRecorder::OnReadDone(ExchangeState exchange)
{
    const auto recorded = RecordedOf(exchange);
    if (!recorded)
        return;
    ValueSnapshot read;
    if (exchange == ExchangeState::IdentifyRead) {
        read = IdentifyReadValues(session_.Data());
        identity_.id = read[std::string(IdKey)];
        identity_.model = read[std::string(ModelKey)];
        identity_.company = read[std::string(CompanyKey)];
    } else if (exchange == ExchangeState::ConfigurationRead) {
        read = ConfigurationReadValues(session_.Data());
    } else {
        const Bytes &reply = session_.CalibrationReply();
        if (reply.size() >= ReplyHeadBytes + CrcBytes)
            read[std::string(CalibrationReplyKey)] = HexText(
                ByteView(reply.data() + ReplyHeadBytes, reply.size() - ReplyHeadBytes - CrcBytes));
    }
    for (const auto &[key, value] : read)
        lastRead_[key] = value;
    Record(*recorded, ExchangeOutcome::ReadDone, ReadValues(read));
}

void ServiceRecorder::OnReadFailed(ExchangeState exchange)
{
    if (const auto recorded = RecordedOf(exchange))
        Record(*recorded, ExchangeOutcome::ReadFailed, {});
}

void ServiceRecorder::OnWriteEnded(ExchangeState exchange, bool done)
{
    const auto recorded = RecordedOf(exchange);
    if (!recorded)
        return;
    const ExchangeOutcome outcome
        = done ? ExchangeOutcome::WriteDone : ExchangeOutcome::WriteFailed;
    // A write that went through is recorded from what the session filed after the
    // acknowledgements; one that failed from what it attempted.
    std::vector<RecordedValue> values;
    const InverterData &data = session_.Data();
    if (exchange == ExchangeState::IdentifyWrite && session_.IdentifyWriteAsked()) {
        const IdentifyWriteValues &asked = *session_.IdentifyWriteAsked();
        ValueSnapshot sent = AttemptedValues(asked);
        if (done) {
            sent = IdentifyReadValues(data);
            sent[std::string(ConfigurationKey(RatedPowerField))]
                = ConfigurationReadValues(data)[std::string(ConfigurationKey(RatedPowerField))];
        }
        values = WriteValues(WrittenKeys(asked), sent, lastRead_);
    } else if (exchange == ExchangeState::ConfigurationWrite
               && session_.ConfigurationWriteAsked()) {
        const ConfigurationWrite &asked = *session_.ConfigurationWriteAsked();
        ValueSnapshot sent = AttemptedValues(asked);
        if (done) {
            sent = ConfigurationReadValues(data);
            sent[std::string(ModelKey)] = data.ModelName();
            sent[std::string(CompanyKey)] = data.CompanyName();
        }
        values = WriteValues(WrittenKeys(asked), sent, lastRead_);
    } else if (exchange == ExchangeState::CalibrationWrite) {
        values.push_back({std::string(CalibrationRequestKey), std::nullopt,
                          HexText(session_.CalibrationRequest())});
    }
    const auto ticket = Record(*recorded, outcome, std::move(values));
    if (done && exchange == ExchangeState::IdentifyWrite) {
        // The unit now answers to what was written: later records name it so.
        const ValueSnapshot now = IdentifyReadValues(data);
        identity_.id = now.at(std::string(IdKey));
        identity_.model = now.at(std::string(ModelKey));
        identity_.company = now.at(std::string(CompanyKey));
    }
    if (!done)
        return;
    if (!ticket) {
        emit WriteRecorded(exchange, false);
        return;
    }
    awaitedWrites_[*ticket] = exchange;
    QTimer::singleShot(RecordWaitLimit, this, [this, t = *ticket] { OnWaitOver(t); });
}

void ServiceRecorder::OnCommitted(quint64 ticket, bool ok)
{
    if (auto it = taken_.find(ticket); it != taken_.end()) {
        if (ok)
            committed_.push_back(std::move(it->second));
        taken_.erase(it);
    }
    if (auto it = awaitedWrites_.find(ticket); it != awaitedWrites_.end()) {
        const ExchangeState exchange = it->second;
        awaitedWrites_.erase(it);
        emit WriteRecorded(exchange, ok);
    }
}

void ServiceRecorder::OnWaitOver(quint64 ticket)
{
    // The store may still commit it later; the technician is told now that it is not recorded.
    if (auto it = awaitedWrites_.find(ticket); it != awaitedWrites_.end()) {
        const ExchangeState exchange = it->second;
        awaitedWrites_.erase(it);
        emit WriteRecorded(exchange, false);
    }
}

void ServiceRecorder::OnFirmwareRefused()
{
    Record(RecordedExchange::VersionCheck, ExchangeOutcome::FirmwareRefused, {});
}

std::optional<quint64> ServiceRecorder::Record(RecordedExchange exchange, ExchangeOutcome outcome,
                                               std::vector<RecordedValue> values)
{
    ServiceRecord record;
    record.localTime = NowText();
    record.port = PortName(session_.ChosenPort());
    record.unit = identity_;
    record.unit.operatingFirmware = KnownOr(session_.Data().OperatingVersion());
    record.unit.certificateFirmware = KnownOr(session_.Data().CertificateVersion());
    record.exchange = exchange;
    record.outcome = outcome;
    record.textNumber = OutcomeTextNumber(outcome);
    record.values = std::move(values);
    const auto ticket = store_->Take(record);
    if (ticket) {
        taken_[*ticket] = record;
        emit RecordTaken(*ticket, record);
    }
    return ticket;
}

} // namespace pv
