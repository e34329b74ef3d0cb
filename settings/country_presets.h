#pragma once
// The country list of the configuration panel (Combo2): which preset record and which country
// code each list position stands for, the preset values of a record, and the list position of
// a country code read from the inverter.

#include "grid_limit_checks.h"

#include "link/numbers.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pv {

// The country presets beside the program: two header lines, then one record per line.
inline constexpr const char *CountryParameterFile = "CountryParameter.txt";

// Lines 3 onward of CountryParameter.txt (split at CR LF or a lone LF; a final line break ends
// the last line and adds no empty one). False when the file is missing or has fewer than three
// lines.
bool ReadCountryRecords(const std::filesystem::path &programFolder,
                        std::vector<std::string> &records);

// A record fills the fourteen limits (slots 0..13, Text7(0..13)) and the retry time (slot 14,
// Text8); its last field, the country's name, is never read.
inline constexpr int PresetSlotCount = GridLimitEntryCount + 1;
inline constexpr int RetryTimeSlot = GridLimitEntryCount;
using PresetValues = std::array<float, PresetSlotCount>;

// The code sent for the installer's own settings.
inline constexpr std::uint8_t OwnSettingsCode = 255;

// What choosing a list position does.
struct CountryChoice
{
    // SelectedCountryCode afterwards; nothing when the position stands for no country.
    std::optional<std::uint8_t> code;
    // The record whose values fill the entries (nothing: the entries are left as they are).
    std::optional<int> record;
    // The limits grid shows the limits last read from the inverter.
    bool ownSettings = false;
};

// The texts of the list's positions in list order: Germany, Australia, United Kingdom, own
// settings. The list has a position for each.
inline constexpr std::array<int, 4> CountryListTexts{187, 200, 186, 52};
inline constexpr int CountryListLength = static_cast<int>(CountryListTexts.size());

// Positions 0, 1, 2 are the preset countries (codes 6, 17, 5 from records 1, 2, 0), and the
// position equal to recordCount is own settings (code 255). With fewer than three records that
// position is also one of the presets, and own settings wins the code. A preset whose record
// does not exist leaves the entries unchanged.
CountryChoice ChoiceAtPosition(int position, int recordCount);

// The codes the first `positions` positions of the list can choose, one per position that
// stands for a country (what a file may name, and what a unit's code is looked up in).
std::vector<std::uint8_t> ListedCountryCodes(int positions, int recordCount);

// Fills the slots from a TAB-separated record, field i into slot i, each field read as the
// number it starts with ("." the point whatever the regional format; no number gives 0). The
// last field is never read, and slots a short record does not reach keep their values; fields
// beyond the fifteen slots are ignored.
void ParsePresetRecord(std::string_view record, PresetValues &values);

// The list position of a country code read from the inverter: the preset's position, or
// recordCount for any other code (own settings).
int CountryToListIndex(float countryCode, int recordCount);

// The texts of the limits grid and of the retry time for the preset values.
struct PresetTexts
{
    GridLimitTexts limits;
    std::string retryTime;
};
PresetTexts PresetValueTexts(const PresetValues &values, const NumberFormat &format);

} // namespace pv
