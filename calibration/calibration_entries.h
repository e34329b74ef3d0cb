#pragma once
// The entries of the calibration window as plain texts, and which of them must be filled in
// before each of its actions. The window hands its texts over in a CalibrationTexts value and
// shows whatever comes back; nothing here touches a widget.

#include <array>
#include <optional>
#include <span>
#include <string>

namespace pv {

// The calibration window's entry arrays, by their design names.
enum class CalibrationEntry { Text1, Text2, Text3, Text4, Text5, Text6, Text7, Text8 };

// One entry: its array and its index within it (0 for the single boxes).
struct EntryId
{
    CalibrationEntry array;
    int index = 0;
    friend constexpr bool operator==(const EntryId &, const EntryId &) = default;
};

inline constexpr int Text1Count = 12; // Read Setting Data row
inline constexpr int Text3Count = 11; // string A voltages, current readings, string A gain
inline constexpr int Text4Count = 5;  // string B voltages and current gain
inline constexpr int Text8Count = 11; // Write Setting Data row

// Roles of the elements of Text3 and Text4 (each voltage group: meter lower point, LCD lower
// point, meter upper point, LCD upper point).
inline constexpr int MeterLowerPoint = 0;
inline constexpr int LcdLowerPoint = 1;
inline constexpr int MeterUpperPoint = 2;
inline constexpr int LcdUpperPoint = 3;
inline constexpr int CurrentGainIndex = 4;    // Text3(4) string A, Text4(4) string B
inline constexpr int FirstCurrentReading = 5; // Text3(5..10): meter and LCD of A, B, AC
inline constexpr int LastCurrentReading = 10;

// Every text of the window that the arithmetic and the frames read.
struct CalibrationTexts
{
    std::array<std::string, Text3Count> text3;
    std::array<std::string, Text4Count> text4;
    std::string text2; // AC current offset
    std::string text5; // DC bus voltage, meter
    std::string text6; // AC voltage, meter
    std::string text7; // AC current gain
    std::array<std::string, Text8Count> text8;

    // The text of an entry of these arrays; the empty text for Text1 (the read-back row is
    // never an input) and for an index outside its array.
    const std::string &Text(EntryId entry) const;
};

// The texts the window opens with (its design texts): equal meter and LCD readings at 150 V
// and 300 V, 5 A and 10 A, mid-scale gains and offset, 300 V DC bus and 230 V AC, and the
// Write Setting Data row these give.
CalibrationTexts DesignCalibrationTexts();

// What CheckCalibrationEntries(mode) walks, in order.
enum class CheckMode { CurrentGains = 1, CalibrationWrite = 2, OffsetWrite = 3 };

// The entries that must not be empty for a mode, in the order they are examined; none for a
// mode number outside 1..3.
std::span<const EntryId> EntriesToCheck(int mode);

// The first of those entries whose text is exactly empty; nothing when all are filled. Only
// emptiness counts here: a text that is no number passes.
std::optional<EntryId> FirstEmptyEntry(int mode, const CalibrationTexts &texts);

} // namespace pv
