// The commissioning report's content from the records of a run: which record each setting's value
// comes from, which panel entries are pending, the fingerprint of the reported settings, the
// writes and calibration of the unit, and the refusal of a unit never identified.

#include "report/report_records.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace pv {
namespace {

using namespace test;

constexpr int SleepPower = SleepPowerField;
std::string At(const std::string &minute)
{
    return "2026-12-06T10:" + minute + ":00+01:00";
}

struct ValueRow
{
    const char *name;
    std::vector<ServiceRecord> records;
    int field;
    std::optional<std::string> value; // nothing: not read
    std::string recordedAt;           // the minute of the record it came from
};

class ReportedValueTest : public ::testing::TestWithParam<ValueRow>
{
};

TEST_P(ReportedValueTest, ComesFromTheLatestReadOrAcknowledgedWriteOfTheUnit)
{
    const ValueRow &row = GetParam();
    const auto report = BuildCommissioningReport(row.records, Request("42"));
    ASSERT_TRUE(report);
    const ReportedSetting &s = report->settings[static_cast<std::size_t>(row.field)];
    EXPECT_EQ(s.key, Key(row.field));
    EXPECT_EQ(s.value, row.value);
    EXPECT_EQ(s.recordedAt, row.value ? At(row.recordedAt) : "");
    EXPECT_FALSE(s.pending); // the panel is empty
}

const ValueRow ValueRows[] = {
    {"LatestRead",
     {SettingsRead("01", "42"),
      SettingWrite("02", "42", ExchangeOutcome::WriteDone, RetryTimeField, "600", "60"),
      SettingsRead("03", "42")},
     SleepPower,
     "5",
     "03"},
    {"LaterAcknowledgedWrite",
     {SettingsRead("01", "42"),
      SettingWrite("02", "42", ExchangeOutcome::WriteDone, SleepPower, "5", "7")},
     SleepPower,
     "7",
     "02"},
    {"FailedWriteNeverCounts",
     {SettingsRead("01", "42"),
      SettingWrite("02", "42", ExchangeOutcome::WriteFailed, SleepPower, "5", "7")},
     SleepPower,
     "5",
     "01"},
    {"OtherUnitIgnored",
     {SettingsRead("01", "42"), IdentifyRead("02", "43"),
      SettingWrite("03", "43", ExchangeOutcome::WriteDone, SleepPower, "5", "9")},
     SleepPower,
     "5",
     "01"},
    {"NeverReadIsNotRead", {IdentifyRead("01", "42")}, SleepPower, std::nullopt, ""},
    {"FlagAsRecorded", {SettingsRead("01", "42")}, FlagField(0), "1", "01"},
    // The unit had ID 41 until this run wrote 42: what it read under 41 is its own.
    {"ReadBeforeItsIdWasWritten",
     {SettingsRead("01", "41"),
      Record("02", "41", RecordedExchange::IdentifyWrite, ExchangeOutcome::WriteDone,
             {{"id", "41", "42"}, {"rated_power_kw", "3.6", "3.6"}})},
     SleepPower,
     "5",
     "01"},
};
INSTANTIATE_TEST_SUITE_P(Records, ReportedValueTest, ::testing::ValuesIn(ValueRows),
                         [](const auto &info) { return std::string(info.param.name); });

struct PendingRow
{
    const char *name;
    std::function<void(ConfigurationPanelTexts &)> edit; // on the panel as the read showed it
    NumberFormat format;
    int field;
    std::optional<std::string> pending;
};

class PendingEditTest : public ::testing::TestWithParam<PendingRow>
{
};

TEST_P(PendingEditTest, NamesTheEntryBesideTheUnitsValue)
{
    const PendingRow &row = GetParam();
    ReportRequest request = Request("42");
    request.format = row.format;
    request.panel = ConfigurationEntryTexts(Unit(), row.format);
    row.edit(request.panel);
    const auto report = BuildCommissioningReport({SettingsRead("01", "42")}, request);
    ASSERT_TRUE(report);
    for (const ReportedSetting &s : report->settings) {
        EXPECT_EQ(s.pending, s.field == row.field ? row.pending : std::nullopt) << s.key;
        EXPECT_TRUE(s.value) << s.key; // the unit's value stays the recorded one
    }
}

const PendingRow PendingRows[] = {
    {"AsReadNothingPending", [](auto &) {}, CommaDecimal, 0, std::nullopt},
    {"EditedLimit", [](auto &p) { p.limits[9] = "47,6"; }, CommaDecimal, 9, "47.6"},
    {"SameAtTheRegistersUnit", [](auto &p) { p.limits[9] = "47.54"; }, PointDecimal, 9,
     std::nullopt},
    {"EntryWithoutNumber", [](auto &p) { p.retryTime = "6o0"; }, PointDecimal, RetryTimeField,
     "6o0"},
    {"FlagTicked", [](auto &p) { p.flags[3] = true; }, PointDecimal, FlagField(3), "1"},
    {"CountryChosen", [](auto &p) { p.countryCode = 6; }, PointDecimal, CountryCodeField, "6"},
    {"EmptiedPanelHoldsNoEdit", [](auto &p) { p = {}; }, PointDecimal, 0, std::nullopt},
};
INSTANTIATE_TEST_SUITE_P(Panel, PendingEditTest, ::testing::ValuesIn(PendingRows),
                         [](const auto &info) { return std::string(info.param.name); });

std::optional<std::string> FingerprintOf(const std::vector<RecordedValue> &settings)
{
    const auto report
        = BuildCommissioningReport({Record("01", "42", RecordedExchange::ConfigurationRead,
                                           ExchangeOutcome::ReadDone, settings)},
                                   Request("42"));
    return report ? report->fingerprint : std::nullopt;
}

std::vector<RecordedValue> WithValue(int field, std::string value)
{
    std::vector<RecordedValue> values = SettingValues(Unit());
    values[static_cast<std::size_t>(field)].value = std::move(value);
    return values;
}

// The same settings however their numbers were written: a record's "47.50", a file's "47.50", an
// entry's "47,5".
struct SameSettingsRow
{
    const char *name;
    std::function<std::optional<std::string>()> fingerprint;
};

class SameSettingsFingerprintTest : public ::testing::TestWithParam<SameSettingsRow>
{
};

TEST_P(SameSettingsFingerprintTest, EqualsTheReportsFingerprint)
{
    const auto reported = FingerprintOf(SettingValues(Unit()));
    ASSERT_TRUE(reported);
    EXPECT_EQ(GetParam().fingerprint(), reported);
}

const SameSettingsRow SameSettingsRows[] = {
    {"RecordWithTrailingZero", [] { return FingerprintOf(WithValue(9, "47.50")); }},
    {"SavedFileWithTrailingZero",
     []() -> std::optional<std::string> {
         std::string file = FormatConfigurationFile(Unit(), {});
         const auto at = file.find("fmin_50hz_grid_hz = 47.5");
         file.insert(at + std::string("fmin_50hz_grid_hz = 47.5").size(), "0");
         const auto read = ParseConfigurationFile(file, ListCodes, PointDecimal);
         return read.values ? std::optional(ConfigurationFingerprint(*read.values)) : std::nullopt;
     }},
    {"PanelEntryWithComma",
     []() -> std::optional<std::string> {
         ConfigurationPanelTexts panel = ConfigurationEntryTexts(Unit(), CommaDecimal);
         panel.limits[9] = "47,5";
         const auto read = ReadConfigurationPanel(panel, CommaDecimal);
         return read.values ? std::optional(ConfigurationFingerprint(*read.values)) : std::nullopt;
     }},
};
INSTANTIATE_TEST_SUITE_P(Written, SameSettingsFingerprintTest,
                         ::testing::ValuesIn(SameSettingsRows),
                         [](const auto &info) { return std::string(info.param.name); });

class ChangedSettingFingerprintTest : public ::testing::TestWithParam<int>
{
};

TEST_P(ChangedSettingFingerprintTest, DiffersFromTheUnchangedSettings)
{
    const int field = GetParam();
    const std::string value = SettingValues(Unit())[static_cast<std::size_t>(field)].value;
    // A flag turned over, another country, a number one whole unit up.
    const std::string changed
        = field >= FirstFlagField ? (value == "1" ? "0" : "1")
          : field == CountryCodeField
              ? "6"
              : SettingNumberText(field, *StrictNumber(value, PointDecimal) + 1);
    const auto before = FingerprintOf(SettingValues(Unit()));
    const auto after = FingerprintOf(WithValue(field, changed));
    ASSERT_TRUE(before && after) << Key(field);
    EXPECT_NE(*before, *after) << Key(field) << " " << value << " -> " << changed;
}
INSTANTIATE_TEST_SUITE_P(EverySetting, ChangedSettingFingerprintTest,
                         ::testing::Range(0, ConfigurationFieldCount),
                         [](const auto &info) { return Key(info.param); });

TEST(CommissioningReportTest, FingerprintNeedsEverySetting)
{
    std::vector<RecordedValue> values = SettingValues(Unit());
    values.pop_back();
    EXPECT_EQ(FingerprintOf(values), std::nullopt);
}

TEST(CommissioningReportTest, RefusedForAUnitNoRecordNames)
{
    EXPECT_FALSE(BuildCommissioningReport({IdentifyRead("01", "43")}, Request("42")));
    // Records of no identified unit name no unit at all.
    EXPECT_FALSE(BuildCommissioningReport({SettingsRead("01", std::string(UnknownText))},
                                          Request("unknown")));
}

TEST(CommissioningReportTest, ListsTheUnitsWritesAndLatestCalibrationRead)
{
    const ServiceRecord done
        = SettingWrite("02", "42", ExchangeOutcome::WriteDone, SleepPower, "5", "7");
    const ServiceRecord failed
        = SettingWrite("03", "42", ExchangeOutcome::WriteFailed, SleepPower, "7", "8");
    const ServiceRecord calibrationWrite
        = Record("05", "42", RecordedExchange::CalibrationWrite, ExchangeOutcome::WriteDone,
                 {{"calibration_request_bytes", std::nullopt, "FF64CF0300"}});
    const auto report = BuildCommissioningReport(
        {IdentifyRead("01", "42"), done, failed,
         SettingWrite("04", "43", ExchangeOutcome::WriteDone, SleepPower, "5", "9"),
         Record("05", "42", RecordedExchange::CalibrationRead, ExchangeOutcome::ReadDone,
                {{"calibration_reply_bytes", std::nullopt, "8080"}}),
         calibrationWrite,
         Record("07", "42", RecordedExchange::CalibrationRead, ExchangeOutcome::ReadDone,
                {{"calibration_reply_bytes", std::nullopt, "8181"}}),
         Record("08", "42", RecordedExchange::CalibrationRead, ExchangeOutcome::ReadFailed)},
        Request("42"));
    ASSERT_TRUE(report);
    const std::vector<ReportedWrite> writes{
        {done.localTime, done.exchange, done.outcome, done.values},
        {failed.localTime, failed.exchange, failed.outcome, failed.values},
        {calibrationWrite.localTime, calibrationWrite.exchange, calibrationWrite.outcome,
         calibrationWrite.values}};
    EXPECT_EQ(report->writes, writes);
    EXPECT_EQ(report->calibration, (ReportedCalibration{At("07"), "8181"}));
    // The identity of the latest record, whatever its outcome.
    EXPECT_EQ(report->identityAt, At("08"));
    EXPECT_EQ(report->unit.id, "42");
}

} // namespace
} // namespace pv
