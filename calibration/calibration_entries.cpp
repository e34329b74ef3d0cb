#include "calibration_entries.h"

namespace pv {
namespace {

using E = CalibrationEntry;

// The six current readings, meter before LCD, string A, string B, AC.
constexpr EntryId CurrentGainChecks[]
    = {{E::Text3, 5}, {E::Text3, 6}, {E::Text3, 7}, {E::Text3, 8}, {E::Text3, 9}, {E::Text3, 10}};

// Everything a calibration write is computed from: both voltage groups with their current
// gains, the two meter voltages and the AC current gain.
constexpr EntryId CalibrationWriteChecks[]
    = {{E::Text3, 0}, {E::Text3, 1}, {E::Text3, 2}, {E::Text3, 3}, {E::Text3, 4},
       {E::Text4, 0}, {E::Text4, 1}, {E::Text4, 2}, {E::Text4, 3}, {E::Text4, 4},
       {E::Text5, 0}, {E::Text6, 0}, {E::Text7, 0}};

constexpr EntryId OffsetWriteChecks[] = {{E::Text2, 0}};

const std::string NoText;

template <std::size_t N>
const std::string &Element(const std::array<std::string, N> &texts, int index)
{
    return index >= 0 && static_cast<std::size_t>(index) < N
               ? texts[static_cast<std::size_t>(index)]
               : NoText;
}

} // namespace

const std::string &CalibrationTexts::Text(EntryId entry) const
{
    switch (entry.array) {
    case E::Text2:
        return text2;
    case E::Text3:
        return Element(text3, entry.index);
    case E::Text4:
        return Element(text4, entry.index);
    case E::Text5:
        return text5;
    case E::Text6:
        return text6;
    case E::Text7:
        return text7;
    case E::Text8:
        return Element(text8, entry.index);
    case E::Text1:
        break;
    }
    return NoText;
}

CalibrationTexts DesignCalibrationTexts()
{
    return {
        .text3 = {"150", "150", "300", "300", "128", "5", "5", "5", "5", "10", "10"},
        .text4 = {"150", "150", "300", "300", "128"},
        .text2 = "128",
        .text5 = "300",
        .text6 = "230",
        .text7 = "128",
        .text8 = {"128", "128", "128", "128", "1", "44", "128", "128", "0", "230", "128"},
    };
}

std::span<const EntryId> EntriesToCheck(int mode)
{
    switch (static_cast<CheckMode>(mode)) {
    case CheckMode::CurrentGains:
        return CurrentGainChecks;
    case CheckMode::CalibrationWrite:
        return CalibrationWriteChecks;
    case CheckMode::OffsetWrite:
        return OffsetWriteChecks;
    }
    return {};
}

std::optional<EntryId> FirstEmptyEntry(int mode, const CalibrationTexts &texts)
{
    for (const EntryId &entry : EntriesToCheck(mode)) {
        if (texts.Text(entry).empty())
            return entry;
    }
    return std::nullopt;
}

} // namespace pv
