#pragma once
// Turning the technician's readings into the gains and offsets the inverter stores. Every gain
// uses one scale, gain = factor x 1024 - 896, where the factor is a ratio of reference-meter
// to inverter-display (LCD) readings: the factor 1.0 gives 128, mid-scale of the byte the gain
// is sent as. Offsets carry a bias of 128, so a zero difference gives 128.

#include "calibration_entries.h"

#include "link/numbers.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace pv {

inline constexpr float GainScale = 1024.0f;
inline constexpr float GainShift = 896.0f;
inline constexpr double OffsetBias = 128.0;

// Nearest integer, halves to the even neighbour; nothing when the value is not finite or does
// not fit a signed 16-bit word.
std::optional<std::int16_t> NearestWord(long double value);

// nearest(meter / lcd x 1024 - 896), worked in extended precision on the single-precision
// readings; nothing for a zero LCD reading or a gain outside the 16-bit range. No byte limit
// here: a gain outside 0..255 is refused when the write request is built.
std::optional<std::int16_t> CurrentGain(float meter, float lcd);

// "calculate gain": the current gains in the order they are computed, from the meter/LCD pairs
// Text3(5)/(6), Text3(7)/(8) and Text3(9)/(10), each read comma-tolerant (ParseDecimal). The
// calculation stops at the first pair that gives no gain, so fewer than three texts come back
// when it failed; those computed before stay valid.
inline constexpr EntryId CurrentGainTargets[] = {{CalibrationEntry::Text3, CurrentGainIndex},
                                                 {CalibrationEntry::Text4, CurrentGainIndex},
                                                 {CalibrationEntry::Text7, 0}};
std::vector<std::string> CalculateCurrentGains(const CalibrationTexts &texts);

// Gain and offset of one input string from two points (meter and LCD at a lower and an upper
// voltage): K = (m2 - m1) / (l2 - l1), gain = nearest(K x 1024 - 896), offset =
// nearest(m2 - K x l2 + 128), what remains at the upper point once the gain is applied.
// Nothing for equal LCD points or a result outside the 16-bit range.
struct VoltageCalibration
{
    std::int16_t gain;
    std::int16_t offset;
};
std::optional<VoltageCalibration> VoltageGainAndOffset(double m1, double l1, double m2, double l2);

// The Write Setting Data row recomputed before every write, Text8(0) to Text8(10): voltage
// gain and offset of string A and string B from Text3(0..3) and Text4(0..3), the DC bus meter
// voltage Text5 as high and low byte, the current gains Text3(4) and Text4(4) copied as they
// stand, the AC meter voltage Text6 as high and low byte, and the AC current gain Text7 copied.
// The voltage and meter entries are strict regional numbers. Nothing, and no cell changed,
// when one is no number, the LCD points of a string are equal or a result does not fit 16 bits.
std::optional<std::array<std::string, Text8Count>>
FillWriteSettingData(const CalibrationTexts &texts, const NumberFormat &format);

// The offset buttons: Command3(0) one up, Command3(1) one down, from the numeric-prefix value
// of Text2 rounded half to even, always kept within the offset's declared range (also when the
// entry held a value outside before the click), the range the write holds a typed value to.
inline constexpr int OffsetUpButton = 0;
inline constexpr int OffsetDownButton = 1;
std::string StepAcCurrentOffset(const std::string &text2, int index);

} // namespace pv
