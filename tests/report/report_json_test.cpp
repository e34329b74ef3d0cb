// The report's JSON: every key of its schema, under its version, holding the report's values as
// the model has them (the recorded "." texts, null for what was not recorded).

#include "report/report_json.h"
#include "report/report_records.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace pv {
namespace {

using namespace test;

QJsonValue Json(const std::string &text)
{
    return QString::fromStdString(text);
}
QJsonValue Json(const std::optional<std::string> &text)
{
    return text ? Json(*text) : QJsonValue(QJsonValue::Null);
}

QStringList Keys(const QJsonObject &object)
{
    QStringList keys = object.keys();
    keys.sort();
    return keys;
}

struct JsonRow
{
    const char *name;
    std::vector<ServiceRecord> records;
};

class ReportJsonTest : public ::testing::TestWithParam<JsonRow>
{
};

TEST_P(ReportJsonTest, HoldsTheReportUnderItsSchema)
{
    ReportRequest request = Request("42");
    request.panel = ConfigurationEntryTexts(Unit(), PointDecimal);
    request.panel.sleepPower = "9";
    const auto report = BuildCommissioningReport(GetParam().records, request);
    ASSERT_TRUE(report);
    QJsonParseError error;
    const QJsonDocument document
        = QJsonDocument::fromJson(CommissioningReportJson(*report), &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError);
    const QJsonObject root = document.object();

    EXPECT_EQ(Keys(root), (QStringList{"calibration", "created_at", "fingerprint_sha256", "schema",
                                       "settings", "tool_version", "unit", "visit", "writes"}));
    EXPECT_EQ(root["schema"], "pv-commissioning-report/1");
    EXPECT_EQ(root["tool_version"], Json(report->toolVersion));
    EXPECT_EQ(root["created_at"], Json(report->createdAt));
    EXPECT_EQ(root["visit"].toObject(), (QJsonObject{{"site", Json(report->visit.site)},
                                                     {"technician", Json(report->visit.technician)},
                                                     {"notes", Json(report->visit.notes)}}));
    const UnitIdentity &unit = report->unit;
    EXPECT_EQ(root["unit"].toObject(),
              (QJsonObject{{"id", Json(unit.id)},
                           {"model", Json(unit.model)},
                           {"company", Json(unit.company)},
                           {"operating_firmware", Json(unit.operatingFirmware)},
                           {"certificate_firmware", Json(unit.certificateFirmware)},
                           {"recorded_at", Json(report->identityAt)}}));

    const QJsonArray settings = root["settings"].toArray();
    ASSERT_EQ(settings.size(), ConfigurationFieldCount);
    for (const ReportedSetting &s : report->settings) {
        const QJsonObject setting = settings[s.field].toObject();
        EXPECT_EQ(setting,
                  (QJsonObject{{"key", Json(s.key)},
                               {"unit", Json(s.unit)},
                               {"value", Json(s.value)},
                               {"recorded_at", s.value ? Json(s.recordedAt) : QJsonValue()},
                               {"pending", Json(s.pending)}}))
            << s.key;
    }

    const QJsonValue calibration = root["calibration"];
    EXPECT_EQ(calibration, report->calibration ? QJsonValue(
                               QJsonObject{{"recorded_at", Json(report->calibration->recordedAt)},
                                           {"reply_bytes", Json(report->calibration->replyBytes)}})
                                               : QJsonValue());
    const QJsonArray writes = root["writes"].toArray();
    ASSERT_EQ(writes.size(), static_cast<qsizetype>(report->writes.size()));
    for (std::size_t i = 0; i < report->writes.size(); ++i) {
        const ReportedWrite &w = report->writes[i];
        const QJsonObject write = writes[static_cast<qsizetype>(i)].toObject();
        EXPECT_EQ(write["local_time"], Json(w.localTime));
        EXPECT_EQ(write["exchange"], Json(std::string(ExchangeName(w.exchange))));
        EXPECT_EQ(write["outcome"], Json(std::string(OutcomeName(w.outcome))));
        const QJsonArray values = write["values"].toArray();
        ASSERT_EQ(values.size(), static_cast<qsizetype>(w.values.size()));
        for (std::size_t v = 0; v < w.values.size(); ++v)
            EXPECT_EQ(values[static_cast<qsizetype>(v)].toObject(),
                      (QJsonObject{{"key", Json(w.values[v].key)},
                                   {"before", Json(w.values[v].before)},
                                   {"after", Json(w.values[v].value)}}));
    }
    EXPECT_EQ(root["fingerprint_sha256"], Json(report->fingerprint));
}

const JsonRow JsonRows[] = {
    {"EverythingRecorded",
     {IdentifyRead("01", "42"), SettingsRead("02", "42"),
      SettingWrite("03", "42", ExchangeOutcome::WriteDone, SleepPowerField, "5", "7"),
      SettingWrite("04", "42", ExchangeOutcome::WriteFailed, RetryTimeField, "600", "6"),
      Record("05", "42", RecordedExchange::CalibrationRead, ExchangeOutcome::ReadDone,
             {{"calibration_reply_bytes", std::nullopt, "80800000"}})}},
    {"IdentityAlone", {IdentifyRead("01", "42")}},
};
INSTANTIATE_TEST_SUITE_P(Records, ReportJsonTest, ::testing::ValuesIn(JsonRows),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
} // namespace pv
