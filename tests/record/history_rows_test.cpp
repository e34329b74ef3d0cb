// The history's rows: a record's row in the list, its values as the window shows them (a read
// its values, a write each value last read and written), the filter made of the window's
// entries, and the unit IDs it offers.

#include "link/text_numbers.h"
#include "record/history_rows.h"
#include "record/history_texts.h"
#include "settings/configuration_file.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace pv {
namespace {

std::string Key(int field)
{
    return std::string(ConfigurationKey(field));
}

struct ListRow
{
    const char *name;
    RecordedExchange exchange;
    ExchangeOutcome outcome;
    int exchangeText;
    int outcomeText;
};

// Five outcomes are told in three words; the version check is refused, never done.
constexpr ListRow ListRows[] = {
    {"IdentifyReadDone", RecordedExchange::IdentifyRead, ExchangeOutcome::ReadDone,
     historytext::IdentifyRead, historytext::Done},
    {"ConfigurationWriteDone", RecordedExchange::ConfigurationWrite, ExchangeOutcome::WriteDone,
     historytext::ConfigurationWrite, historytext::Done},
    {"CalibrationReadFailed", RecordedExchange::CalibrationRead, ExchangeOutcome::ReadFailed,
     historytext::CalibrationRead, historytext::Failed},
    {"IdentifyWriteFailed", RecordedExchange::IdentifyWrite, ExchangeOutcome::WriteFailed,
     historytext::IdentifyWrite, historytext::Failed},
    {"VersionCheckRefused", RecordedExchange::VersionCheck, ExchangeOutcome::FirmwareRefused,
     historytext::VersionCheck, historytext::Refused},
};

class HistoryListRowTest : public ::testing::TestWithParam<ListRow>
{
};

TEST_P(HistoryListRowTest, ShowsTheLocalTimeToTheSecondAndNamesTheExchangeAndOutcome)
{
    StoredRecord stored{7, {}};
    stored.record.localTime = "2026-12-06T23:10:05+01:00";
    stored.record.port = "COM3";
    stored.record.unit.id = "41";
    stored.record.unit.model = "PV-4000";
    stored.record.exchange = GetParam().exchange;
    stored.record.outcome = GetParam().outcome;
    EXPECT_EQ(HistoryRowOf(stored), (HistoryRow{7, "2026-12-06 23:10:05", "COM3", "41", "PV-4000",
                                                GetParam().exchangeText, GetParam().outcomeText}));
}

INSTANTIATE_TEST_SUITE_P(Exchanges, HistoryListRowTest, ::testing::ValuesIn(ListRows),
                         [](const auto &info) { return std::string(info.param.name); });

struct ValueRow
{
    const char *name;
    RecordedExchange exchange;
    RecordedValue value;
    HistoryValueRow shown;
};

const ValueRow ValueRows[] = {
    // Text7(0) stands beside Label8(3).
    {"ReadShowsTheValueAlone",
     RecordedExchange::ConfigurationRead,
     {Key(0), std::nullopt, "264"},
     {text::FirstLimitCaption + 3, Key(0), "264"}},
    {"WriteShowsBeforeAndAfter",
     RecordedExchange::ConfigurationWrite,
     {Key(SleepPowerField), "5", "7"},
     {text::SleepPowerCaption, Key(SleepPowerField), "5 → 7"}},
    {"WriteOfAnUnreadRegisterStartsAtTheArrow",
     RecordedExchange::IdentifyWrite,
     {std::string(IdKey), std::nullopt, "42"},
     {text::IdCaption, std::string(IdKey), "→ 42"}},
    {"SettingWithoutCaptionIsShownByItsKey",
     RecordedExchange::ConfigurationRead,
     {Key(FlagField(5)), std::nullopt, "1"},
     {std::nullopt, Key(FlagField(5)), "1"}},
    {"CalibrationBytesHaveNoCaption",
     RecordedExchange::CalibrationWrite,
     {std::string(CalibrationRequestKey), std::nullopt, "0110"},
     {std::nullopt, std::string(CalibrationRequestKey), "→ 0110"}},
};

class HistoryValueRowTest : public ::testing::TestWithParam<ValueRow>
{
};

TEST_P(HistoryValueRowTest, NamesTheSettingByItsPanelCaption)
{
    ServiceRecord record;
    record.exchange = GetParam().exchange;
    record.values = {GetParam().value};
    EXPECT_EQ(HistoryValueRows(record), std::vector<HistoryValueRow>{GetParam().shown});
}

INSTANTIATE_TEST_SUITE_P(Values, HistoryValueRowTest, ::testing::ValuesIn(ValueRows),
                         [](const auto &info) { return std::string(info.param.name); });

struct FilterRow
{
    const char *name;
    const char *unitText;
    std::optional<std::string> day;
    std::optional<std::string> unitId;
};

const FilterRow FilterRows[] = {
    {"EmptyEntriesAskForEveryRecord", "", std::nullopt, std::nullopt},
    {"BlanksAroundTheIdAreNoPartOfIt", " 41\t", "2026-12-06", "41"},
    {"BlanksAloneAskForEveryUnit", "   ", "2026-12-06", std::nullopt},
};

class HistoryFilterTest : public ::testing::TestWithParam<FilterRow>
{
};

TEST_P(HistoryFilterTest, AsksForTheUnitAndDayEntered)
{
    const RecordFilter filter = HistoryFilter(GetParam().unitText, GetParam().day);
    EXPECT_EQ(filter.unitId, GetParam().unitId);
    EXPECT_EQ(filter.localDate, GetParam().day);
}

INSTANTIATE_TEST_SUITE_P(Entries, HistoryFilterTest, ::testing::ValuesIn(FilterRows),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(HistoryUnitIdsTest, AddsEachIdOnceInTheOrderOfTheirNumbersAndNoUnknownUnit)
{
    std::vector<std::string> seen{"41"};
    std::vector<StoredRecord> records(4);
    for (std::size_t i = 0; const char *id : {"100", "41", "unknown", "9"})
        records[i++].record.unit.id = id;
    AddUnitIds(seen, records);
    EXPECT_EQ(seen, (std::vector<std::string>{"9", "41", "100"}));
}

} // namespace
} // namespace pv
