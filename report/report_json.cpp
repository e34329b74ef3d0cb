#include "report_json.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>

#include <optional>
#include <string>

namespace pv {

namespace {

QJsonValue Text(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// What the report lacks is null, so that a reader tells "not read" from an empty text.
QJsonValue TextOrNull(const std::optional<std::string> &text)
{
    return text ? Text(*text) : QJsonValue(QJsonValue::Null);
}

QJsonValue TimeOrNull(const std::string &time)
{
    return time.empty() ? QJsonValue(QJsonValue::Null) : Text(time);
}

QJsonObject Setting(const ReportedSetting &s)
{
    return {{"key", Text(s.key)},
            {"unit", Text(s.unit)},
            {"value", TextOrNull(s.value)},
            {"recorded_at", TimeOrNull(s.recordedAt)},
            {"pending", TextOrNull(s.pending)}};
}

QJsonObject Write(const ReportedWrite &w)
{
    QJsonArray values;
    for (const RecordedValue &v : w.values)
        values.append(QJsonObject{
            {"key", Text(v.key)}, {"before", TextOrNull(v.before)}, {"after", Text(v.value)}});
    return {{"local_time", Text(w.localTime)},
            {"exchange", Text(ExchangeName(w.exchange))},
            {"outcome", Text(OutcomeName(w.outcome))},
            {"values", values}};
}

} // namespace

QByteArray CommissioningReportJson(const CommissioningReport &report)
{
    QJsonArray settings;
    for (const ReportedSetting &s : report.settings)
        settings.append(Setting(s));
    QJsonArray writes;
    for (const ReportedWrite &w : report.writes)
        writes.append(Write(w));
    const QJsonValue calibration
        = report.calibration
              ? QJsonValue(QJsonObject{{"recorded_at", Text(report.calibration->recordedAt)},
                                       {"reply_bytes", Text(report.calibration->replyBytes)}})
              : QJsonValue(QJsonValue::Null);
    const QJsonObject root{
        {"schema", Text(ReportSchema)},
        {"tool_version", Text(report.toolVersion)},
        {"created_at", Text(report.createdAt)},
        {"visit", QJsonObject{{"site", Text(report.visit.site)},
                              {"technician", Text(report.visit.technician)},
                              {"notes", Text(report.visit.notes)}}},
        {"unit", QJsonObject{{"id", Text(report.unit.id)},
                             {"model", Text(report.unit.model)},
                             {"company", Text(report.unit.company)},
                             {"operating_firmware", Text(report.unit.operatingFirmware)},
                             {"certificate_firmware", Text(report.unit.certificateFirmware)},
                             {"recorded_at", Text(report.identityAt)}}},
        {"settings", settings},
        {"calibration", calibration},
        {"writes", writes},
        {"fingerprint_sha256", TextOrNull(report.fingerprint)},
    };
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

} // namespace pv
