#pragma once
// The service history as its window lists it: a row per record, a row per value of the chosen
// record, and the filter made of the window's entries. Texts in the chosen language are given
// as their numbers, which the window looks up, so that what it shows can be tested without one.

#include "record_store.h"
#include "service_record.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pv {

struct HistoryRow
{
    std::int64_t rowId = 0;
    std::string time; // "2026-12-06 23:10:05": the local time, its offset left out
    std::string port;
    std::string unitId;
    std::string model;
    int exchangeText = 0;
    int outcomeText = 0;
    bool operator==(const HistoryRow &) const = default;
};
HistoryRow HistoryRowOf(const StoredRecord &stored);

struct HistoryValueRow
{
    // The panels' caption of the setting; nothing where no panel captions it, and the key is
    // shown as it stands.
    std::optional<int> captionText;
    std::string key;
    // A read's value ("230"); a write's value last read and value written ("220 → 230"), the
    // first empty when this link had read none ("→ 230").
    std::string value;
    bool operator==(const HistoryValueRow &) const = default;
};
std::vector<HistoryValueRow> HistoryValueRows(const ServiceRecord &record);

// The caption a panel shows for the setting of this key, if one does.
std::optional<int> SettingCaptionText(std::string_view key);
int ExchangeText(RecordedExchange exchange);
int OutcomeText(ExchangeOutcome outcome);

// The records of one unit (unitText as typed; blank: every unit) on one local day
// ("2026-12-06"; nothing: every day).
RecordFilter HistoryFilter(std::string_view unitText, std::optional<std::string> day);

// Adds the unit IDs of the records to those seen, each once, in the order of their numbers; a
// unit that never told its ID is none of them.
void AddUnitIds(std::vector<std::string> &seen, const std::vector<StoredRecord> &records);

} // namespace pv
